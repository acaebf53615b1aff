#pragma once

// The byte-level encodings of ID3v2 tags that the text reader and the picture reader share.

#include <cstddef>
#include <cstdint>
#include <vector>

// A 28-bit size stored in four bytes of seven bits each.
uint32_t SyncSafe32(const uint8_t* bytes);
// Undoes the unsynchronisation scheme: every 0xFF 0x00 pair stands for 0xFF.
std::vector<uint8_t> Resynchronise(const std::vector<uint8_t>& data);

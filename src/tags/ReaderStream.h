#pragma once

// How the tag readers reach their bytes: a reader works on any TStream; reading a named file
// opens it read-only and turns every operating-system failure into a false result.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/Streams.h"

// Reads up to buffer.size() bytes at `position` and returns the count; nothing before offset 0.
int64_t ReadAt(TStream& stream, int64_t position, std::span<uint8_t> buffer);
// Exactly buffer.size() bytes at `position`, or false.
bool ReadExactAt(TStream& stream, int64_t position, std::span<uint8_t> buffer);
// Opens the file read-only (regular files only) and runs `load` on it; false when the file cannot be opened or read.
bool LoadFromNamedFile(const std::string& fileName, const std::function<bool(TStream&)>& load);
// The size of an ID3v2 tag in front of a stream (footer included), 0 without one or when the
// tag claims more than the stream holds.
int32_t ID3v2TagSize(TStream& stream);

#pragma once

// The tag chunks a WAV output carries after its audio: "LIST" of type "INFO" (INAM, IART, IPRD,
// ICRD, IGNR, ICMT, ITRK, the texts most WAV readers show) and an "id3 " chunk holding an ID3v2.4
// tag with every field whole.

#include <cstdint>
#include <vector>

#include "formats/mp3/Id3v2Writer.h"

using TWaveTags = TId3Fields;

// Both chunks, each of even length. Empty when no field but the track number has text: a file
// without tags converts into one without tags, byte for byte.
std::vector<uint8_t> BuildWaveTagChunks(const TWaveTags& tags);

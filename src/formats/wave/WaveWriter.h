#pragma once

// Building and patching the fixed WAV headers the sink writes.

#include <array>
#include <cstdint>

#include "platform/Streams.h"

struct TWaveFormat {
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint16_t BitsPerSample = 0;
};

constexpr int64_t CanonicalPcmHeaderSize = 44;
constexpr int64_t RiffSizeOffset = 4;
constexpr int64_t CanonicalDataSizeOffset = 40;
constexpr int64_t DviHeaderSize = 60;
constexpr int64_t DviFactValueOffset = 48;
constexpr int64_t DviDataSizeOffset = 56;

// The 44-byte PCM header; a dataSize of -1 (unknown) is stored as 0xFFFFFFFF.
std::array<uint8_t, 44> BuildPcmHeader(const TWaveFormat& format, int64_t dataSize);

void WriteLe32At(TStream& stream, int64_t position, uint32_t value);
uint32_t ClampToUint32(int64_t value);
// A size announced before writing, for a 32-bit header field: a negative one (-1: unknown) in
// its 32-bit form, one past the field's range as its largest value.
uint32_t AnnouncedSize32(int64_t value);
void PutLe16(uint8_t* at, uint16_t value);
void PutLe32(uint8_t* at, uint32_t value);

#pragma once

// Building and patching the fixed WAV headers the sink writes.

#include <array>
#include <cstdint>
#include <vector>

#include "pipeline/PcmFormat.h"
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

// The header of a new PCM file and where its fields lie. Up to 16-bit integer mono or stereo it
// is the 44-byte header above; wider samples, floats and more channels are described with
// WAVE_FORMAT_EXTENSIBLE. A "JUNK" chunk kept in front of "fmt " leaves room for the "ds64" an
// RF64 file needs: it is there for every extensible header, and for a plain one whose announced
// data would not fit 32 bits.
struct TWaveHeaderImage {
  std::vector<uint8_t> Bytes;
  int64_t DataSizeOffset = CanonicalDataSizeOffset;
  int64_t Ds64Offset = -1;  // the "JUNK" chunk's identifier; -1 when there is none
};
bool NeedsExtensibleHeader(const TPcmFormat& format);
TWaveHeaderImage BuildWaveHeader(const TPcmFormat& format, int64_t dataSize);

// Whether a file of this length needs the 64-bit sizes of RF64.
bool NeedsRf64(int64_t fileLength);
// Turns a finished file into RF64: "RF64" and the 32-bit sizes set to 0xFFFFFFFF, the placeholder
// at ds64Offset rewritten as the "ds64" chunk with the true sizes and sample-frame count.
void WriteRf64Sizes(TStream& stream, const TWaveHeaderImage& header, int64_t dataStart, int32_t blockAlign);

void WriteLe32At(TStream& stream, int64_t position, uint32_t value);
uint32_t ClampToUint32(int64_t value);
// A size announced before writing, for a 32-bit header field: a negative one (-1: unknown) in
// its 32-bit form, one past the field's range as its largest value.
uint32_t AnnouncedSize32(int64_t value);
void PutLe16(uint8_t* at, uint16_t value);
void PutLe32(uint8_t* at, uint32_t value);

#pragma once

// The RIFF/WAVE header scan shared by the WAV source and by the WAV sink's append check.

#include <array>
#include <cstdint>

#include "pipeline/PcmFormat.h"
#include "platform/Streams.h"

enum TWavType { wtUnsupported, wtPCM, wtDVIADPCM, wtMSADPCM, wtACM };

struct TMsCoefPair {
  int16_t Coef1 = 0;
  int16_t Coef2 = 0;
};

// What one scan found. Offsets are stream positions.
struct TWaveHeaderInfo {
  TWavType WavType = wtUnsupported;
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t AvgBytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  uint16_t SamplesPerBlock = 0;
  uint16_t CoefCount = 0;
  std::array<TMsCoefPair, 32> Coefs{};
  int32_t FactSamples = 0;
  int64_t FactValuePosition = -1;
  uint32_t DataSize = 0;
  int64_t DataSizePosition = -1;
  // PCM sample kind and speakers: float for tag 3, and what a WAVE_FORMAT_EXTENSIBLE body says
  // (its subformat, its channel mask; 0 when the file names none).
  TSampleKind Kind = TSampleKind::skInteger;
  bool Extensible = false;
  uint16_t SubFormat = 0;  // the format code that leads the extensible subformat GUID
  uint32_t ChannelMask = 0;
  // An RF64 file keeps the sizes of its RIFF and data chunks in "ds64"; 0xFFFFFFFF in the 32-bit
  // data size says to take the 64-bit one.
  bool Rf64 = false;
  uint64_t Ds64DataSize = 0;
  int64_t DataOffset = -1;  // the first data byte
  // The layout was readable but broke a rule the decoders rely on (see ScanWaveHeader).
  bool Damaged = false;
};

enum class TWaveScanPurpose {
  Read,    // every format tag the source knows
  Append,  // only PCM and IMA ADPCM, which the sink can extend
};

// The size of the data chunk in 64 bits: the "ds64" one for an RF64 file that defers to it.
uint64_t DeclaredDataSize(const TWaveHeaderInfo& info);

// Scans from the stream's current position (its start) up to and including the size of the
// "data" chunk, leaving the stream at the first data byte. The "data" identifier must lie within
// the first 8192 bytes; a file may start "RF64" instead of "RIFF". Otherwise, or for an unknown format tag, WavType is wtUnsupported. Chunk
// bodies are skipped by seeking, and a chunk before "data" that runs past the end of the stream
// marks the header Damaged.
TWaveHeaderInfo ScanWaveHeader(TStream& stream, TWaveScanPurpose purpose);

// Two identifiers are equal when each byte is equal or differs by exactly 32 (so lower-case
// "riff" matches, and a NUL matches the space of "fmt ").
bool SameIdentifier(const uint8_t* a, const char* b);

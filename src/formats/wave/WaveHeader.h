#pragma once

// The RIFF/WAVE header scan shared by the WAV source and by the WAV sink's append check.

#include <array>
#include <cstdint>

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
  int64_t DataOffset = -1;  // the first data byte
  // The layout was readable but broke a rule the decoders rely on (see ScanWaveHeader).
  bool Damaged = false;
};

enum class TWaveScanPurpose {
  Read,    // every format tag the source knows
  Append,  // only PCM and IMA ADPCM, which the sink can extend
};

// Scans from the stream's current position (its start) up to and including the size of the
// "data" chunk, leaving the stream at the first data byte. The "data" identifier must lie within
// the first 8192 bytes; otherwise, or for an unknown format tag, WavType is wtUnsupported. Chunk
// bodies are skipped by seeking, and a chunk before "data" that runs past the end of the stream
// marks the header Damaged.
TWaveHeaderInfo ScanWaveHeader(TStream& stream, TWaveScanPurpose purpose);

// Two identifiers are equal when each byte is equal or differs by exactly 32 (so lower-case
// "riff" matches, and a NUL matches the space of "fmt ").
bool SameIdentifier(const uint8_t* a, const char* b);

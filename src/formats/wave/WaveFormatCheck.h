#pragma once

// The rules a header's format fields must keep before the source trusts them: every decoder
// sizes its buffers and frames from these values.

#include <string>

#include "formats/wave/WaveHeader.h"

constexpr uint32_t MaxWaveSampleRate = 768000;
constexpr uint16_t MaxWaveChannels = 8;

// "" when the scanned header describes audio the source can deliver; otherwise the reason, naming
// the value ("9 channels", "sample rate 0 Hz", "unknown extensible subformat 0x0002"), or ""
// again when the file has no format chunk at all.
std::string WaveFormatProblem(const TWaveHeaderInfo& info);

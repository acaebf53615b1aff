#include "formats/wave/WaveFormatCheck.h"

#include <cstdio>

namespace {

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

bool KnownTag(uint16_t tag) { return tag == 0x0001 || tag == 0x0003 || tag == 0x0002 || tag == 0x0011 || tag == 0x0055; }

std::string UnsupportedProblem(const TWaveHeaderInfo& info) {
  // A format the source reads, yet no data chunk where the scan looks for it.
  if (info.Extensible ? info.SubFormat == 0x0001 || info.SubFormat == 0x0003 : KnownTag(info.FormatTag)) {
    return "no data chunk in the first 8192 bytes";
  }
  if (info.Extensible) {
    return info.SubFormat == 0 ? "unknown extensible subformat" : "unknown extensible subformat " + Hex4(info.SubFormat);
  }
  // Without a format chunk there is nothing particular to say: it is no WAV file the source knows.
  return info.FormatTag == 0 ? std::string() : "unsupported format tag " + Hex4(info.FormatTag);
}

std::string PcmProblem(const TWaveHeaderInfo& info) {
  if (info.Channels < 1 || info.Channels > MaxWaveChannels) {
    return std::to_string(info.Channels) + " channels";
  }
  if (info.Kind == TSampleKind::skFloat && info.BitsPerSample != 32) {
    return std::to_string(info.BitsPerSample) + "-bit float samples";
  }
  const uint16_t bits = info.BitsPerSample;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return std::to_string(bits) + " bits per sample";
  }
  if (info.BlockAlign != info.Channels * (bits / 8)) {
    return "block align " + std::to_string(info.BlockAlign) + " for " + std::to_string(info.Channels) +
           " channels of " + std::to_string(bits) + " bits";
  }
  return {};
}

}  // namespace

std::string WaveFormatProblem(const TWaveHeaderInfo& info) {
  if (info.Damaged) {
    return "damaged header";
  }
  if (info.WavType == wtUnsupported) {
    return UnsupportedProblem(info);
  }
  if (info.SampleRate == 0 || info.SampleRate > MaxWaveSampleRate) {
    return "sample rate " + std::to_string(info.SampleRate) + " Hz";
  }
  if (info.WavType == wtPCM) {
    return PcmProblem(info);
  }
  // The ADPCM and MPEG decoders keep state for two channels.
  if (info.Channels < 1 || info.Channels > 2) {
    return std::to_string(info.Channels) + " channels";
  }
  if (info.BlockAlign == 0) {
    return "block align 0";
  }
  return {};
}

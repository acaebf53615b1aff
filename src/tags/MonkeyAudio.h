#pragma once

// Stream parameters of a Monkey's Audio file from its descriptor and header; nothing is decoded.

#include <cstdint>
#include <string>

#include "platform/Streams.h"

class TMonkeyAudio {
public:
  TMonkeyAudio() { Reset(); }

  // False when the file cannot be read; the caller tests `Valid`.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Valid() const { return FValid; }
  int64_t FileSize() const { return FFileSize; }
  uint16_t Version() const { return FVersion; }
  uint16_t Channels() const { return FChannels; }
  uint32_t SampleRate() const { return FSampleRate; }
  uint16_t BitsPerSample() const { return FBitsPerSample; }
  uint64_t Samples() const { return FSamples; }  // per channel
  double Duration() const { return FSampleRate == 0 ? 0 : static_cast<double>(FSamples) / FSampleRate; }

private:
  void Reset();
  bool ReadCurrentHeader(TStream& stream, int64_t start);
  bool ReadOldHeader(TStream& stream, int64_t start);

  bool FValid;
  int64_t FFileSize;
  uint16_t FVersion;
  uint16_t FChannels;
  uint32_t FSampleRate;
  uint16_t FBitsPerSample;
  uint64_t FSamples;
};

#pragma once

// Stream parameters of a WAV file from the fixed positions of a header whose "fmt " chunk comes
// first; nothing is scanned or decoded.

#include <cstdint>
#include <string>

#include "platform/Streams.h"

class TWAVfile {
public:
  TWAVfile() { Reset(); }

  // False when the header could not be read; the caller tests `Valid`.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Valid() const { return FValid; }
  uint16_t FormatID() const { return FFormatID; }
  uint8_t ChannelModeID() const { return FChannelModeID; }
  uint32_t SampleRate() const { return FSampleRate; }
  uint32_t BytesPerSecond() const { return FBytesPerSecond; }
  uint16_t BlockAlign() const { return FBlockAlign; }
  uint8_t BitsPerSample() const { return FBitsPerSample; }
  int32_t SampleNumber() const { return FSampleNumber; }
  uint16_t HeaderSize() const { return FHeaderSize; }
  uint32_t FileSize() const { return FFileSize; }  // the RIFF size plus 8
  std::string ChannelMode() const;
  double Duration() const;  // seconds

private:
  void Reset();

  bool FValid;
  uint16_t FFormatID;
  uint8_t FChannelModeID;
  uint32_t FSampleRate;
  uint32_t FBytesPerSecond;
  uint16_t FBlockAlign;
  uint8_t FBitsPerSample;
  int32_t FSampleNumber;
  uint16_t FHeaderSize;
  uint32_t FFileSize;
};

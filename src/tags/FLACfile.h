#pragma once

// Stream parameters (STREAMINFO) and Vorbis comments of a FLAC file; nothing is decoded. The walk
// over the metadata blocks stops at the first damaged one (a second STREAMINFO, the invalid type
// 127, a length past the end of the file) and keeps what it read before.

#include <cstdint>
#include <string>

#include "platform/Streams.h"
#include "tags/VorbisComment.h"

class TFLACfile {
public:
  TFLACfile() { Reset(); }

  // False when the file cannot be read; the caller tests `Valid`.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Valid() const { return FValid; }
  int64_t FileSize() const { return FFileSize; }
  uint8_t Channels() const { return FChannels; }
  uint32_t SampleRate() const { return FSampleRate; }
  uint8_t BitsPerSample() const { return FBitsPerSample; }
  uint64_t Samples() const { return FSamples; }  // per channel, 0 when the encoder did not know
  double Duration() const { return FSampleRate == 0 ? 0 : static_cast<double>(FSamples) / FSampleRate; }
  const std::string& Title() const { return FComments.Values[vkTitle]; }
  std::string Artist() const;
  const std::string& Album() const { return FComments.Values[vkAlbum]; }
  uint8_t Track() const;
  const std::string& Date() const { return FComments.Values[vkDate]; }
  const std::string& Genre() const { return FComments.Values[vkGenre]; }
  std::string Comment() const;
  // Every comment this reader knows, the extra fields included.
  const TVorbisComments& Comments() const { return FComments; }

private:
  void Reset();
  void ReadStreamInfo(TStream& stream, int64_t position);

  bool FValid;
  int64_t FFileSize;
  uint8_t FChannels;
  uint32_t FSampleRate;
  uint8_t FBitsPerSample;
  uint64_t FSamples;
  TVorbisComments FComments;
};

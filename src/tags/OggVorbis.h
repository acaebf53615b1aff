#pragma once

// Stream parameters and comments of an Ogg Vorbis file, read from its first two pages and the
// granule position of its last page; nothing is decoded.

#include <cstdint>
#include <string>

#include "platform/Streams.h"
#include "tags/VorbisComment.h"

class TOggVorbis {
public:
  TOggVorbis() { Reset(); }

  // True when the first page and the identification header were recognised.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  int64_t FileSize() const { return FFileSize; }
  uint8_t ChannelModeID() const { return FChannelModeID; }
  uint32_t SampleRate() const { return FSampleRate; }
  uint16_t BitRateNominal() const { return FBitRateNominal; }  // kbit/s
  int64_t Samples() const { return FSamples; }                 // granule position of the last page
  int32_t ID3v2Size() const { return FID3v2Size; }
  const std::string& Title() const { return FTitle; }
  const std::string& Artist() const { return FArtist; }
  const std::string& Album() const { return FAlbum; }
  uint8_t Track() const { return FTrack; }
  const std::string& Date() const { return FDate; }
  const std::string& Genre() const { return FGenre; }
  const std::string& Comment() const { return FComment; }
  const std::string& Vendor() const { return FVendor; }
  // Every comment this reader knows, the extra fields included.
  const TVorbisComments& Comments() const { return FComments; }

  std::string ChannelMode() const;
  double Duration() const;   // seconds
  uint16_t BitRate() const;  // average kbit/s
  bool Valid() const;

private:
  void Reset();
  void FindSamples(TStream& stream);

  int64_t FFileSize;
  uint8_t FChannelModeID;
  uint32_t FSampleRate;
  uint16_t FBitRateNominal;
  int64_t FSamples;
  int32_t FID3v2Size;
  std::string FTitle;
  std::string FArtist;
  std::string FAlbum;
  uint8_t FTrack;
  std::string FDate;
  std::string FGenre;
  std::string FComment;
  std::string FVendor;
  TVorbisComments FComments;
};

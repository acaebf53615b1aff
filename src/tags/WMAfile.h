#pragma once

// Stream parameters and tags of a Windows Media Audio file, from the objects of its ASF header.

#include <cstdint>
#include <string>

#include "platform/Streams.h"

class TWMAfile {
public:
  TWMAfile() { Reset(); }

  // False when the file cannot be opened or one of its header objects cannot be read; the caller
  // tests `Valid`, which holds when the objects before the damaged one gave the stream parameters.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Valid() const { return FValid; }
  int64_t FileSize() const { return FFileSize; }
  uint8_t ChannelModeID() const { return FChannelModeID; }
  int32_t SampleRate() const { return FSampleRate; }
  double Duration() const { return FDuration; }
  int32_t BitRate() const { return FBitRate; }  // kbit/s
  const std::u16string& Title() const { return FTitle; }
  const std::u16string& Artist() const { return FArtist; }
  const std::u16string& Album() const { return FAlbum; }
  int32_t Track() const { return FTrack; }
  const std::u16string& Year() const { return FYear; }
  const std::u16string& Genre() const { return FGenre; }
  const std::u16string& Comment() const { return FComment; }
  const std::u16string& Lyrics() const { return FLyrics; }
  const std::u16string& AlbumArtist() const { return FAlbumArtist; }
  const std::u16string& Composer() const { return FComposer; }
  const std::u16string& TrackText() const { return FTrackText; }  // "3" or "3/12"
  const std::u16string& Disc() const { return FDisc; }            // "1" or "1/2"
  std::string ChannelMode() const;

private:
  void Reset();

  bool FValid;
  int64_t FFileSize;
  uint8_t FChannelModeID;
  int32_t FSampleRate;
  double FDuration;
  int32_t FBitRate;
  std::u16string FTitle;
  std::u16string FArtist;
  std::u16string FAlbum;
  int32_t FTrack;
  std::u16string FYear;
  std::u16string FGenre;
  std::u16string FComment;
  std::u16string FLyrics;
  std::u16string FAlbumArtist;
  std::u16string FComposer;
  std::u16string FTrackText;
  std::u16string FDisc;
};

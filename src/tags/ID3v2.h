#pragma once

// The ID3v2 tag at the start of a file: its version and size, and the text of thirteen frames.
// Versions 2.2, 2.3 and 2.4 are read; every text comes out as UTF-8 whatever the frame's encoding.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Streams.h"

class TID3v2 {
public:
  TID3v2() { Reset(); }

  // False only when the first 10 bytes could not be read.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Exists() const { return FExists; }
  uint8_t VersionID() const { return FVersionID; }
  // The whole tag in bytes, header included; 0 when the tag claims more than the file holds.
  int32_t Size() const { return FSize; }
  const std::string& Title() const { return FTitle; }
  const std::string& Artist() const { return FArtist; }
  const std::string& Album() const { return FAlbum; }
  uint8_t Track() const { return FTrack; }
  const std::string& Year() const { return FYear; }
  const std::string& Genre() const { return FGenre; }
  const std::string& Comment() const { return FComment; }
  const std::string& Composer() const { return FComposer; }
  const std::string& Encoder() const { return FEncoder; }
  const std::string& Copyright() const { return FCopyright; }
  const std::string& Language() const { return FLanguage; }
  const std::string& Link() const { return FLink; }
  const std::string& Lyrics() const { return FLyrics; }
  const std::string& AlbumArtist() const { return FAlbumArtist; }
  const std::string& TrackText() const { return FTrackText; }  // "3" or "3/12", as the tag gives it
  const std::string& Disc() const { return FDisc; }            // "1" or "1/2"

  static constexpr size_t FrameCount = 15;

private:
  struct TFrameHeader {
    int64_t DataSize = 0;
    int HeaderSize = 0;
    int Index = -1;           // position in the frame table, -1 for a frame not read
    bool Unsynchronised = false;
    int PrefixSize = 0;       // bytes before the frame's text (grouping, data length)
    bool Unreadable = false;  // compressed or encrypted
  };

  void Reset();
  void ScanFrames(TStream& stream, int64_t start, bool tagUnsynchronised);
  bool ReadFrameHeader(TStream& stream, TFrameHeader& header, bool tagUnsynchronised) const;
  void StoreFrame(int index, std::vector<uint8_t> data);
  void DeriveFields();

  bool FExists;
  uint8_t FVersionID;
  int32_t FSize;
  std::string FTitle;
  std::string FArtist;
  std::string FAlbum;
  uint8_t FTrack;
  std::string FYear;
  std::string FGenre;
  std::string FComment;
  std::string FComposer;
  std::string FEncoder;
  std::string FCopyright;
  std::string FLanguage;
  std::string FLink;
  std::string FLyrics;
  std::string FAlbumArtist;
  std::string FTrackText;
  std::string FDisc;
  std::array<std::vector<uint8_t>, FrameCount> FFrames;  // raw data of the last frame of each kind
};

// The display text of a genre frame: a genre number, "(17)" or "17", is looked up in the genre
// table unless text follows it; a genre written as text is kept whole.
std::string GenreFromFrameText(const std::string& text);

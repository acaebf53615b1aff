#pragma once

// The 128-byte ID3v1 trailer at the end of a file, and the table of genre names.

#include <array>
#include <cstdint>
#include <string>

#include "platform/Streams.h"

inline constexpr int GenreCount = 148;
extern const std::array<const char*, GenreCount> GenreNames;
// The name for a genre number; empty past the table.
std::string GenreName(int genreID);

class TID3v1 {
public:
  TID3v1() { Reset(); }

  // False only when the last 128 bytes could not be read (a missing or too short file).
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Exists() const { return FExists; }
  uint8_t VersionID() const { return FVersionID; }  // 1 = ID3v1.0, 2 = ID3v1.1
  const std::string& Title() const { return FTitle; }
  const std::string& Artist() const { return FArtist; }
  const std::string& Album() const { return FAlbum; }
  const std::string& Year() const { return FYear; }
  const std::string& Comment() const { return FComment; }
  uint8_t Track() const { return FTrack; }
  uint8_t GenreID() const { return FGenreID; }
  std::string Genre() const { return GenreName(FGenreID); }

private:
  void Reset();

  bool FExists;
  uint8_t FVersionID;
  std::string FTitle;
  std::string FArtist;
  std::string FAlbum;
  std::string FYear;
  std::string FComment;
  uint8_t FTrack;
  uint8_t FGenreID;
};

inline constexpr int ID3v1Size = 128;

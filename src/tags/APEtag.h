#pragma once

// An APE tag (version 1.0 or 2.0) at the end of a file, last or just before an ID3v1 trailer.

#include <array>
#include <cstdint>
#include <string>

#include "platform/Streams.h"

class TAPEtag {
public:
  TAPEtag() { Reset(); }

  // False only when the footer could not be read (a missing file, or one under 128 bytes).
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  bool Exists() const { return FExists; }
  int32_t Version() const { return FVersion; }  // 1000 or 2000
  int32_t Size() const { return FSize; }        // items and footer, without the header
  const std::string& Title() const { return FItems[0]; }
  const std::string& Artist() const { return FItems[1]; }
  const std::string& Album() const { return FItems[2]; }
  uint8_t Track() const { return FTrack; }
  const std::string& Year() const { return FItems[4]; }
  const std::string& Genre() const { return FItems[5]; }
  const std::string& Comment() const { return FItems[6]; }
  const std::string& Copyright() const { return FItems[7]; }
  const std::string& AlbumArtist() const { return FItems[8]; }
  const std::string& Disc() const { return FItems[9]; }  // "2" or "2/3"
  const std::string& Composer() const { return FItems[10]; }

  static constexpr size_t KeyCount = 11;

private:
  void Reset();
  void ReadItems(TStream& stream, int64_t start, uint32_t count);

  bool FExists;
  int32_t FVersion;
  int32_t FSize;
  uint8_t FTrack;
  std::array<std::string, KeyCount> FItems;  // in the order of the key table
};

#pragma once

// Stream parameters of a WAV file from the fixed positions of a header whose "fmt " chunk comes
// first, and the tags of its "LIST"/"INFO" and "id3 " chunks, found by walking the chunks; nothing
// is decoded.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Streams.h"

enum TWavInfoKey { wiTitle, wiArtist, wiAlbum, wiYear, wiGenre, wiComment, wiTrack, wiCount };

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
  // The INFO texts (INAM, IART, IPRD, ICRD, IGNR, ICMT, ITRK) by key, UTF-8.
  const std::array<std::string, wiCount>& Info() const { return FInfo; }
  // The ID3v2 tag an "id3 " or "ID3 " chunk holds, empty without one.
  const std::vector<uint8_t>& ID3v2Chunk() const { return FID3v2Chunk; }

private:
  void Reset();
  void WalkChunks(TStream& stream);
  void ReadInfo(const std::vector<uint8_t>& body);

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
  int64_t FDataSize;  // the data chunk's size when a chunk follows it, else -1
  std::array<std::string, wiCount> FInfo;
  std::vector<uint8_t> FID3v2Chunk;
};

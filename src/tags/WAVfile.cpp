#include "tags/WAVfile.h"

#include <algorithm>
#include <array>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {
constexpr size_t HeaderImageSize = 40;
constexpr std::array<const char*, wiCount> InfoIds = {"INAM", "IART", "IPRD", "ICRD", "IGNR", "ICMT", "ITRK"};
// Tag chunks larger than this are not read (no text comes near it; a picture may).
constexpr int64_t MaxTagChunk = 16 << 20;
// Each step moves at least 8 bytes on, so the walk is bounded by the file; this bounds it further.
constexpr int MaxChunks = 10000;

std::vector<uint8_t> ReadBody(TStream& stream, int64_t position, int64_t size) {
  std::vector<uint8_t> body(static_cast<size_t>(size));
  stream.Seek(position);
  body.resize(static_cast<size_t>(stream.Read(body)));
  return body;
}
}  // namespace

void TWAVfile::Reset() {
  FValid = false;
  FFormatID = 0;
  FChannelModeID = 0;
  FSampleRate = 0;
  FBytesPerSecond = 0;
  FBlockAlign = 0;
  FBitsPerSample = 0;
  FSampleNumber = 0;
  FHeaderSize = 0;
  FFileSize = 0;
  FDataSize = -1;
  FInfo = {};
  FID3v2Chunk.clear();
}

bool TWAVfile::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TWAVfile::LoadFromStream(TStream& stream) {
  Reset();
  std::array<uint8_t, HeaderImageSize> image{};
  if (!ReadExactAt(stream, 0, image)) {
    return false;
  }
  const bool dataFollows = HasMarker(std::span(image).subspan(36), "data");
  const uint32_t formatSize = LittleEndian32(&image[16]);
  int32_t sampleNumber = 0;
  if (!dataFollows) {
    // The chunk after "fmt ": its body holds the sample count only when it is a "fact" chunk
    // (other writers put a LIST chunk there).
    std::array<uint8_t, 12> next{};
    if (!ReadExactAt(stream, int64_t{formatSize} + 20, next)) {
      return false;
    }
    if (HasMarker(next, "fact")) {
      sampleNumber = static_cast<int32_t>(LittleEndian32(&next[8]));
    }
  }
  const uint16_t channels = LittleEndian16(&image[22]);
  if (!HasMarker(image, "RIFF") || !HasMarker(std::span(image).subspan(8), "WAVE") ||
      !HasMarker(std::span(image).subspan(12), "fmt ") || (channels != 1 && channels != 2)) {
    return true;
  }
  FValid = true;
  FFormatID = LittleEndian16(&image[20]);
  FChannelModeID = image[22];
  FSampleRate = LittleEndian32(&image[24]);
  FBytesPerSecond = LittleEndian32(&image[28]);
  FBlockAlign = LittleEndian16(&image[32]);
  FBitsPerSample = image[34];
  FSampleNumber = sampleNumber;
  FHeaderSize = dataFollows ? 44 : static_cast<uint16_t>(formatSize + 40);
  FFileSize = LittleEndian32(&image[4]) + 8;
  if (FFileSize < FHeaderSize) {
    FHeaderSize = static_cast<uint16_t>(FFileSize);
  }
  WalkChunks(stream);
  return true;
}

void TWAVfile::WalkChunks(TStream& stream) {
  const int64_t fileSize = stream.Size();
  int64_t position = 12;
  std::array<uint8_t, 12> head{};
  int64_t dataSize = -1;
  for (int chunk = 0; chunk < MaxChunks && ReadExactAt(stream, position, std::span(head).first(8)); ++chunk) {
    const int64_t size = LittleEndian32(&head[4]);
    const int64_t body = position + 8;
    if (size > fileSize - body) {
      return;  // a data chunk of unknown size, or a damaged one: nothing after it can be found
    }
    // Only a chunk after the audio proves where the audio ends; otherwise the RIFF size says it.
    FDataSize = dataSize;
    if (HasMarker(head, "data")) {
      dataSize = size;
    } else if (HasMarker(head, "LIST") && size >= 4 && size <= MaxTagChunk &&
               ReadExactAt(stream, body, std::span(head).subspan(8, 4)) && HasMarker(std::span(head).subspan(8), "INFO")) {
      ReadInfo(ReadBody(stream, body + 4, size - 4));
    } else if ((HasMarker(head, "id3 ") || HasMarker(head, "ID3 ")) && size <= MaxTagChunk) {
      FID3v2Chunk = ReadBody(stream, body, size);
    }
    position = body + size + (size & 1);
  }
}

void TWAVfile::ReadInfo(const std::vector<uint8_t>& body) {
  size_t position = 0;
  while (position + 8 <= body.size()) {
    const std::span<const uint8_t> head(&body[position], 8);
    const size_t size = std::min<size_t>(LittleEndian32(&head[4]), body.size() - position - 8);
    const std::string text = BytesToString(std::span(body).subspan(position + 8, size));
    for (size_t key = 0; key < wiCount; ++key) {
      if (HasMarker(head, InfoIds[key])) {
        FInfo[key] = Utf8OrLatin1(TrimBlanks(UpToZero(text)));
      }
    }
    position += 8 + size + (size & 1);
  }
}

std::string TWAVfile::ChannelMode() const {
  static constexpr const char* Names[] = {"Unknown", "Mono", "Stereo"};
  return FChannelModeID <= 2 ? Names[FChannelModeID] : Names[0];
}

double TWAVfile::Duration() const {
  if (!FValid) {
    return 0;
  }
  if (FSampleNumber > 0 && FSampleRate != 0) {
    return static_cast<double>(FSampleNumber) / FSampleRate;
  }
  if (FSampleNumber == 0 && FBytesPerSecond != 0 && FDataSize >= 0) {
    // Tag chunks after the audio are no part of it.
    return static_cast<double>(FDataSize) / FBytesPerSecond;
  }
  if (FSampleNumber == 0 && FBytesPerSecond != 0) {
    return static_cast<double>(static_cast<uint32_t>(FFileSize - FHeaderSize)) / FBytesPerSecond;
  }
  return 0;
}

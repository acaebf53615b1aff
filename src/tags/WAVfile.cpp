#include "tags/WAVfile.h"

#include <array>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {
constexpr size_t HeaderImageSize = 40;
}

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
  return true;
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
  if (FSampleNumber == 0 && FBytesPerSecond != 0) {
    return static_cast<double>(static_cast<uint32_t>(FFileSize - FHeaderSize)) / FBytesPerSecond;
  }
  return 0;
}

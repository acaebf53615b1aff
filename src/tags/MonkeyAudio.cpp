#include "tags/MonkeyAudio.h"

#include <array>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

// Files from version 3.98 on start with a descriptor that says where the header is.
constexpr uint16_t DescriptorVersion = 3980;
constexpr uint16_t ExtraHighCompression = 4000;

uint64_t TotalBlocks(uint32_t frames, uint32_t blocksPerFrame, uint32_t finalFrameBlocks) {
  return frames == 0 ? 0 : uint64_t{frames - 1} * blocksPerFrame + finalFrameBlocks;
}

}  // namespace

void TMonkeyAudio::Reset() {
  FValid = false;
  FFileSize = 0;
  FVersion = 0;
  FChannels = 0;
  FSampleRate = 0;
  FBitsPerSample = 0;
  FSamples = 0;
}

bool TMonkeyAudio::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TMonkeyAudio::LoadFromStream(TStream& stream) {
  Reset();
  const int64_t start = ID3v2TagSize(stream);
  std::array<uint8_t, 6> head{};
  if (!ReadExactAt(stream, start, head)) {
    return false;
  }
  if (!HasMarker(head, "MAC ")) {
    return true;
  }
  FVersion = LittleEndian16(&head[4]);
  const bool read = FVersion >= DescriptorVersion ? ReadCurrentHeader(stream, start) : ReadOldHeader(stream, start);
  if (!read) {
    Reset();
    return false;
  }
  FFileSize = stream.Size();
  FValid = FChannels > 0 && FSampleRate > 0;
  return true;
}

bool TMonkeyAudio::ReadCurrentHeader(TStream& stream, int64_t start) {
  std::array<uint8_t, 4> descriptorSize{};
  std::array<uint8_t, 24> header{};
  if (!ReadExactAt(stream, start + 8, descriptorSize) ||
      !ReadExactAt(stream, start + LittleEndian32(descriptorSize.data()), header)) {
    return false;
  }
  const uint32_t blocksPerFrame = LittleEndian32(&header[4]);
  FSamples = TotalBlocks(LittleEndian32(&header[12]), blocksPerFrame, LittleEndian32(&header[8]));
  FBitsPerSample = LittleEndian16(&header[16]);
  FChannels = LittleEndian16(&header[18]);
  FSampleRate = LittleEndian32(&header[20]);
  return true;
}

bool TMonkeyAudio::ReadOldHeader(TStream& stream, int64_t start) {
  std::array<uint8_t, 32> header{};
  if (!ReadExactAt(stream, start, header)) {
    return false;
  }
  const uint16_t compression = LittleEndian16(&header[6]);
  const uint16_t flags = LittleEndian16(&header[8]);
  uint32_t blocksPerFrame = 9216;
  if (FVersion >= 3950) {
    blocksPerFrame = 73728 * 4;
  } else if (FVersion >= 3900 || (FVersion >= 3800 && compression == ExtraHighCompression)) {
    blocksPerFrame = 73728;
  }
  FChannels = LittleEndian16(&header[10]);
  FSampleRate = LittleEndian32(&header[12]);
  FSamples = TotalBlocks(LittleEndian32(&header[24]), blocksPerFrame, LittleEndian32(&header[28]));
  // Old headers keep the sample width in their flags: 8-bit, 24-bit, otherwise 16-bit.
  FBitsPerSample = (flags & 0x0001) != 0 ? 8 : (flags & 0x0008) != 0 ? 24 : 16;
  return true;
}

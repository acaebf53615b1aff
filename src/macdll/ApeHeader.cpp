#include "macdll/ApeHeader.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "macdll/RawFile.h"

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }

}  // namespace

namespace {

// Where the APE data starts: after an ID3v2 tag, which FFmpeg skips as well.
int64_t ApeStart(TRawFile& file) {
  uint8_t id3[10];
  if (!file.ReadAt(0, id3) || std::memcmp(id3, "ID3", 3) != 0) {
    return 0;
  }
  const int64_t size = (id3[6] & 0x7F) << 21 | (id3[7] & 0x7F) << 14 | (id3[8] & 0x7F) << 7 | (id3[9] & 0x7F);
  return 10 + size + ((id3[5] & 0x10) ? 10 : 0);
}

bool ReadCurrentLayout(TRawFile& file, int64_t start, const uint8_t* descriptor, TApeHeaderInfo& info) {
  const uint32_t descriptorBytes = Le32(descriptor + 8);
  uint8_t header[24];
  if (descriptorBytes < 52 || !file.ReadAt(start + descriptorBytes, header)) {
    return false;
  }
  info.CurrentLayout = true;
  info.SeekTableBytes = Le32(descriptor + 16);
  // A damaged high word must not overflow the sum.
  const uint64_t frameDataBytes =
      std::min<uint64_t>(Le32(descriptor + 24) | (uint64_t{Le32(descriptor + 28)} << 32), uint64_t{1} << 48);
  info.AudioEnd = start + int64_t{descriptorBytes} + Le32(descriptor + 12) + info.SeekTableBytes +
                  Le32(descriptor + 20) + static_cast<int64_t>(frameDataBytes) + Le32(descriptor + 32);
  info.Level = Le16(header);
  info.Flags = Le16(header + 2);
  info.BlocksPerFrame = Le32(header + 4);
  info.FinalFrameBlocks = Le32(header + 8);
  info.TotalFrames = Le32(header + 12);
  info.BitsPerSample = Le16(header + 16);
  info.Channels = Le16(header + 18);
  info.SampleRate = Le32(header + 20);
  return true;
}

// The older header only matters here for the size of its seek table.
bool ReadOldLayout(TRawFile& file, int64_t start, TApeHeaderInfo& info) {
  constexpr uint16_t FlagPeakLevel = 4;
  constexpr uint16_t FlagSeekElements = 16;
  uint8_t header[40];
  if (!file.ReadAt(start, std::span<uint8_t>(header, 32))) {
    return false;
  }
  const uint16_t flags = Le16(header + 8);
  const uint32_t totalFrames = Le32(header + 24);
  int64_t at = 32 + ((flags & FlagPeakLevel) ? 4 : 0);
  if (flags & FlagSeekElements) {
    if (!file.ReadAt(start + at, std::span<uint8_t>(header + 32, 4))) {
      return false;
    }
    info.SeekTableBytes = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{Le32(header + 32)} * 4, UINT32_MAX));
  } else {
    info.SeekTableBytes = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{totalFrames} * 4, UINT32_MAX));
  }
  return true;
}

}  // namespace

bool ReadApeHeader(const std::string& fileName, TApeHeaderInfo& info) {
  TRawFile file;
  uint8_t descriptor[52];
  if (!file.Open(fileName, false)) {
    return false;
  }
  info.FileSize = file.Size();
  const int64_t start = ApeStart(file);
  if (!file.ReadAt(start, descriptor) || std::memcmp(descriptor, "MAC ", 4) != 0) {
    return false;
  }
  info.Version = Le16(descriptor + 4);
  return info.Version >= 3980 ? ReadCurrentLayout(file, start, descriptor, info) : ReadOldLayout(file, start, info);
}


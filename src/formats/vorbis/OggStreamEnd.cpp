#include "formats/vorbis/OggStreamEnd.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int64_t PageHeaderSize = 27;
// A page holds at most 255 segments of 255 bytes after its header and segment table.
constexpr int64_t MaxPageSize = PageHeaderSize + 255 + 255 * 255;
constexpr uint8_t EndOfStreamFlag = 0x04;

// The bytes of the last page that starts in `tail`, or -1 when the capture pattern is not found.
int64_t LastPageStart(const std::vector<uint8_t>& tail) {
  for (int64_t at = static_cast<int64_t>(tail.size()) - PageHeaderSize; at >= 0; --at) {
    if (std::memcmp(tail.data() + at, "OggS", 4) == 0 && tail[static_cast<size_t>(at) + 4] == 0) {
      return at;
    }
  }
  return -1;
}

std::string TailProblem(const std::vector<uint8_t>& tail) {
  const int64_t start = LastPageStart(tail);
  if (start < 0) {
    return "the file ends inside an Ogg page";
  }
  const auto size = static_cast<int64_t>(tail.size());
  const uint8_t segments = tail[static_cast<size_t>(start) + 26];
  if (start + PageHeaderSize + segments > size) {
    return "the file ends inside an Ogg page";
  }
  int64_t body = 0;
  for (int64_t i = 0; i < segments; ++i) {
    body += tail[static_cast<size_t>(start + PageHeaderSize + i)];
  }
  if (start + PageHeaderSize + segments + body > size) {
    return "the file ends inside an Ogg page";
  }
  if ((tail[static_cast<size_t>(start) + 5] & EndOfStreamFlag) == 0) {
    return "the last Ogg page does not end the stream";
  }
  return {};
}

}  // namespace

std::string OggEndProblem(TStream& stream) {
  const int64_t position = stream.Position();
  const int64_t size = stream.Size();
  const int64_t length = std::min(size, MaxPageSize);
  std::vector<uint8_t> tail(static_cast<size_t>(length));
  stream.Seek(size - length);
  int64_t read = 0;
  while (read < length) {
    const int64_t n = stream.Read(std::span<uint8_t>(tail.data() + read, static_cast<size_t>(length - read)));
    if (n <= 0) {
      break;
    }
    read += n;
  }
  stream.Seek(position);
  tail.resize(static_cast<size_t>(read));
  return TailProblem(tail);
}

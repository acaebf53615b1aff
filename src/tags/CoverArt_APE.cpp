// Pictures of an APEv2 tag: binary "Cover Art (...)" items, each the picture's file name, a zero
// byte and the image.

#include <algorithm>
#include <array>
#include <cctype>

#include "tags/CoverArt.h"
#include "tags/ID3v1.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr int64_t FooterSize = 32;
constexpr size_t MaxKeySize = 256;
constexpr uint32_t BinaryItem = 1;

std::string LowerKey(std::string key) {
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
  return key;
}

// The key at `position`, up to its zero byte; false when none ends within the limit.
bool ReadKey(TStream& stream, int64_t position, std::string& key, int64_t& after) {
  std::array<uint8_t, MaxKeySize> bytes{};
  const int64_t got = ReadAt(stream, position, bytes);
  const auto end = bytes.begin() + got;
  const auto zero = std::find(bytes.begin(), end, 0);
  if (zero == end) {
    return false;
  }
  key.assign(bytes.begin(), zero);
  after = position + (zero - bytes.begin()) + 1;
  return true;
}

}  // namespace

TCoverRead ReadAPECover(TStream& stream) {
  TCoverRead read;
  const int64_t fileSize = stream.Size();
  std::array<uint8_t, 3> marker{};
  const int64_t trailer = ReadExactAt(stream, fileSize - ID3v1Size, marker) && HasMarker(marker, "TAG") ? ID3v1Size : 0;
  std::array<uint8_t, FooterSize> footer{};
  if (!ReadExactAt(stream, fileSize - trailer - FooterSize, footer) || !HasMarker(footer, "APETAGEX")) {
    return read;
  }
  const int64_t end = fileSize - trailer - FooterSize;
  int64_t position = fileSize - trailer - int64_t{LittleEndian32(&footer[12])};
  const uint32_t count = LittleEndian32(&footer[16]);
  std::string key;
  for (uint32_t item = 0; item < count && position >= 0 && position + 8 < end; ++item) {
    std::array<uint8_t, 8> head{};
    int64_t valueStart = 0;
    if (!ReadExactAt(stream, position, head) || !ReadKey(stream, position + 8, key, valueStart)) {
      return read;
    }
    const int64_t size = LittleEndian32(head.data());
    const bool binary = ((LittleEndian32(&head[4]) >> 1) & 3) == BinaryItem;
    const std::string lower = LowerKey(key);
    if (binary && lower.starts_with("cover art (") && size <= end - valueStart) {
      if (size > MaxPictureBytes + int64_t{MaxKeySize}) {
        read.Oversized(size);
      } else {
        std::vector<uint8_t> value(static_cast<size_t>(size));
        const auto zero = ReadExactAt(stream, valueStart, value) ? std::find(value.begin(), value.end(), 0) : value.end();
        if (zero != value.end()) {
          TPicture picture;
          picture.Type = lower == "cover art (front)" ? ptFrontCover : ptOther;
          picture.Description = Utf8Prefix(std::string(value.begin(), zero));
          picture.Data.assign(zero + 1, value.end());
          picture.MimeType = ImageMimeType(picture.Data);
          read.Offer(std::move(picture));
        }
      }
    }
    position = valueStart + size;
  }
  return read;
}

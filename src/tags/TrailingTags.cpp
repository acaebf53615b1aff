#include "tags/TrailingTags.h"

#include <array>
#include <cstring>

#include "tags/ID3v2Bytes.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr int64_t ID3v1Bytes = 128;
constexpr int64_t ApeFooterBytes = 32;
constexpr uint32_t ApeHasHeader = 1u << 31;
constexpr int64_t LyricsMarkerBytes = 15;  // six digits of size, then "LYRICS200"
constexpr int64_t ID3v2FooterBytes = 10;

bool MarkerAt(TStream& stream, int64_t position, const char* marker) {
  std::array<uint8_t, 16> bytes{};
  const size_t length = std::strlen(marker);
  return position >= 0 && ReadExactAt(stream, position, std::span(bytes).first(length)) &&
         std::memcmp(bytes.data(), marker, length) == 0;
}

// The size of the tag that ends at `end`, 0 when none does.
int64_t TagEndingAt(TStream& stream, int64_t end) {
  if (MarkerAt(stream, end - ID3v1Bytes, "TAG")) {
    return ID3v1Bytes;
  }
  std::array<uint8_t, ApeFooterBytes> footer{};
  if (end >= ApeFooterBytes && ReadExactAt(stream, end - ApeFooterBytes, footer) &&
      std::memcmp(footer.data(), "APETAGEX", 8) == 0) {
    const int64_t size = LittleEndian32(&footer[12]);
    return size + ((LittleEndian32(&footer[20]) & ApeHasHeader) != 0 ? ApeFooterBytes : 0);
  }
  std::array<uint8_t, LyricsMarkerBytes> lyrics{};
  if (end >= LyricsMarkerBytes && ReadExactAt(stream, end - LyricsMarkerBytes, lyrics) &&
      std::memcmp(&lyrics[6], "LYRICS200", 9) == 0) {
    int32_t size = 0;
    return ParseInteger(std::string(lyrics.begin(), lyrics.begin() + 6), size) ? size + LyricsMarkerBytes : 0;
  }
  std::array<uint8_t, ID3v2FooterBytes> id3{};
  if (end >= ID3v2FooterBytes && ReadExactAt(stream, end - ID3v2FooterBytes, id3) &&
      std::memcmp(id3.data(), "3DI", 3) == 0) {
    return SyncSafe32(&id3[6]) + 2 * ID3v2FooterBytes;
  }
  return 0;
}

}  // namespace

int64_t AudioEndBeforeTrailingTags(TStream& stream, int64_t audioStart) {
  int64_t end = stream.Size();
  while (true) {
    const int64_t size = TagEndingAt(stream, end);
    if (size <= 0 || size > end - audioStart) {
      return end;
    }
    end -= size;
  }
}

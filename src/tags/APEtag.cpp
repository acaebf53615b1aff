#include "tags/APEtag.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "tags/ID3v1.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr std::array<const char*, TAPEtag::KeyCount> ItemKeys = {
    "Title", "Artist", "Album", "Track", "Year", "Genre", "Comment", "Copyright", "Album Artist", "Disc", "Composer"};
constexpr size_t TrackItem = 3;
constexpr int64_t FooterSize = 32;
// Only the values of these keys are read, and never past the end of the data.
// Keys are at most 255 characters; a longer run of bytes without a zero matches none of ours.
constexpr size_t MaxKeySize = 256;

// An APEv2 text holds several values separated by zero bytes; they are kept joined with "; ".
std::string JoinedValues(std::string_view text, bool utf8) {
  std::string joined;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t zero = std::min(text.find('\0', start), text.size());
    const std::string value = TrimBlanks(text.substr(start, zero - start));
    if (!value.empty()) {
      joined += (joined.empty() ? "" : "; ") + (utf8 ? Utf8Prefix(value) : Utf8OrLatin1(value));
    }
    start = zero + 1;
  }
  return joined;
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// The key at the stream's position, up to its zero byte; the stream is left after the zero.
bool ReadKey(TStream& stream, std::string& key) {
  key.clear();
  std::array<uint8_t, 64> block{};
  while (true) {
    const int64_t start = stream.Position();
    const int64_t got = stream.Read(block);
    const auto end = block.begin() + got;
    const auto zero = std::find(block.begin(), end, 0);
    if (key.size() < MaxKeySize) {
      key.append(block.begin(), std::min(zero, block.begin() + static_cast<ptrdiff_t>(MaxKeySize - key.size())));
    }
    if (zero != end) {
      stream.Seek(start + (zero - block.begin()) + 1);
      return true;
    }
    if (got < static_cast<int64_t>(block.size())) {
      return false;
    }
  }
}

}  // namespace

void TAPEtag::Reset() {
  FExists = false;
  FVersion = 0;
  FSize = 0;
  FTrack = 0;
  for (auto& item : FItems) {
    item.clear();
  }
}

bool TAPEtag::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TAPEtag::LoadFromStream(TStream& stream) {
  Reset();
  const int64_t fileSize = stream.Size();
  std::array<uint8_t, 3> marker{};
  if (!ReadExactAt(stream, fileSize - ID3v1Size, marker)) {
    return false;
  }
  const int64_t trailerSize = HasMarker(marker, "TAG") ? ID3v1Size : 0;
  std::array<uint8_t, FooterSize> footer{};
  if (!ReadExactAt(stream, fileSize - trailerSize - FooterSize, footer)) {
    return false;
  }
  if (!HasMarker(footer, "APETAGEX")) {
    return true;
  }
  FExists = true;
  FVersion = static_cast<int32_t>(LittleEndian32(&footer[8]));
  FSize = static_cast<int32_t>(LittleEndian32(&footer[12]));
  const int64_t start = fileSize - trailerSize - FSize;
  if (FSize > 0 && start >= 0) {
    ReadItems(stream, start, LittleEndian32(&footer[16]));
  }
  FTrack = TrackNumber8(FItems[TrackItem]);
  return true;
}

void TAPEtag::ReadItems(TStream& stream, int64_t start, uint32_t count) {
  stream.Seek(start);
  std::string key;
  for (uint32_t item = 0; item < count; ++item) {
    std::array<uint8_t, 8> head{};
    if (!stream.ReadExact(head) || !ReadKey(stream, key)) {
      return;
    }
    const int64_t valueStart = stream.Position();
    const uint32_t valueSize = LittleEndian32(head.data());
    const std::string wanted = UpperCase(TrimBlanks(key));
    for (size_t i = 0; i < KeyCount; ++i) {
      if (wanted == UpperCase(ItemKeys[i])) {
        std::vector<uint8_t> value(static_cast<size_t>(std::min<int64_t>(valueSize, stream.Size() - valueStart)));
        value.resize(static_cast<size_t>(stream.Read(value)));
        FItems[i] = JoinedValues(BytesToString(value), FVersion > 1000);
      }
    }
    stream.Seek(valueStart + valueSize);
  }
}

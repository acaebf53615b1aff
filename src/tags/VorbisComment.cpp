#include "tags/VorbisComment.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "tags/TagText.h"

namespace {

constexpr std::array<const char*, vkCount> Keys = {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE",
                                                  "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};
constexpr int64_t MaxCommentSize = 250;

// One length-prefixed text, trimmed; false when the data ends before its length.
bool ReadText(TStream& stream, std::string& text) {
  std::array<uint8_t, 4> length{};
  if (!stream.ReadExact(length)) {
    return false;
  }
  const int64_t start = stream.Position();
  const uint32_t size = LittleEndian32(length.data());
  std::vector<uint8_t> bytes(static_cast<size_t>(std::min<int64_t>(size, MaxCommentSize)));
  bytes.resize(static_cast<size_t>(stream.Read(bytes)));
  text = TrimBlanks(UpToZero(BytesToString(bytes)));
  stream.Seek(start + size);
  return true;
}

void Store(const std::string& text, TVorbisComments& comments) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) {
    if (comments.Vendor.empty()) {
      comments.Vendor = Utf8OrLatin1(text);
    }
    return;
  }
  std::string key = text.substr(0, equals);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
  for (size_t i = 0; i < vkCount; ++i) {
    if (key == Keys[i]) {
      comments.Values[i] = Utf8Prefix(TrimBlanks(std::string_view(text).substr(equals + 1)));
    }
  }
}

}  // namespace

void ReadVorbisComments(TStream& stream, TVorbisComments& comments) {
  std::string text;
  if (!ReadText(stream, text)) {
    return;
  }
  Store(text, comments);
  std::array<uint8_t, 4> countBytes{};
  if (!stream.ReadExact(countBytes)) {
    return;
  }
  const uint32_t count = LittleEndian32(countBytes.data());
  for (uint32_t i = 0; i < count && ReadText(stream, text); ++i) {
    Store(text, comments);
  }
}

#include "tags/VorbisComment.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "tags/TagText.h"

namespace {

constexpr std::array<const char*, vkCount> Keys = {
    "TITLE",       "ARTIST",      "ALBUM",       "TRACKNUMBER", "DATE",       "GENRE",   "COMMENT",
    "PERFORMER",   "DESCRIPTION", "ALBUMARTIST", "DISCNUMBER",  "TOTALTRACKS", "TOTALDISCS", "COMPOSER"};

struct TKeyAlias {
  const char* Name;
  TVorbisKey Key;
};
constexpr std::array<TKeyAlias, 3> Aliases = {
    {{"TRACKTOTAL", vkTotalTracks}, {"DISCTOTAL", vkTotalDiscs}, {"ALBUM ARTIST", vkAlbumArtist}}};

// Long enough for any key this reader stores and its "=".
constexpr int64_t KeyPeekSize = 16;

int KeyIndex(std::string key) {
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
  for (size_t i = 0; i < vkCount; ++i) {
    if (key == Keys[i]) {
      return static_cast<int>(i);
    }
  }
  for (const TKeyAlias& alias : Aliases) {
    if (key == alias.Name) {
      return alias.Key;
    }
  }
  return -1;
}

void AddValue(std::string& into, const std::string& value) {
  if (value.empty()) {
    return;
  }
  into += into.empty() ? value : "; " + value;
}

// Every part between zero bytes is a value of its own.
void StoreValues(std::string_view text, std::string& into) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t zero = std::min(text.find('\0', start), text.size());
    AddValue(into, Utf8Prefix(TrimBlanks(text.substr(start, zero - start))));
    start = zero + 1;
  }
}

std::string ReadBytes(TStream& stream, int64_t size) {
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  bytes.resize(static_cast<size_t>(stream.Read(bytes)));
  return BytesToString(bytes);
}

// One length-prefixed comment; its value is read only when its key is one this reader keeps, so a
// large picture comment costs no more than its key. False when the data ends before its length.
bool ReadComment(TStream& stream, TVorbisComments& comments, bool vendor) {
  std::array<uint8_t, 4> length{};
  if (!stream.ReadExact(length)) {
    return false;
  }
  const int64_t start = stream.Position();
  const int64_t size = LittleEndian32(length.data());
  if (size > stream.Size() - start) {
    return false;
  }
  if (vendor) {
    comments.Vendor = Utf8OrLatin1(TrimBlanks(UpToZero(ReadBytes(stream, size))));
    return true;
  }
  const std::string head = ReadBytes(stream, std::min(size, KeyPeekSize));
  const size_t equals = head.find('=');
  const int key = equals == std::string::npos ? -1 : KeyIndex(head.substr(0, equals));
  if (key >= 0) {
    stream.Seek(start + static_cast<int64_t>(equals) + 1);
    StoreValues(ReadBytes(stream, size - static_cast<int64_t>(equals) - 1), comments.Values[static_cast<size_t>(key)]);
  }
  stream.Seek(start + size);
  return true;
}

}  // namespace

const char* VorbisKeyName(TVorbisKey key) { return Keys[key]; }

void ReadVorbisComments(TStream& stream, TVorbisComments& comments) {
  if (!ReadComment(stream, comments, true)) {
    return;
  }
  std::array<uint8_t, 4> countBytes{};
  if (!stream.ReadExact(countBytes)) {
    return;
  }
  // Each comment takes at least its four length bytes, so a count past the data ends with it.
  const uint32_t count = LittleEndian32(countBytes.data());
  for (uint32_t i = 0; i < count; ++i) {
    if (!ReadComment(stream, comments, false)) {
      return;
    }
  }
}

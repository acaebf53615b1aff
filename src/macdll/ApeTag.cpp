#include "macdll/ApeTag.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "macdll/ApeHeader.h"
#include "macdll/MACDllApi.h"
#include "macdll/RawFile.h"

namespace {

constexpr int64_t FooterBytes = 32;
constexpr int64_t Id3v1Bytes = 128;
constexpr uint32_t FlagHasHeader = 1u << 31;
constexpr uint32_t FlagIsHeader = 1u << 29;
// Room for a 16 MiB cover picture and the texts beside it.
constexpr uint32_t MaxTagBytes = 17u << 20;
// Bits 1 and 2 of an item's flags give its kind; 1 is binary.
constexpr uint32_t FlagBinary = 1u << 1;

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

// Where the tag region sits: [Start, End) holds the APE tag (empty when there is none), and an
// ID3v1 trailer, when present, follows at End.
struct TTagPlace {
  int64_t Start = 0;
  int64_t End = 0;
  std::vector<uint8_t> Id3v1;
  std::vector<uint8_t> Body;  // the items of the existing tag
  uint32_t ItemCount = 0;
};

// `audioEnd`: no tag can begin before this offset (the end of an APE file's audio data).
bool LocateTag(TRawFile& file, int64_t audioEnd, TTagPlace& place) {
  int64_t end = file.Size();
  if (end < 0) {
    return false;
  }
  if (end >= Id3v1Bytes) {
    std::vector<uint8_t> trailer(Id3v1Bytes);
    if (file.ReadAt(end - Id3v1Bytes, trailer) && std::memcmp(trailer.data(), "TAG", 3) == 0) {
      place.Id3v1 = std::move(trailer);
      end -= Id3v1Bytes;
    }
  }
  place.Start = place.End = end;
  uint8_t footer[FooterBytes];
  if (end < FooterBytes || !file.ReadAt(end - FooterBytes, footer) || std::memcmp(footer, "APETAGEX", 8) != 0) {
    return true;
  }
  const uint32_t version = Le32(footer + 8);
  const uint32_t size = Le32(footer + 12);
  const uint32_t flags = Le32(footer + 20);
  const int64_t header = (flags & FlagHasHeader) ? FooterBytes : 0;
  if ((version != 1000 && version != 2000) || size < FooterBytes || size > MaxTagBytes ||
      end - size - header < audioEnd) {
    return true;  // not a tag we can trust: leave those bytes alone
  }
  place.Start = end - size - header;
  place.ItemCount = Le32(footer + 16);
  place.Body.resize(size - FooterBytes);
  return file.ReadAt(end - size, place.Body);
}

// The items of an existing tag; stops at the first one that does not fit.
std::vector<std::pair<std::string, std::vector<uint8_t>>> ParseItems(const TTagPlace& place,
                                                                      std::vector<uint32_t>& flags) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> items;
  const std::vector<uint8_t>& body = place.Body;
  size_t at = 0;
  for (uint32_t i = 0; i < place.ItemCount && at + 8 < body.size(); ++i) {
    const uint32_t length = Le32(body.data() + at);
    const uint32_t itemFlags = Le32(body.data() + at + 4);
    const auto keyEnd = std::find(body.begin() + static_cast<std::ptrdiff_t>(at + 8), body.end(), 0);
    if (keyEnd == body.end()) {
      break;
    }
    const size_t valueStart = static_cast<size_t>(keyEnd - body.begin()) + 1;
    if (length > body.size() - valueStart) {
      break;
    }
    items.emplace_back(std::string(body.begin() + static_cast<std::ptrdiff_t>(at + 8), keyEnd),
                       std::vector<uint8_t>(body.begin() + static_cast<std::ptrdiff_t>(valueStart),
                                            body.begin() + static_cast<std::ptrdiff_t>(valueStart + length)));
    flags.push_back(itemFlags);
    at = valueStart + length;
  }
  return items;
}

std::vector<uint8_t> TagBlock(uint32_t size, uint32_t count, uint32_t flags) {
  std::vector<uint8_t> block = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
  AppendLe32(block, 2000);
  AppendLe32(block, size);
  AppendLe32(block, count);
  AppendLe32(block, flags);
  block.resize(FooterBytes, 0);
  return block;
}

struct TRawItem {
  std::string Key;
  std::vector<uint8_t> Value;
  uint32_t Flags = 0;
};

std::vector<uint8_t> BuildTag(std::vector<TRawItem> items) {
  // Smaller items first, as readers that stop early then still see most of them.
  std::stable_sort(items.begin(), items.end(), [](const TRawItem& a, const TRawItem& b) {
    return a.Key.size() + a.Value.size() < b.Key.size() + b.Value.size();
  });
  std::vector<uint8_t> body;
  for (const TRawItem& item : items) {
    AppendLe32(body, static_cast<uint32_t>(item.Value.size()));
    AppendLe32(body, item.Flags);
    body.insert(body.end(), item.Key.begin(), item.Key.end());
    body.push_back(0);
    body.insert(body.end(), item.Value.begin(), item.Value.end());
  }
  const auto size = static_cast<uint32_t>(body.size() + FooterBytes);
  const auto count = static_cast<uint32_t>(items.size());
  std::vector<uint8_t> tag = TagBlock(size, count, FlagHasHeader | FlagIsHeader);
  tag.insert(tag.end(), body.begin(), body.end());
  const std::vector<uint8_t> footer = TagBlock(size, count, FlagHasHeader);
  tag.insert(tag.end(), footer.begin(), footer.end());
  return tag;
}

int ReplaceTag(TRawFile& file, const TTagPlace& place, const std::vector<uint8_t>& tag) {
  std::vector<uint8_t> tail = tag;
  tail.insert(tail.end(), place.Id3v1.begin(), place.Id3v1.end());
  if (!file.WriteAt(place.Start, tail) || !file.Truncate(place.Start + static_cast<int64_t>(tail.size()))) {
    return MAC_ERROR_IO_WRITE;
  }
  return MAC_ERROR_SUCCESS;
}

bool SameKey(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool LocateTagOf(const std::string& fileName, TRawFile& file, TTagPlace& place) {
  TApeHeaderInfo header;
  const int64_t audioEnd = ReadApeHeader(fileName, header) && header.CurrentLayout ? header.AudioEnd : 0;
  return LocateTag(file, audioEnd, place);
}

}  // namespace

int WriteApeTag(const std::string& fileName, const std::vector<TApeTagItem>& items, bool merge) {
  TRawFile file;
  TTagPlace place;
  if (!file.Open(fileName, true)) {
    return MAC_ERROR_INVALID_OUTPUT_FILE;
  }
  if (!LocateTagOf(fileName, file, place)) {
    return MAC_ERROR_IO_READ;
  }
  std::vector<TRawItem> kept;
  for (const TApeTagItem& item : items) {
    if (!item.Value.empty()) {
      kept.push_back({item.Key, std::vector<uint8_t>(item.Value.begin(), item.Value.end()),
                      item.Binary ? FlagBinary : 0});
    }
  }
  if (merge) {
    std::vector<uint32_t> flags;
    const auto old = ParseItems(place, flags);
    for (size_t i = 0; i < old.size(); ++i) {
      const bool replaced = std::any_of(items.begin(), items.end(),
                                        [&](const TApeTagItem& item) { return SameKey(item.Key, old[i].first); });
      if (!replaced) {
        kept.push_back({old[i].first, old[i].second, flags[i]});
      }
    }
  }
  return ReplaceTag(file, place, BuildTag(std::move(kept)));
}

int RemoveApeTag(const std::string& fileName) {
  TRawFile file;
  TTagPlace place;
  if (!file.Open(fileName, true)) {
    return MAC_ERROR_INVALID_INPUT_FILE;
  }
  if (!LocateTagOf(fileName, file, place)) {
    return MAC_ERROR_IO_READ;
  }
  return ReplaceTag(file, place, {});
}

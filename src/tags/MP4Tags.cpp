#include "tags/MP4Tags.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tags/Picture.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr int64_t AtomHeader = 8;
constexpr uint32_t TextData = 1;
constexpr int MaxSiblings = 4096;

struct TTextItem {
  const char* Type;  // the four bytes of the item atom; "\xA9nam" and the like
  TMP4Item Item;
};
constexpr TTextItem TextItems[] = {{"\xA9nam", miTitle},   {"\xA9" "ART", miArtist}, {"\xA9" "alb", miAlbum},
                                   {"\xA9" "day", miYear}, {"\xA9gen", miGenre},     {"\xA9" "cmt", miComment},
                                   {"aART", miAlbumArtist}, {"\xA9wrt", miComposer}};

struct TAtom {
  char Type[4] = {};
  int64_t Body = 0;  // the first byte after the header
  int64_t End = 0;
};

// The atom at `position`, which must end by `end`.
bool ReadAtom(TStream& stream, int64_t position, int64_t end, TAtom& atom) {
  std::array<uint8_t, 16> header{};
  if (end - position < AtomHeader || !ReadExactAt(stream, position, std::span(header).first(AtomHeader))) {
    return false;
  }
  std::memcpy(atom.Type, &header[4], 4);
  int64_t size = BigEndian32(header.data());
  atom.Body = position + AtomHeader;
  if (size == 1) {  // a 64-bit size follows the type
    if (!ReadExactAt(stream, atom.Body, std::span(header).subspan(8, 8))) {
      return false;
    }
    const uint64_t large = uint64_t{BigEndian32(&header[8])} << 32 | BigEndian32(&header[12]);
    size = large > static_cast<uint64_t>(end - position) ? -1 : static_cast<int64_t>(large);
    atom.Body += 8;
  } else if (size == 0) {
    size = end - position;
  }
  atom.End = position + size;
  return size >= atom.Body - position && size <= end - position;
}

// The child of [start, end) with the given type.
bool FindChild(TStream& stream, int64_t start, int64_t end, const char* type, TAtom& found) {
  // Every atom is at least its header long, so the walk always moves on; real files have a
  // handful of atoms on each level.
  int siblings = 0;
  for (int64_t at = start; ++siblings <= MaxSiblings && ReadAtom(stream, at, end, found); at = found.End) {
    if (std::memcmp(found.Type, type, 4) == 0) {
      return true;
    }
  }
  return false;
}

std::string Number(uint16_t value) { return value == 0 ? std::string() : std::to_string(value); }

void ReadItem(TStream& stream, const TAtom& item, TMP4Texts& texts) {
  const auto text = std::find_if(std::begin(TextItems), std::end(TextItems),
                                 [&item](const TTextItem& entry) { return std::memcmp(entry.Type, item.Type, 4) == 0; });
  const bool pair = std::memcmp(item.Type, "trkn", 4) == 0 || std::memcmp(item.Type, "disk", 4) == 0;
  if (text == std::end(TextItems) && !pair) {
    return;
  }
  TAtom data;
  int values = 0;
  for (int64_t at = item.Body; ++values <= MaxSiblings && ReadAtom(stream, at, item.End, data); at = data.End) {
    const int64_t size = data.End - data.Body - 8;  // after the type and locale words
    if (std::memcmp(data.Type, "data", 4) != 0 || size < 0 || size > MaxPictureBytes) {
      continue;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(8 + size));
    if (!ReadExactAt(stream, data.Body, bytes)) {
      return;
    }
    if (pair && bytes.size() >= 14) {
      const bool track = item.Type[0] == 't';
      texts[track ? miTrack : miDisc] = Number(BigEndian16(&bytes[10]));
      texts[track ? miTotalTracks : miTotalDiscs] = Number(BigEndian16(&bytes[12]));
    } else if (!pair && (BigEndian32(bytes.data()) & 0xFFFFFF) == TextData) {
      std::string& into = texts[text->Item];
      const std::string value = TrimBlanks(Utf8OrLatin1(std::string(bytes.begin() + 8, bytes.end())));
      if (!value.empty()) {
        into += (into.empty() ? "" : "; ") + value;
      }
    }
  }
}

}  // namespace

bool ReadMP4Tags(TStream& stream, TMP4Texts& texts) {
  const int64_t size = stream.Size();
  TAtom moov, udta, meta, ilst;
  // meta is a full atom: a version and flags word comes before its children.
  if (!FindChild(stream, 0, size, "moov", moov) || !FindChild(stream, moov.Body, moov.End, "udta", udta) ||
      !FindChild(stream, udta.Body, udta.End, "meta", meta) ||
      !FindChild(stream, meta.Body + 4, meta.End, "ilst", ilst)) {
    return false;
  }
  TAtom item;
  int items = 0;
  for (int64_t at = ilst.Body; ++items <= MaxSiblings && ReadAtom(stream, at, ilst.End, item); at = item.End) {
    ReadItem(stream, item, texts);
  }
  return true;
}

#include "tags/WMAfile_Header.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "platform/AsfGuids.h"
#include "tags/TagText.h"

namespace {

using namespace asf;

// Attribute names, upper-cased, and the slot each fills. The content description's own names are
// attributes too: writers put them in the other objects as well (a second author, FFmpeg's comment).
constexpr std::pair<const char*, TWMASlot> AttributeNames[] = {
    {"TITLE", wsTitle},           {"WM/TITLE", wsTitle},         {"AUTHOR", wsArtist},
    {"WM/AUTHOR", wsArtist},      {"WM/ALBUMTITLE", wsAlbum},    {"WM/TRACKNUMBER", wsTrack},
    {"WM/YEAR", wsYear},          {"WM/GENRE", wsGenre},         {"DESCRIPTION", wsComment},
    {"WM/DESCRIPTION", wsComment}, {"WM/LYRICS", wsLyrics},      {"WM/ALBUMARTIST", wsAlbumArtist},
    {"WM/PARTOFSET", wsDisc},     {"WM/COMPOSER", wsComposer},   {"WM/TRACK", wsZeroTrack}};
constexpr uint32_t ObjectHeaderSize = 24;

// Value types of an attribute.
enum { vtString = 0, vtBytes = 1, vtBool = 2, vtDWord = 3, vtQWord = 4, vtWord = 5, vtGuid = 6 };

struct EShortHeader {};

class THeaderReader {
public:
  explicit THeaderReader(TStream& stream) : FStream(stream) {}

  void Seek(int64_t position) { FStream.Seek(position); }
  int64_t Position() const { return FStream.Position(); }
  int64_t Size() const { return FStream.Size(); }
  bool Damaged() const { return FDamaged; }
  void SetDamaged() { FDamaged = true; }
  void Bytes(std::span<uint8_t> out) {
    if (!FStream.ReadExact(out)) {
      throw EShortHeader{};
    }
  }
  uint16_t Word() {
    std::array<uint8_t, 2> b{};
    Bytes(b);
    return LittleEndian16(b.data());
  }
  uint32_t DWord() {
    std::array<uint8_t, 4> b{};
    Bytes(b);
    return LittleEndian32(b.data());
  }
  uint64_t QWord() {
    std::array<uint8_t, 8> b{};
    Bytes(b);
    return LittleEndian64(b.data());
  }
  // A UTF-16LE string of `size` bytes, which must lie before `end`; it ends at its first zero.
  std::u16string WideString(uint32_t size, int64_t end) {
    if (size > end - Position()) {
      throw EShortHeader{};
    }
    std::vector<uint8_t> bytes(size);
    Bytes(bytes);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(LittleEndian16(&bytes[i]));
    }
    return text.substr(0, text.find(u'\0'));
  }

private:
  TStream& FStream;
  bool FDamaged = false;
};

std::string UpperAscii(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out += c < 0x80 ? static_cast<char>(std::toupper(static_cast<int>(c))) : '?';
  }
  return out;
}

std::u16string Decimal(uint64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// An attribute's value as text: numbers in decimal, pictures and other bytes as nothing.
std::u16string AttributeText(THeaderReader& reader, uint16_t type, uint32_t size, int64_t end) {
  if (type == vtDWord && size >= 4) {
    return Decimal(reader.DWord());
  }
  if (type == vtQWord && size >= 8) {
    return Decimal(reader.QWord());
  }
  if ((type == vtWord || type == vtBool) && size >= 2) {
    return Decimal(type == vtBool && size >= 4 ? reader.DWord() : reader.Word());
  }
  return type == vtString ? reader.WideString(size, end) : std::u16string();
}

// Where an attribute was found; a list's values are shown in this order whatever the order of
// the objects in the file (mutagen puts the first value in a description, the others in the library).
enum TPlace { apContentDescription, apExtendedContent, apMetadata, apLibrary };

// Fills the slots; a name seen again adds its value, another name for the same slot replaces it.
class TSlotFiller {
public:
  explicit TSlotFiller(TWMAHeaderData& data) : FData(data) {}

  // Writes the lists into the slots.
  void Finish() {
    for (size_t slot = 0; slot < wsCount; ++slot) {
      std::stable_sort(FValues[slot].begin(), FValues[slot].end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      for (const auto& [place, value] : FValues[slot]) {
        FData.Slots[slot] += (FData.Slots[slot].empty() ? u"" : u"; ") + value;
      }
    }
  }

  // The slot the attribute fills, or wsCount for none.
  static TWMASlot SlotOf(const std::string& name) {
    const auto found = std::find_if(std::begin(AttributeNames), std::end(AttributeNames),
                                    [&name](const auto& entry) { return name == entry.first; });
    return found == std::end(AttributeNames) ? wsCount : found->second;
  }

  void Add(const std::string& name, TWMASlot slot, TPlace place, const std::u16string& value) {
    const std::u16string text = TrimWideBlanks(value);
    if (text.empty()) {
      return;
    }
    auto& values = FValues[slot];
    if (FNames[slot] != name) {
      FNames[slot] = name;
      values.clear();
    }
    if (std::none_of(values.begin(), values.end(), [&text](const auto& held) { return held.second == text; })) {
      values.emplace_back(place, text);
    }
  }

private:
  TWMAHeaderData& FData;
  std::array<std::string, wsCount> FNames;
  std::array<std::vector<std::pair<TPlace, std::u16string>>, wsCount> FValues;
};

void ReadContentDescription(THeaderReader& reader, int64_t start, int64_t end, TSlotFiller& slots) {
  reader.Seek(start + ObjectHeaderSize);
  std::array<uint16_t, 5> sizes{};
  for (auto& size : sizes) {
    size = reader.Word();
  }
  static constexpr const char* Names[] = {"TITLE", "AUTHOR", nullptr, "DESCRIPTION", nullptr};
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::u16string text = reader.WideString(sizes[i], end);
    if (Names[i] != nullptr) {
      slots.Add(Names[i], TSlotFiller::SlotOf(Names[i]), apContentDescription, text);
    }
  }
}

// One attribute: its name and value, or only its size to step over when no slot wants it.
void ReadAttribute(THeaderReader& reader, const std::u16string& rawName, uint16_t type, uint32_t size, int64_t end,
                   TPlace place, TSlotFiller& slots) {
  const int64_t valueStart = reader.Position();
  if (size > end - valueStart) {
    throw EShortHeader{};
  }
  const std::string name = UpperAscii(TrimWideBlanks(rawName));
  const TWMASlot slot = TSlotFiller::SlotOf(name);
  if (slot != wsCount) {
    slots.Add(name, slot, place, AttributeText(reader, type, size, end));
  }
  reader.Seek(valueStart + size);
}

void ReadExtendedContentDescription(THeaderReader& reader, int64_t start, int64_t end, TSlotFiller& slots) {
  reader.Seek(start + ObjectHeaderSize);
  const uint16_t count = reader.Word();
  for (uint16_t i = 0; i < count; ++i) {
    const std::u16string name = reader.WideString(reader.Word(), end);
    const uint16_t type = reader.Word();
    const uint16_t size = reader.Word();
    ReadAttribute(reader, name, type, size, end, apExtendedContent, slots);
  }
}

// The metadata object and the metadata library share one record layout: a language (or reserved)
// word and a stream number before the name's and the value's sizes.
void ReadMetadataRecords(THeaderReader& reader, int64_t start, int64_t end, TPlace place, TSlotFiller& slots) {
  reader.Seek(start + ObjectHeaderSize);
  const uint16_t count = reader.Word();
  for (uint16_t i = 0; i < count; ++i) {
    reader.DWord();
    const uint16_t nameSize = reader.Word();
    const uint16_t type = reader.Word();
    const uint32_t size = reader.DWord();
    const std::u16string name = reader.WideString(nameSize, end);
    ReadAttribute(reader, name, type, size, end, place, slots);
  }
}

void ReadStreamProperties(THeaderReader& reader, int64_t start, TWMAHeaderData& data) {
  reader.Seek(start + ObjectHeaderSize);
  TGuid type{};
  reader.Bytes(type);
  // The first audio stream is the one shown; script, image and video streams say nothing of it.
  if (type != AudioMedia || data.Channels != 0) {
    return;
  }
  reader.Seek(start + 80);
  data.Channels = reader.Word();
  data.SampleRate = reader.DWord();
  data.ByteRate = reader.DWord();
}

template <class TVisit>
void WalkObjects(THeaderReader& reader, int64_t start, int64_t end, uint32_t count, TVisit&& visit) {
  for (uint32_t i = 0; i < count && end - start >= ObjectHeaderSize; ++i) {
    reader.Seek(start);
    TGuid id{};
    reader.Bytes(id);
    const uint64_t size = reader.QWord();
    // An object smaller than its own header would make the walk stand still.
    if (size < ObjectHeaderSize || size > static_cast<uint64_t>(end - start)) {
      throw EShortHeader{};
    }
    // A damaged object costs only its own fields: its size says where the next one begins.
    try {
      visit(id, start, start + static_cast<int64_t>(size));
    } catch (const EShortHeader&) {
      reader.SetDamaged();
    }
    start += static_cast<int64_t>(size);
  }
}

// `nested`: inside the header extension, which holds no further extension.
void ReadObject(THeaderReader& reader, const TGuid& id, int64_t start, int64_t end, bool nested,
                TWMAHeaderData& data, TSlotFiller& slots) {
  if (id == FilePropertiesObject) {
    reader.Seek(start + 64);
    data.PlayDuration = reader.QWord();
    reader.QWord();
    data.Preroll = reader.QWord();
    reader.Seek(start + 100);
    data.MaxBitRate = reader.DWord();
  } else if (id == StreamPropertiesObject) {
    ReadStreamProperties(reader, start, data);
  } else if (id == ContentDescriptionObject) {
    ReadContentDescription(reader, start, end, slots);
  } else if (id == ExtendedContentDescriptionObject) {
    ReadExtendedContentDescription(reader, start, end, slots);
  } else if (id == MetadataObject || id == MetadataLibraryObject) {
    ReadMetadataRecords(reader, start, end, id == MetadataObject ? apMetadata : apLibrary, slots);
  } else if (id == HeaderExtensionObject && !nested) {
    reader.Seek(start + ObjectHeaderSize + 18);
    const int64_t dataStart = start + ObjectHeaderSize + 22;
    const int64_t dataEnd = std::min<int64_t>(end, dataStart + reader.DWord());
    WalkObjects(reader, dataStart, dataEnd, UINT32_MAX, [&](const TGuid& inner, int64_t from, int64_t to) {
      ReadObject(reader, inner, from, to, true, data, slots);
    });
  }
}

}  // namespace

bool ReadWMAHeader(TStream& stream, TWMAHeaderData& data) {
  data.FileSize = stream.Size();
  THeaderReader reader(stream);
  TSlotFiller slots(data);
  bool whole = true;
  try {
    reader.Seek(0);
    TGuid id{};
    reader.Bytes(id);
    if (id == HeaderObject) {
      const int64_t end =
          static_cast<int64_t>(std::min<uint64_t>(reader.QWord(), static_cast<uint64_t>(reader.Size())));
      const uint32_t count = reader.DWord();
      reader.Word();
      WalkObjects(reader, reader.Position(), end, count, [&](const TGuid& object, int64_t from, int64_t to) {
        ReadObject(reader, object, from, to, false, data, slots);
      });
    }
  } catch (const EShortHeader&) {
    whole = false;
  }
  slots.Finish();
  return whole && !reader.Damaged();
}

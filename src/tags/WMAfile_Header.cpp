#include "tags/WMAfile_Header.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>
#include <vector>

#include "tags/TagText.h"

namespace {

using TGUID = std::array<uint8_t, 16>;

// GUIDs as stored: the first three groups little-endian.
constexpr TGUID HeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr TGUID FilePropertiesObject = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                        0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr TGUID StreamPropertiesObject = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                          0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr TGUID ContentDescriptionObject = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                            0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr TGUID ExtendedContentDescriptionObject = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                    0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

constexpr std::array<const char*, wsCount> AttributeNames = {
    "WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACKNUMBER", "WM/YEAR", "WM/GENRE", "WM/DESCRIPTION", "WM/LYRICS"};
// The content description's own names, which writers also use as attributes (FFmpeg's ASF writer
// puts the comment there as "Description").
constexpr std::array<std::pair<const char*, TWMASlot>, 3> DescriptionNames = {
    {{"TITLE", wsTitle}, {"AUTHOR", wsArtist}, {"DESCRIPTION", wsComment}}};
constexpr size_t MaxStringCharacters = 2500;
constexpr uint32_t ObjectHeaderSize = 24;

// Value types of an extended content descriptor.
enum { vtString = 0, vtBytes = 1, vtBool = 2, vtDWord = 3, vtQWord = 4, vtWord = 5 };

struct EShortHeader {};

class THeaderReader {
public:
  explicit THeaderReader(TStream& stream) : FStream(stream) {}

  void Seek(int64_t position) { FStream.Seek(position); }
  int64_t Position() const { return FStream.Position(); }
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
  // A string of `size` bytes: at most 2,500 characters are kept, the rest is skipped.
  std::u16string WideString(uint16_t size) {
    const int64_t end = Position() + size;
    std::vector<uint8_t> bytes(std::min<size_t>(size / 2, MaxStringCharacters) * 2);
    Bytes(bytes);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(LittleEndian16(&bytes[i]));
    }
    Seek(end);
    return text;
  }

private:
  TStream& FStream;
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

// A descriptor's value as text: numbers stored as numbers are written in decimal.
std::u16string DescriptorValue(THeaderReader& reader, uint16_t type, uint16_t size) {
  const int64_t end = reader.Position() + size;
  std::u16string value;
  if (type == vtDWord && size >= 4) {
    value = Decimal(reader.DWord());
  } else if (type == vtQWord && size >= 8) {
    value = Decimal(reader.QWord());
  } else if ((type == vtWord || type == vtBool) && size >= 2) {
    value = Decimal(type == vtBool && size >= 4 ? reader.DWord() : reader.Word());
  } else {
    value = reader.WideString(size);
  }
  reader.Seek(end);
  return value;
}

void ReadContentDescription(THeaderReader& reader, int64_t start, TWMAHeaderData& data) {
  reader.Seek(start + ObjectHeaderSize);
  std::array<uint16_t, 5> sizes{};
  for (auto& size : sizes) {
    size = reader.Word();
  }
  data.Slots[wsTitle] = reader.WideString(sizes[0]);
  data.Slots[wsArtist] = reader.WideString(sizes[1]);
  reader.WideString(sizes[2]);
  data.Slots[wsComment] = reader.WideString(sizes[3]);
}

void ReadExtendedContentDescription(THeaderReader& reader, int64_t start, TWMAHeaderData& data) {
  reader.Seek(start + ObjectHeaderSize);
  const uint16_t count = reader.Word();
  for (uint16_t i = 0; i < count; ++i) {
    const std::string name = UpperAscii(TrimWideBlanks(reader.WideString(reader.Word())));
    const uint16_t type = reader.Word();
    const uint16_t size = reader.Word();
    const std::u16string value = DescriptorValue(reader, type, size);
    for (size_t slot = 0; slot < wsCount; ++slot) {
      if (name == AttributeNames[slot]) {
        data.Slots[slot] = value;
      }
    }
    for (const auto& [alias, slot] : DescriptionNames) {
      if (name == alias) {
        data.Slots[slot] = value;
      }
    }
  }
}

void ReadObject(THeaderReader& reader, const TGUID& id, int64_t start, TWMAHeaderData& data) {
  if (id == FilePropertiesObject) {
    reader.Seek(start + 64);
    data.PlayDuration = reader.QWord();
    reader.QWord();
    data.Preroll = reader.QWord();
    reader.Seek(start + 100);
    data.MaxBitRate = reader.DWord();
  } else if (id == StreamPropertiesObject) {
    reader.Seek(start + 80);
    data.Channels = reader.Word();
    data.SampleRate = reader.DWord();
    data.ByteRate = reader.DWord();
  } else if (id == ContentDescriptionObject) {
    ReadContentDescription(reader, start, data);
  } else if (id == ExtendedContentDescriptionObject) {
    ReadExtendedContentDescription(reader, start, data);
  }
}

}  // namespace

bool ReadWMAHeader(TStream& stream, TWMAHeaderData& data) {
  data.FileSize = stream.Size();
  THeaderReader reader(stream);
  try {
    reader.Seek(0);
    TGUID id{};
    reader.Bytes(id);
    if (id != HeaderObject) {
      return true;
    }
    reader.QWord();
    const uint32_t count = reader.DWord();
    reader.Word();
    int64_t start = reader.Position();
    for (uint32_t i = 0; i < count; ++i) {
      reader.Seek(start);
      reader.Bytes(id);
      const uint32_t size = static_cast<uint32_t>(reader.QWord());
      // An object smaller than its own header would make the walk stand still.
      if (size < ObjectHeaderSize) {
        return false;
      }
      ReadObject(reader, id, start, data);
      start += size;
    }
    return true;
  } catch (const EShortHeader&) {
    return false;
  }
}

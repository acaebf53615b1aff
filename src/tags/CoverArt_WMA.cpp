// Pictures of an ASF (WMA) header: "WM/Picture" attributes of the extended content description
// and of the metadata library inside the header extension (where pictures of 64 KiB and more go).
// The value is the picture type, the data size, the MIME type and description as zero-ended
// UTF-16LE, then the image.

#include <algorithm>
#include <array>

#include "platform/AsfGuids.h"
#include "tags/CoverArt.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr size_t ObjectHeaderSize = 24;
constexpr uint16_t BinaryValue = 1;
// The header is read whole; one larger than this holds more than a picture we would keep.
constexpr int64_t MaxHeaderSize = 2 * MaxPictureBytes;

// Little-endian fields of a span whose lengths come from the file.
class TSpanReader {
public:
  explicit TSpanReader(std::span<const uint8_t> bytes) : FBytes(bytes) {}
  bool Take(size_t size, std::span<const uint8_t>& out) {
    if (FBytes.size() - FPosition < size) {
      return false;
    }
    out = FBytes.subspan(FPosition, size);
    FPosition += size;
    return true;
  }
  bool Word(uint16_t& value) {
    std::span<const uint8_t> b;
    return Take(2, b) && ((value = LittleEndian16(b.data())), true);
  }
  bool DWord(uint32_t& value) {
    std::span<const uint8_t> b;
    return Take(4, b) && ((value = LittleEndian32(b.data())), true);
  }
  // A zero-ended UTF-16LE string as UTF-8.
  bool WideText(std::string& text) {
    for (size_t at = FPosition; at + 1 < FBytes.size(); at += 2) {
      if (FBytes[at] == 0 && FBytes[at + 1] == 0) {
        text = Utf16BytesToUtf8(BytesToString(FBytes.subspan(FPosition, at - FPosition)), false);
        FPosition = at + 2;
        return true;
      }
    }
    return false;
  }
  size_t Left() const { return FBytes.size() - FPosition; }

private:
  std::span<const uint8_t> FBytes;
  size_t FPosition = 0;
};

bool IsPictureName(std::span<const uint8_t> name) {
  return UpToZero(Utf16BytesToUtf8(BytesToString(name), false)) == "WM/Picture";
}

void ReadPictureValue(std::span<const uint8_t> value, TCoverRead& read) {
  TSpanReader reader(value);
  std::span<const uint8_t> type, data;
  uint32_t size = 0;
  TPicture picture;
  if (!reader.Take(1, type) || !reader.DWord(size)) {
    return;
  }
  if (size > MaxPictureBytes) {
    read.Oversized(size);
    return;
  }
  if (!reader.WideText(picture.MimeType) || !reader.WideText(picture.Description) || !reader.Take(size, data)) {
    return;
  }
  picture.Type = type[0];
  picture.Data.assign(data.begin(), data.end());
  read.Offer(std::move(picture));
}

void ReadExtendedContent(std::span<const uint8_t> body, TCoverRead& read) {
  TSpanReader reader(body);
  uint16_t count = 0;
  reader.Word(count);
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t nameSize = 0, type = 0, valueSize = 0;
    std::span<const uint8_t> name, value;
    if (!reader.Word(nameSize) || !reader.Take(nameSize, name) || !reader.Word(type) || !reader.Word(valueSize) ||
        !reader.Take(valueSize, value)) {
      return;
    }
    if (type == BinaryValue && IsPictureName(name)) {
      ReadPictureValue(value, read);
    }
  }
}

void ReadMetadataLibrary(std::span<const uint8_t> body, TCoverRead& read) {
  TSpanReader reader(body);
  uint16_t count = 0;
  reader.Word(count);
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t language = 0, stream = 0, nameSize = 0, type = 0;
    uint32_t valueSize = 0;
    std::span<const uint8_t> name, value;
    if (!reader.Word(language) || !reader.Word(stream) || !reader.Word(nameSize) || !reader.Word(type) ||
        !reader.DWord(valueSize) || !reader.Take(nameSize, name) || !reader.Take(valueSize, value)) {
      return;
    }
    if (type == BinaryValue && IsPictureName(name)) {
      ReadPictureValue(value, read);
    }
  }
}

// The objects in `bytes`, each with its GUID and body, until one is damaged.
template <typename Visit>
void WalkObjects(std::span<const uint8_t> bytes, Visit visit) {
  size_t at = 0;
  while (bytes.size() - at >= ObjectHeaderSize) {
    asf::TGuid id{};
    std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(at), id.size(), id.begin());
    const uint64_t size = LittleEndian64(&bytes[at + 16]);
    if (size < ObjectHeaderSize || size > bytes.size() - at) {
      return;
    }
    visit(id, bytes.subspan(at + ObjectHeaderSize, static_cast<size_t>(size) - ObjectHeaderSize));
    at += static_cast<size_t>(size);
  }
}

}  // namespace

TCoverRead ReadWMACover(TStream& stream) {
  TCoverRead read;
  std::array<uint8_t, 30> header{};
  if (!ReadExactAt(stream, 0, header) || !std::equal(asf::HeaderObject.begin(), asf::HeaderObject.end(), header.begin())) {
    return read;
  }
  const uint64_t size = LittleEndian64(&header[16]);
  if (size < header.size() || size > static_cast<uint64_t>(std::min(stream.Size(), MaxHeaderSize))) {
    return read;
  }
  std::vector<uint8_t> objects(static_cast<size_t>(size) - header.size());
  if (!ReadExactAt(stream, static_cast<int64_t>(header.size()), objects)) {
    return read;
  }
  WalkObjects(objects, [&read](const asf::TGuid& id, std::span<const uint8_t> body) {
    if (id == asf::ExtendedContentDescriptionObject) {
      ReadExtendedContent(body, read);
    } else if (id == asf::HeaderExtensionObject && body.size() >= 22) {
      WalkObjects(body.subspan(22), [&read](const asf::TGuid& inner, std::span<const uint8_t> library) {
        if (inner == asf::MetadataLibraryObject) {
          ReadMetadataLibrary(library, read);
        }
      });
    }
  });
  return read;
}

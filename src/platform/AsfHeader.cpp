#include "platform/AsfHeader.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/StreamError.h"
#include "platform/AsfGuids.h"
#include "platform/Streams.h"

namespace {

using namespace asf;

constexpr size_t HeaderExtensionFixedSize = 46;  // object header, reserved GUID and word, data size
constexpr uint16_t StringAttribute = 0;
constexpr uint16_t BinaryAttribute = 1;

constexpr size_t ObjectHeaderSize = 24;          // GUID and 64-bit size
constexpr size_t HeaderObjectFixedSize = 30;     // plus object count and two reserved bytes
constexpr size_t FileSizeOffset = 40;            // in the file-properties object, after the file ID
// Room for a 16 MiB picture and what the muxer writes.
constexpr int64_t MaxHeaderSize = 20 * 1024 * 1024;

uint64_t Le64(const uint8_t* p) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) {
    value = (value << 8) | p[i];
  }
  return value;
}

void PutLe(uint8_t* p, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    p[i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

void AppendLe(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(bytes));
  PutLe(out.data() + at, value, bytes);
}

bool IsGuid(const uint8_t* p, const TGuid& guid) { return std::memcmp(p, guid.data(), guid.size()) == 0; }

std::vector<uint8_t> BuildObject(const TAsfContentDescription& description) {
  const std::array<const std::u16string*, 5> texts = {&description.Title, &description.Author, &description.Copyright,
                                                      &description.Description, &description.Rating};
  std::vector<uint8_t> strings;
  std::vector<uint8_t> object(ContentDescriptionObject.begin(), ContentDescriptionObject.end());
  AppendLe(object, 0, 8);
  for (const std::u16string* text : texts) {
    // Each length is 16 bits and counts the terminating zero; a longer text is cut.
    const size_t units = std::min<size_t>(text->size(), 32766);
    AppendLe(object, text->empty() ? 0 : (units + 1) * 2, 2);
    if (!text->empty()) {
      for (size_t i = 0; i < units; ++i) {
        AppendLe(strings, (*text)[i], 2);
      }
      AppendLe(strings, 0, 2);
    }
  }
  object.insert(object.end(), strings.begin(), strings.end());
  PutLe(object.data() + 16, object.size(), 8);
  return object;
}

void AppendWide(std::vector<uint8_t>& out, const std::u16string& text) {
  for (char16_t unit : text) {
    AppendLe(out, unit, 2);
  }
  AppendLe(out, 0, 2);
}

// One record of a metadata library: the value is the file's, in no language.
void AppendRecord(std::vector<uint8_t>& object, const std::u16string& name, uint16_t type, const std::vector<uint8_t>& value) {
  AppendLe(object, 0, 2);  // language list index
  AppendLe(object, 0, 2);  // stream number: the file
  AppendLe(object, (name.size() + 1) * 2, 2);
  AppendLe(object, type, 2);
  AppendLe(object, value.size(), 4);
  AppendWide(object, name);
  object.insert(object.end(), value.begin(), value.end());
}

// A metadata library holding the "WM/Picture" attribute and the further texts.
std::vector<uint8_t> MetadataLibrary(const TAsfContentDescription& description) {
  std::vector<uint8_t> object(MetadataLibraryObject.begin(), MetadataLibraryObject.end());
  AppendLe(object, 0, 8);
  AppendLe(object, description.LibraryTexts.size() + (description.Picture.empty() ? 0 : 1), 2);
  for (const auto& [name, text] : description.LibraryTexts) {
    std::vector<uint8_t> value;
    AppendWide(value, text);
    AppendRecord(object, name, StringAttribute, value);
  }
  if (!description.Picture.empty()) {
    AppendRecord(object, u"WM/Picture", BinaryAttribute, description.Picture);
  }
  PutLe(object.data() + 16, object.size(), 8);
  return object;
}

// The header extension with the library after its own objects; a new one for `nullptr`.
std::vector<uint8_t> ExtensionWithLibrary(const uint8_t* extension, size_t size, const TAsfContentDescription& description) {
  std::vector<uint8_t> object;
  if (extension != nullptr) {
    object.assign(extension, extension + size);
  } else {
    object.assign(HeaderExtensionObject.begin(), HeaderExtensionObject.end());
    AppendLe(object, 0, 8);
    object.insert(object.end(), HeaderExtensionReserved.begin(), HeaderExtensionReserved.end());
    AppendLe(object, 6, 2);
    AppendLe(object, 0, 4);
  }
  const std::vector<uint8_t> library = MetadataLibrary(description);
  object.insert(object.end(), library.begin(), library.end());
  PutLe(object.data() + 16, object.size(), 8);
  PutLe(object.data() + 42, object.size() - HeaderExtensionFixedSize, 4);
  return object;
}

// The new header: the old one with the content-description object replaced (or added after the
// file-properties object), and the sizes made true.
bool RebuildHeader(std::vector<uint8_t>& header, int64_t fileSize, const TAsfContentDescription& description,
                   std::string& error) {
  const std::vector<uint8_t> replacement = BuildObject(description);
  std::vector<uint8_t> rebuilt(header.begin(), header.begin() + HeaderObjectFixedSize);
  uint32_t count = 0;
  bool placed = false;
  bool extended = !description.InLibrary();
  size_t filePropertiesAt = 0;
  size_t at = HeaderObjectFixedSize;
  while (at < header.size()) {
    if (header.size() - at < ObjectHeaderSize) {
      error = "damaged header";
      return false;
    }
    const uint64_t size = Le64(header.data() + at + 16);
    if (size < ObjectHeaderSize || size > header.size() - at) {
      error = "damaged header object size";
      return false;
    }
    if (IsGuid(header.data() + at, ContentDescriptionObject)) {
      if (!placed) {
        rebuilt.insert(rebuilt.end(), replacement.begin(), replacement.end());
        ++count;
        placed = true;
      }
    } else if (IsGuid(header.data() + at, HeaderExtensionObject) && !extended && size >= HeaderExtensionFixedSize) {
      const std::vector<uint8_t> extension = ExtensionWithLibrary(header.data() + at, size, description);
      rebuilt.insert(rebuilt.end(), extension.begin(), extension.end());
      ++count;
      extended = true;
    } else {
      if (IsGuid(header.data() + at, FilePropertiesObject) && size >= FileSizeOffset + 8) {
        filePropertiesAt = rebuilt.size();
      }
      rebuilt.insert(rebuilt.end(), header.begin() + static_cast<std::ptrdiff_t>(at),
                     header.begin() + static_cast<std::ptrdiff_t>(at + size));
      ++count;
      if (filePropertiesAt != 0 && !placed && filePropertiesAt + size == rebuilt.size()) {
        rebuilt.insert(rebuilt.end(), replacement.begin(), replacement.end());
        ++count;
        placed = true;
      }
    }
    at += size;
  }
  if (!placed || filePropertiesAt == 0) {
    error = "no file-properties object";
    return false;
  }
  if (!extended) {
    const std::vector<uint8_t> extension = ExtensionWithLibrary(nullptr, 0, description);
    rebuilt.insert(rebuilt.end(), extension.begin(), extension.end());
    ++count;
  }
  PutLe(rebuilt.data() + 16, rebuilt.size(), 8);
  PutLe(rebuilt.data() + 24, count, 4);
  const int64_t newFileSize = fileSize - static_cast<int64_t>(header.size()) + static_cast<int64_t>(rebuilt.size());
  PutLe(rebuilt.data() + filePropertiesAt + FileSizeOffset, static_cast<uint64_t>(newFileSize), 8);
  header = std::move(rebuilt);
  return true;
}

}  // namespace

bool WriteAsfContentDescription(const std::string& fileName, const TAsfContentDescription& description, std::string& error) {
  const std::string temporary = fileName + ".kestrune-tmp";
  try {
    TFileStream source(fileName, fmOpenRead);
    std::vector<uint8_t> header(HeaderObjectFixedSize);
    if (!source.ReadExact(header) || !IsGuid(header.data(), HeaderObject)) {
      error = "not an ASF file";
      return false;
    }
    const uint64_t headerSize = Le64(header.data() + 16);
    if (headerSize < HeaderObjectFixedSize || static_cast<int64_t>(headerSize) > std::min(source.Size(), MaxHeaderSize)) {
      error = "damaged header size";
      return false;
    }
    header.resize(headerSize);
    if (!source.ReadExact(std::span<uint8_t>(header).subspan(HeaderObjectFixedSize))) {
      error = "damaged header";
      return false;
    }
    if (!RebuildHeader(header, source.Size(), description, error)) {
      return false;
    }
    {
      TFileStream target(temporary, fmCreate);
      target.Write(header);
      std::vector<uint8_t> block(1 << 20);
      while (const int64_t got = source.Read(block)) {
        target.Write(std::span<const uint8_t>(block.data(), static_cast<size_t>(got)));
      }
    }
    std::filesystem::rename(temporary, fileName);
    return true;
  } catch (const std::exception& failure) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    error = failure.what();
    return false;
  }
}

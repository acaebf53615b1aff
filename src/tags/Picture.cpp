#include "tags/Picture.h"

#include <array>

#include "tags/TagText.h"

namespace {

// A reader over a block whose every length comes from the file.
class TBlockReader {
public:
  explicit TBlockReader(std::span<const uint8_t> bytes) : FBytes(bytes) {}

  bool Word(uint32_t& value) {
    if (FBytes.size() - FPosition < 4) {
      return false;
    }
    value = BigEndian32(&FBytes[FPosition]);
    FPosition += 4;
    return true;
  }
  bool Bytes(uint32_t size, std::span<const uint8_t>& out) {
    if (FBytes.size() - FPosition < size) {
      return false;
    }
    out = FBytes.subspan(FPosition, size);
    FPosition += size;
    return true;
  }

private:
  std::span<const uint8_t> FBytes;
  size_t FPosition = 0;
};

void AppendWord(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

void AppendSized(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  AppendWord(out, static_cast<uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

constexpr std::string_view Base64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  const size_t at = Base64Alphabet.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

TImageSize JpegDimensions(std::span<const uint8_t> bytes) {
  size_t at = 2;
  while (at + 9 <= bytes.size() && bytes[at] == 0xFF) {
    const uint8_t marker = bytes[at + 1];
    const size_t length = BigEndian16(&bytes[at + 2]);
    // Start-of-frame markers, apart from DHT (C4), JPG (C8) and DAC (CC).
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      return {BigEndian16(&bytes[at + 7]), BigEndian16(&bytes[at + 5])};
    }
    if (length < 2) {
      break;
    }
    at += 2 + length;
  }
  return {};
}

}  // namespace

int64_t FLACPictureDataSize(std::span<const uint8_t> body) {
  TBlockReader reader(body);
  uint32_t value = 0;
  std::span<const uint8_t> skipped;
  if (!reader.Word(value) || !reader.Word(value) || !reader.Bytes(value, skipped) || !reader.Word(value) ||
      !reader.Bytes(value, skipped)) {
    return -1;
  }
  for (int field = 0; field < 5; ++field) {
    if (!reader.Word(value)) {
      return -1;
    }
  }
  return value;
}

std::optional<TPicture> ParseFLACPicture(std::span<const uint8_t> body) {
  TBlockReader reader(body);
  TPicture picture;
  uint32_t size = 0;
  std::span<const uint8_t> mime, description, data;
  std::array<uint32_t, 4> geometry{};
  if (!reader.Word(picture.Type) || !reader.Word(size) || !reader.Bytes(size, mime) || !reader.Word(size) ||
      !reader.Bytes(size, description)) {
    return std::nullopt;
  }
  for (uint32_t& value : geometry) {
    if (!reader.Word(value)) {
      return std::nullopt;
    }
  }
  if (!reader.Word(size) || size > MaxPictureBytes || !reader.Bytes(size, data)) {
    return std::nullopt;
  }
  picture.MimeType = BytesToString(mime);
  picture.Description = Utf8Prefix(BytesToString(description));
  picture.Data.assign(data.begin(), data.end());
  return picture;
}

std::vector<uint8_t> FLACPictureBlock(const TPicture& picture) {
  std::vector<uint8_t> block;
  AppendWord(block, picture.Type);
  AppendSized(block, AsBytes(picture.MimeType));
  AppendSized(block, AsBytes(picture.Description));
  const TImageSize size = ImageDimensions(picture.Data);
  AppendWord(block, size.Width);
  AppendWord(block, size.Height);
  AppendWord(block, size.Width > 0 ? 24 : 0);
  AppendWord(block, 0);
  AppendSized(block, picture.Data);
  return block;
}

std::string Base64Encode(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = uint32_t{bytes[i]} << 16;
    if (count > 1) {
      group |= uint32_t{bytes[i + 1]} << 8;
    }
    if (count > 2) {
      group |= bytes[i + 2];
    }
    for (size_t k = 0; k < 4; ++k) {
      text += k <= count ? Base64Alphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return text;
}

std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  int bits = 0;
  bool padded = false;
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') {
      continue;
    }
    if (c == '=') {
      padded = true;
      continue;
    }
    const int value = Base64Value(c);
    if (value < 0 || padded) {
      return std::nullopt;
    }
    group = (group << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<uint8_t>(group >> bits));
    }
  }
  return bytes;
}

std::string ImageMimeType(std::span<const uint8_t> bytes) {
  if (HasMarker(bytes, "\xFF\xD8\xFF")) {
    return "image/jpeg";
  }
  if (HasMarker(bytes, "\x89PNG\r\n\x1A\n")) {
    return "image/png";
  }
  if (HasMarker(bytes, "GIF8")) {
    return "image/gif";
  }
  if (HasMarker(bytes, "BM")) {
    return "image/bmp";
  }
  if (HasMarker(bytes, "RIFF") && bytes.size() >= 12 && HasMarker(bytes.subspan(8), "WEBP")) {
    return "image/webp";
  }
  return {};
}

TImageSize ImageDimensions(std::span<const uint8_t> bytes) {
  const std::string kind = ImageMimeType(bytes);
  if (kind == "image/png" && bytes.size() >= 24) {
    return {BigEndian32(&bytes[16]), BigEndian32(&bytes[20])};
  }
  if (kind == "image/gif" && bytes.size() >= 10) {
    return {LittleEndian16(&bytes[6]), LittleEndian16(&bytes[8])};
  }
  if (kind == "image/jpeg") {
    return JpegDimensions(bytes);
  }
  return {};
}

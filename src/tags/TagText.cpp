#include "tags/TagText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool IsBlank(char c) { return static_cast<uint8_t>(c) <= 0x20; }

}  // namespace

size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  char32_t minimum = 0;
  char32_t value = 0;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, value = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return 0;
    }
    value = (value << 6) | (byte(i) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return 0;
  }
  return length;
}

std::string TrimBlanks(std::string_view text) {
  const auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

std::string TrimRightBlanks(std::string_view text) {
  const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
  return std::string(text.begin(), last);
}

std::u16string TrimWideBlanks(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c <= 0x20; };
  const auto first = std::find_if_not(text.begin(), text.end(), blank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return first < last ? std::u16string(first, last) : std::u16string();
}

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    AppendUtf8(out, static_cast<uint8_t>(c));
  }
  return out;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  if (bytes.size() >= 2) {
    const auto first = static_cast<uint8_t>(bytes[0]);
    const auto second = static_cast<uint8_t>(bytes[1]);
    if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) {
      bigEndian = first == 0xFE;
      bytes.remove_prefix(2);
    }
  }
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    units += static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  }
  return Utf16ToUtf8(units);
}

std::string Utf8Prefix(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t length = Utf8SequenceLength(text.substr(at));
    if (length == 0) {
      break;
    }
    at += length;
  }
  return std::string(text.substr(0, at));
}

bool IsValidUtf8(std::string_view text) { return Utf8Prefix(text).size() == text.size(); }

std::string Utf8OrLatin1(std::string_view text) {
  return IsValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

bool ParseInteger(std::string_view text, int32_t& value) {
  size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    at = 1;
  }
  if (at == text.size()) {
    return false;
  }
  int64_t number = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') {
      return false;
    }
    number = number * 10 + (text[at] - '0');
    if (number > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
      return false;
    }
  }
  number = negative ? -number : number;
  if (number > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  value = static_cast<int32_t>(number);
  return true;
}

uint8_t TrackNumber8(std::string_view text) {
  int32_t number = 0;
  if (!ParseInteger(text.substr(0, text.find('/')), number)) {
    return 0;
  }
  return static_cast<uint8_t>(static_cast<uint32_t>(number) & 0xFF);
}

uint16_t RoundTo16(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.0e18) {
    return 0;
  }
  return static_cast<uint16_t>(static_cast<uint64_t>(static_cast<int64_t>(std::nearbyint(value))) & 0xFFFF);
}

uint16_t BigEndian16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

uint32_t BigEndian32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

uint16_t LittleEndian16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[1] << 8 | bytes[0]); }

uint32_t LittleEndian32(const uint8_t* bytes) {
  return uint32_t{bytes[3]} << 24 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[1]} << 8 | bytes[0];
}

uint64_t LittleEndian64(const uint8_t* bytes) {
  return uint64_t{LittleEndian32(bytes + 4)} << 32 | LittleEndian32(bytes);
}

size_t FindLastMarker(std::span<const uint8_t> bytes, std::string_view marker, size_t lastStart) {
  if (marker.empty() || bytes.size() < marker.size()) {
    return std::string_view::npos;
  }
  // memrchr finds the candidates' first byte at memory speed; most are not a marker.
  size_t end = std::min(lastStart, bytes.size() - marker.size()) + 1;
  while (end > 0) {
    const void* hit = ::memrchr(bytes.data(), static_cast<uint8_t>(marker[0]), end);
    if (hit == nullptr) {
      break;
    }
    const auto at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - bytes.data());
    if (HasMarker(bytes.subspan(at), marker)) {
      return at;
    }
    end = at;
  }
  return std::string_view::npos;
}

std::string BytesToString(std::span<const uint8_t> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string ChannelCountName(int channels) {
  static constexpr std::array<const char*, 6> Names = {"Unknown", "Mono", "Stereo", "3Ch", "4Ch", "5.1Ch"};
  if (channels >= 0 && channels < static_cast<int>(Names.size())) {
    return Names[static_cast<size_t>(channels)];
  }
  return std::to_string(channels) + "Ch";
}

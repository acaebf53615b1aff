#include "tags/ID3v2Text.h"

#include <algorithm>

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/TagText.h"

namespace {

bool IsWide(uint8_t encoding) { return encoding == 1 || encoding == 2; }

// Offset of the terminator of the string at the start of `bytes`, or npos.
size_t TerminatorAt(uint8_t encoding, std::span<const uint8_t> bytes) {
  const size_t step = IsWide(encoding) ? 2 : 1;
  for (size_t i = 0; i + step <= bytes.size(); i += step) {
    if (bytes[i] == 0 && (step == 1 || bytes[i + 1] == 0)) {
      return i;
    }
  }
  return std::string::npos;
}

// A genre reference "(17)", "(RX)" or "(CR)" at the start of the text; its name and length.
bool GenreReference(std::string_view text, std::string& name, size_t& length) {
  if (text.size() < 3 || text[0] != '(' || text[1] == '(') {
    return false;
  }
  const size_t close = text.find(')');
  if (close == std::string_view::npos) {
    return false;
  }
  const std::string_view inner = text.substr(1, close - 1);
  int32_t number = 0;
  if (inner == "RX") {
    name = "Remix";
  } else if (inner == "CR") {
    name = "Cover";
  } else if (!inner.empty() && std::all_of(inner.begin(), inner.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
             ParseInteger(inner, number)) {
    name = GenreName(number);
  } else {
    return false;
  }
  length = close + 1;
  return true;
}

}  // namespace

std::string DecodeFrameText(uint8_t encoding, std::span<const uint8_t> bytes) {
  const std::string raw = BytesToString(bytes);
  std::string text;
  switch (encoding) {
    case 0:
      text = Latin1ToUtf8(raw);
      break;
    case 1:
      text = Utf16BytesToUtf8(raw, false);
      break;
    case 2:
      text = Utf16BytesToUtf8(raw, true);
      break;
    default:
      text = Utf8OrLatin1(UpToZero(raw));
      break;
  }
  return TrimBlanks(UpToZero(text));
}

std::string TextFrameValue(std::span<const uint8_t> data) {
  if (data.empty()) {
    return {};
  }
  const uint8_t encoding = data[0] <= 3 ? data[0] : 0;
  std::span<const uint8_t> rest = data[0] <= 3 ? data.subspan(1) : data;
  std::string joined;
  while (!rest.empty()) {
    const size_t at = TerminatorAt(encoding, rest);
    const std::string value = DecodeFrameText(encoding, rest.first(std::min(at, rest.size())));
    if (!value.empty()) {
      joined += joined.empty() ? value : "; " + value;
    }
    if (at == std::string::npos) {
      break;
    }
    rest = rest.subspan(at + (IsWide(encoding) ? 2 : 1));
  }
  return joined;
}

std::span<const uint8_t> AfterTerminatedString(uint8_t encoding, std::span<const uint8_t> bytes) {
  const size_t at = TerminatorAt(encoding, bytes);
  if (at == std::string::npos) {
    return bytes;
  }
  return bytes.subspan(at + (IsWide(encoding) ? 2 : 1));
}

std::string DescribedFrameValue(std::span<const uint8_t> data, size_t prefix) {
  if (data.size() <= prefix) {
    return {};
  }
  const uint8_t encoding = data[0] <= 3 ? data[0] : 0;
  return DecodeFrameText(encoding, AfterTerminatedString(encoding, data.subspan(prefix)));
}

std::string LinkFrameValue(std::span<const uint8_t> data) {
  if (data.empty()) {
    return {};
  }
  const uint8_t encoding = data[0] <= 3 ? data[0] : 0;
  return DecodeFrameText(0, AfterTerminatedString(encoding, data.subspan(1)));
}

std::string DescriptionOf(std::span<const uint8_t> data, size_t prefix) {
  if (data.size() <= prefix) {
    return {};
  }
  const uint8_t encoding = data[0] <= 3 ? data[0] : 0;
  return DecodeFrameText(encoding, data.subspan(prefix));
}

std::string GenreFromFrameText(const std::string& text) {
  std::string_view rest = text;
  std::string firstName;
  bool referenced = false;
  std::string name;
  size_t length = 0;
  while (GenreReference(rest, name, length)) {
    if (!referenced) {
      firstName = name;
      referenced = true;
    }
    rest.remove_prefix(length);
  }
  if (rest.starts_with("((")) {
    rest.remove_prefix(1);
  }
  const std::string remainder = TrimBlanks(rest);
  if (referenced) {
    return remainder.empty() ? firstName : remainder;
  }
  int32_t number = 0;
  if (ParseInteger(remainder, number) && remainder.find_first_of("+-") == std::string::npos &&
      number < GenreCount) {
    return GenreName(number);
  }
  return remainder;
}

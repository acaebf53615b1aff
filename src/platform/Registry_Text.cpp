#include "platform/Registry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "platform/TextUtils.h"

// The REGEDIT4 text of the hive: a "REGEDIT4" line, then "[HKEY_CURRENT_USER\\<key>]" lines
// each followed by its values: "name"="text", "name"=dword:0000004b, "name"=hex:01,02 and
// "name"=hex(<type>):... for every other type (text with control characters among them).

namespace {

const std::string RootName = "HKEY_CURRENT_USER";

[[noreturn]] void Damaged(int line, const std::string& what) {
  throw ERegistryException("line " + std::to_string(line) + ": " + what);
}

// "hex:01,02" style data: comma-separated byte pairs, spaces allowed.
std::vector<uint8_t> ParseHexBytes(const std::string& text, int line) {
  std::vector<uint8_t> bytes;
  std::string pending;
  for (char c : text + ",") {
    if (c == ' ' || c == '\t') {
      continue;
    }
    if (c != ',') {
      pending += c;
      continue;
    }
    if (pending.empty()) {
      continue;  // the comma closing the list, or spaces only
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(pending.data(), pending.data() + pending.size(), value, 16);
    if (error != std::errc() || end != pending.data() + pending.size() || value > 0xFF) {
      Damaged(line, "bad byte \"" + pending + "\"");
    }
    bytes.push_back(static_cast<uint8_t>(value));
    pending.clear();
  }
  return bytes;
}

// A quoted name or string starting at `pos` (on the opening quote); returns the text, moves pos
// past the closing quote.
std::string ParseQuoted(const std::string& text, size_t& pos, int line) {
  std::string out;
  for (++pos; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '\\' && pos + 1 < text.size()) {
      out += text[++pos];
    } else if (c == '"') {
      ++pos;
      return out;
    } else {
      out += c;
    }
  }
  Damaged(line, "unterminated quoted text");
}

void ParseValueLine(const std::string& text, int line, TRegistryHive::TKey& key) {
  TRegValue value;
  size_t pos = 0;
  if (text[0] == '@') {
    pos = 1;
  } else {
    value.Name = ParseQuoted(text, pos, line);
  }
  if (pos >= text.size() || text[pos] != '=') {
    Damaged(line, "expected \"=\"");
  }
  const std::string data = Trim(text.substr(pos + 1));
  if (!data.empty() && data[0] == '"') {
    size_t at = 0;
    const std::string str = ParseQuoted(data, at, line);
    if (!Trim(data.substr(at)).empty()) {
      Damaged(line, "text after the closing quote");
    }
    value.Type = 1;
    value.Data.assign(str.begin(), str.end());
  } else if (StartsWithNoCase(data, "dword:")) {
    const std::string digits = data.substr(6);
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (digits.empty() || digits.size() > 8 || error != std::errc() || end != digits.data() + digits.size()) {
      Damaged(line, "bad dword value");
    }
    value.Type = 4;
    for (int i = 0; i < 4; ++i) {
      value.Data.push_back(static_cast<uint8_t>(number >> (8 * i)));
    }
  } else if (StartsWithNoCase(data, "hex:")) {
    value.Type = 3;
    value.Data = ParseHexBytes(data.substr(4), line);
  } else if (StartsWithNoCase(data, "hex(")) {
    const size_t close = data.find("):");
    unsigned type = 0;
    const auto [end, error] = std::from_chars(data.data() + 4, data.data() + std::min(close, data.size()), type, 16);
    if (close == std::string::npos || error != std::errc() || end != data.data() + close) {
      Damaged(line, "bad hex type");
    }
    value.Type = type;
    value.Data = ParseHexBytes(data.substr(close + 2), line);
  } else {
    Damaged(line, "unknown value kind");
  }
  auto same = [&](const TRegValue& v) { return EqualsNoCase(v.Name, value.Name); };
  std::erase_if(key.Values, same);
  key.Values.push_back(std::move(value));
}

bool Printable(const std::vector<uint8_t>& data) {
  return std::none_of(data.begin(), data.end(), [](uint8_t b) { return b < 0x20 || b == 0x7F; });
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
    }
    out += c;
  }
  return out + "\"";
}

std::string HexBytes(const std::vector<uint8_t>& data) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < data.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    out += digits[data[i] >> 4];
    out += digits[data[i] & 0x0F];
  }
  return out;
}

std::string FormatValue(const TRegValue& value) {
  std::string line = value.Name.empty() ? "@=" : Quote(value.Name) + "=";
  if (value.Type == 1 && Printable(value.Data)) {
    return line + Quote(std::string(value.Data.begin(), value.Data.end()));
  }
  if (value.Type == 4 && value.Data.size() == 4) {
    const uint32_t number = value.Data[0] | (value.Data[1] << 8) | (value.Data[2] << 16) |
                            (static_cast<uint32_t>(value.Data[3]) << 24);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return line + text;
  }
  if (value.Type == 3) {
    return line + "hex:" + HexBytes(value.Data);
  }
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", value.Type);
  return line + prefix + HexBytes(value.Data);
}

}  // namespace

// ---- TRegistryHive ------------------------------------------------------------------------------

TRegistryHive TRegistryHive::Parse(const std::string& text) {
  TRegistryHive hive;
  // A byte-order mark, as some editors write, is not part of the first line.
  std::istringstream in(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text);
  std::string raw;
  int lineNumber = 0;
  bool sawHeader = false;
  TKey* key = nullptr;
  while (std::getline(in, raw)) {
    ++lineNumber;
    const int first = lineNumber;
    std::string line = TrimRight(raw);
    // A value may go on over several lines, each but the last ending in "\".
    while (!line.empty() && line.back() == '\\' && ToLowerAscii(line).find("=hex") != std::string::npos &&
           std::getline(in, raw)) {
      ++lineNumber;
      line.pop_back();
      line += Trim(raw);
    }
    line = Trim(line);
    if (line.empty() || line[0] == ';') {
      continue;
    }
    if (!sawHeader) {
      if (line != "REGEDIT4") {
        Damaged(first, "the file does not start with REGEDIT4");
      }
      sawHeader = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') {
        Damaged(first, "unterminated key name");
      }
      const std::string path = line.substr(1, line.size() - 2);
      if (EqualsNoCase(path, RootName)) {
        key = &hive.AddKey("");
      } else if (StartsWithNoCase(path, RootName + "\\")) {
        key = &hive.AddKey(path.substr(RootName.size() + 1));
      } else {
        Damaged(first, "key outside " + RootName);
      }
      continue;
    }
    if (key == nullptr) {
      Damaged(first, "value outside any key");
    }
    if (line[0] != '"' && line[0] != '@') {
      Damaged(first, "not a value line");
    }
    ParseValueLine(line, first, *key);
  }
  return hive;
}

std::string TRegistryHive::Format() const {
  std::string out = "REGEDIT4\n";
  for (const auto& [lower, key] : FKeys) {
    out += "\n[" + (key.Path.empty() ? RootName : RootName + "\\" + key.Path) + "]\n";
    for (const TRegValue& value : key.Values) {
      out += FormatValue(value) + "\n";
    }
  }
  return out;
}

TRegistryHive::TKey* TRegistryHive::FindKey(const std::string& path) {
  const auto found = FKeys.find(ToLowerAscii(path));
  return found == FKeys.end() ? nullptr : &found->second;
}

const TRegistryHive::TKey* TRegistryHive::FindKey(const std::string& path) const {
  const auto found = FKeys.find(ToLowerAscii(path));
  return found == FKeys.end() ? nullptr : &found->second;
}

bool TRegistryHive::HasSubkeys(const std::string& path) const {
  const std::string prefix = ToLowerAscii(path) + "\\";
  const auto after = FKeys.lower_bound(prefix);
  return after != FKeys.end() && after->first.starts_with(prefix);
}

TRegistryHive::TKey& TRegistryHive::AddKey(const std::string& path) {
  TKey& key = FKeys[ToLowerAscii(path)];
  if (key.Path.empty()) {
    key.Path = path;
  }
  return key;
}


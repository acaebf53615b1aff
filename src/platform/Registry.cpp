#include "platform/Registry.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

#include "platform/TextUtils.h"

namespace {

const std::string RootName = "HKEY_CURRENT_USER";

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/tmp";
}

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

std::string TimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  ::localtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
  return text;
}

// Writes `text` to a temporary file beside `fileName`, flushes it to disk and renames it over.
void WriteAtomically(const std::string& fileName, const std::string& text) {
  namespace fs = std::filesystem;
  const fs::path target(fileName);
  std::error_code ignored;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ignored);
  }
  const std::string temporary = fileName + ".tmp-" + std::to_string(::getpid());
  const int handle = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (handle < 0) {
    throw ERegistryException(fileName + ": cannot write (" + std::strerror(errno) + ")");
  }
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(handle, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      const int error = errno;
      ::close(handle);
      ::unlink(temporary.c_str());
      throw ERegistryException(fileName + ": cannot write (" + std::strerror(error) + ")");
    }
    done += static_cast<size_t>(n);
  }
  const bool synced = ::fsync(handle) == 0;
  const int error = errno;
  ::close(handle);
  if (!synced || ::rename(temporary.c_str(), fileName.c_str()) != 0) {
    const int reason = synced ? errno : error;
    ::unlink(temporary.c_str());
    throw ERegistryException(fileName + ": cannot write (" + std::strerror(reason) + ")");
  }
}

}  // namespace

// ---- TRegistryHive ------------------------------------------------------------------------------

TRegistryHive TRegistryHive::Parse(const std::string& text) {
  TRegistryHive hive;
  std::istringstream in(text);
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

// ---- file locations -----------------------------------------------------------------------------

std::string UserConfigDir() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    std::string dir = config;
    while (dir.size() > 1 && dir.back() == '/') {
      dir.pop_back();
    }
    return dir;
  }
  return HomeDir() + "/.config";
}

std::string DefaultRegistryFile() { return UserConfigDir() + "/Quillmar/Kestrune.reg"; }

// ---- TRegistry ----------------------------------------------------------------------------------

TRegistry::TRegistry(std::string fileName) : FFileName(std::move(fileName)) { ReadFile(); }

namespace {

std::string FileStamp(const std::string& fileName) {
  struct stat info {};
  if (::stat(fileName.c_str(), &info) != 0) {
    return {};
  }
  return std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) +
         "." + std::to_string(info.st_mtim.tv_nsec);
}

}  // namespace

void TRegistry::ReadFile() const {
  FFileStamp = FileStamp(FFileName);
  FHive = TRegistryHive();
  std::ifstream in(FFileName, std::ios::binary);
  if (!in) {
    return;
  }
  std::ostringstream text;
  text << in.rdbuf();
  try {
    FHive = TRegistryHive::Parse(text.str());
  } catch (const ERegistryException&) {
    // Kept for the user to look at; the program goes on with an empty hive (the defaults).
    const std::string aside = FFileName + ".damaged-" + TimeStamp();
    if (::rename(FFileName.c_str(), aside.c_str()) == 0) {
      FSetAsideFile = aside;
    }
  }
}

void TRegistry::Refresh() const {
  if (FUpdating == 0 && FileStamp(FFileName) != FFileStamp) {
    ReadFile();
  }
}

std::string TRegistry::Resolve(const std::string& key) const {
  std::string path = key;
  std::replace(path.begin(), path.end(), '/', '\\');
  const bool absolute = !path.empty() && path[0] == '\\';
  while (!path.empty() && path.front() == '\\') {
    path.erase(0, 1);
  }
  while (!path.empty() && path.back() == '\\') {
    path.pop_back();
  }
  if (absolute || FCurrentPath.empty()) {
    return path;
  }
  return path.empty() ? FCurrentPath : FCurrentPath + "\\" + path;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  Refresh();
  const std::string path = Resolve(key);
  if (path.empty()) {
    return false;
  }
  if (FHive.FindKey(path) == nullptr) {
    if (!canCreate && !KeyExists("\\" + path)) {
      return false;
    }
    FHive.AddKey(path);
  }
  FCurrentPath = FHive.FindKey(path)->Path;
  return true;
}

void TRegistry::CloseKey() { FCurrentPath.clear(); }

bool TRegistry::KeyExists(const std::string& key) const {
  const std::string path = Resolve(key);
  if (FHive.FindKey(path) != nullptr) {
    return true;
  }
  return FHive.HasSubkeys(path);
}

const TRegValue* TRegistry::FindValue(const std::string& name) const {
  Refresh();
  if (FCurrentPath.empty()) {
    return nullptr;
  }
  const TRegistryHive::TKey* key = FHive.FindKey(FCurrentPath);
  if (key == nullptr) {
    return nullptr;
  }
  for (const TRegValue& value : key->Values) {
    if (EqualsNoCase(value.Name, name)) {
      return &value;
    }
  }
  return nullptr;
}

bool TRegistry::ValueExists(const std::string& name) const { return FindValue(name) != nullptr; }

TRegDataType TRegistry::GetDataType(const std::string& name) const {
  const TRegValue* value = FindValue(name);
  if (value == nullptr) {
    return rdUnknown;
  }
  switch (value->Type) {
    case 1: return rdString;
    case 2: return rdExpandString;
    case 3: return rdBinary;
    case 4: return rdInteger;
    default: return rdUnknown;
  }
}

std::string TRegistry::ReadString(const std::string& name) const {
  const TRegValue* value = FindValue(name);
  if (value == nullptr || value->Data.empty()) {
    return {};
  }
  if (value->Type != 1 && value->Type != 2) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  const auto end = std::find(value->Data.begin(), value->Data.end(), uint8_t{0});
  return std::string(value->Data.begin(), end);
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
  const TRegValue* value = FindValue(name);
  if (value == nullptr || value->Type != 4 || value->Data.size() != 4) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  const uint32_t number = value->Data[0] | (value->Data[1] << 8) | (value->Data[2] << 16) |
                          (static_cast<uint32_t>(value->Data[3]) << 24);
  return static_cast<int32_t>(number);
}

std::vector<uint8_t> TRegistry::ReadBinaryData(const std::string& name) const {
  const TRegValue* value = FindValue(name);
  if (value == nullptr) {
    return {};
  }
  if (value->Type != 3) {
    throw ERegistryException("Invalid data type for '" + name + "'");
  }
  return value->Data;
}

void TRegistry::Put(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
  if (FCurrentPath.empty()) {
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
  Refresh();
  TRegistryHive::TKey& key = FHive.AddKey(FCurrentPath);
  auto same = [&](const TRegValue& v) { return EqualsNoCase(v.Name, name); };
  const auto found = std::find_if(key.Values.begin(), key.Values.end(), same);
  if (found != key.Values.end()) {
    found->Type = type;
    found->Data = std::move(data);
  } else {
    key.Values.push_back(TRegValue{name, type, std::move(data)});
  }
  Save();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  const std::string text = value.substr(0, value.find('\0'));
  Put(name, 1, std::vector<uint8_t>(text.begin(), text.end()));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  std::string text = value.substr(0, value.find('\0'));
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(name, 2, std::move(data));
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  const auto number = static_cast<uint32_t>(value);
  Put(name, 4, {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
                static_cast<uint8_t>(number >> 24)});
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<uint8_t>& value) { Put(name, 3, value); }

bool TRegistry::DeleteValue(const std::string& name) {
  Refresh();
  TRegistryHive::TKey* key = FCurrentPath.empty() ? nullptr : FHive.FindKey(FCurrentPath);
  if (key == nullptr) {
    return false;
  }
  auto same = [&](const TRegValue& v) { return EqualsNoCase(v.Name, name); };
  if (std::erase_if(key->Values, same) == 0) {
    return false;
  }
  Save();
  return true;
}

void TRegistry::Save() {
  if (FUpdating > 0) {
    FDirty = true;
    return;
  }
  WriteAtomically(FFileName, FHive.Format());
  FFileStamp = FileStamp(FFileName);
  FDirty = false;
}

void TRegistry::EndUpdate() {
  if (FUpdating > 0 && --FUpdating == 0 && FDirty) {
    Save();
  }
}

// ---- TRegIniFile --------------------------------------------------------------------------------

TRegIniFile::TRegIniFile(const std::string& key, std::string fileName) : FKey(key), FRegistry(std::move(fileName)) {}

bool TRegIniFile::OpenSection(const std::string& section, bool canCreate) {
  return FRegistry.OpenKey("\\" + FKey + "\\" + section, canCreate);
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& name, const std::string& fallback) {
  if (!OpenSection(section, false) || !FRegistry.ValueExists(name)) {
    return fallback;
  }
  return FRegistry.ReadString(name);
}

int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& name, int32_t fallback) {
  int32_t value = 0;
  return ParseDecimal(ReadString(section, name, ""), value) ? value : fallback;
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& name, bool fallback) {
  return ReadInteger(section, name, fallback ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& name, const std::string& value) {
  OpenSection(section, true);
  FRegistry.WriteString(name, value);
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& name, int32_t value) {
  WriteString(section, name, std::to_string(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& name, bool value) {
  WriteString(section, name, value ? "1" : "0");
}

bool ParseDecimal(const std::string& text, int32_t& value) {
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') {
    ++begin;
  }
  if (begin == end) {
    return false;
  }
  const auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc() && stop == end;
}

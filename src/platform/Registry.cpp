#include "platform/Registry.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FreeName.h"
#include "platform/SmallFile.h"
#include "platform/TextUtils.h"

namespace {

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

std::string FileStamp(const std::string& fileName) {
  struct stat info {};
  if (::stat(fileName.c_str(), &info) != 0) {
    return {};
  }
  return std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) +
         "." + std::to_string(info.st_mtim.tv_nsec);
}

// Renames `fileName` to "<fileName>.damaged-<time>" (with " (2)", ... when that name is taken,
// so an earlier file set aside in the same second is kept); the new name, or empty on failure.
std::string SetAside(const std::string& fileName) {
  const std::string aside = fileName + ".damaged-" + TimeStamp();
  for (int number = 1; number < 100; ++number) {
    const std::string name = NumberedName(aside, number);
    if (::renameat2(AT_FDCWD, fileName.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
      return name;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return {};
}

}  // namespace

// ---- file locations -----------------------------------------------------------------------------

std::string UserHomeDir() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/tmp";
}

std::string UserConfigDir() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    std::string dir = config;
    while (dir.size() > 1 && dir.back() == '/') {
      dir.pop_back();
    }
    return dir;
  }
  return UserHomeDir() + "/.config";
}

std::string DefaultRegistryFile() { return UserConfigDir() + "/Quillmar/Kestrune.reg"; }

// ---- TRegistry ----------------------------------------------------------------------------------

TRegistry::TRegistry(std::string fileName) : FFileName(std::move(fileName)) { ReadFile(); }

void TRegistry::ReadFile() const {
  FFileStamp = FileStamp(FFileName);
  FHive = TRegistryHive();
  const TSmallFile file = ReadSmallFile(FFileName);
  if (file.Outcome == sfMissing) {
    return;
  }
  try {
    if (file.Outcome == sfRefused) {
      throw ERegistryException(file.Problem);
    }
    FHive = TRegistryHive::Parse(file.Text);
  } catch (const ERegistryException&) {
    // Kept for the user to look at (a pipe or a device under the name as well as a damaged or
    // oversized file); the program goes on with an empty hive (the defaults).
    FSetAsideFile = SetAside(FFileName);
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


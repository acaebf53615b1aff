#pragma once

// The current user's settings hive: keys holding typed values, kept in one text file in the
// REGEDIT4 layout ($XDG_CONFIG_HOME/Quillmar/Kestrune.reg). Every write is saved at once and
// atomically (temporary file, then rename), so a crash never leaves the file half written. A file
// that cannot be parsed is set aside under another name and the hive starts empty.

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

class ERegistryException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// One stored value: the registry type number (1 string, 2 expandable string, 3 binary, 4 integer,
// anything else kept as it came) and its bytes.
struct TRegValue {
  std::string Name;
  uint32_t Type = 1;
  std::vector<uint8_t> Data;
};

// The whole hive as it is held in memory and in the file.
class TRegistryHive {
public:
  // Keys are compared without regard to case; each keeps the spelling it was created with.
  struct TKey {
    std::string Path;
    std::vector<TRegValue> Values;
  };

  // Parses the REGEDIT4 text; throws ERegistryException with the line number when it is damaged.
  static TRegistryHive Parse(const std::string& text);
  std::string Format() const;

  TKey* FindKey(const std::string& path);
  const TKey* FindKey(const std::string& path) const;
  TKey& AddKey(const std::string& path);
  // A key that only has subkeys in the file exists too.
  bool HasSubkeys(const std::string& path) const;

private:
  std::map<std::string, TKey> FKeys;  // by lower-case path
};

// $XDG_CONFIG_HOME/Quillmar/Kestrune.reg, or ~/.config/... when the variable is unset.
std::string DefaultRegistryFile();
// $HOME, else the user's home folder of the password database.
std::string UserHomeDir();
// $XDG_CONFIG_HOME (or ~/.config) with no trailing separator.
std::string UserConfigDir();

// The registry calls the program makes, on the current user's hive.
class TRegistry {
public:
  explicit TRegistry(std::string fileName = DefaultRegistryFile());

  // Opens a key below HKEY_CURRENT_USER (for example "Software\Quillmar\Kestrune"), relative to
  // the open key unless it starts with "\"; false when it is missing and may not be created.
  bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey();
  const std::string& CurrentPath() const { return FCurrentPath; }
  bool KeyExists(const std::string& key) const;

  bool ValueExists(const std::string& name) const;
  TRegDataType GetDataType(const std::string& name) const;

  // A string or expandable string, up to its first zero character. An empty value of any other
  // type reads as empty text; a non-empty one fails with "Invalid data type for '<name>'".
  // A missing value reads as empty text.
  std::string ReadString(const std::string& name) const;
  int32_t ReadInteger(const std::string& name) const;
  std::vector<uint8_t> ReadBinaryData(const std::string& name) const;

  // Each write saves the file; ERegistryException names the file when that fails.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int32_t value);
  void WriteBinaryData(const std::string& name, const std::vector<uint8_t>& value);
  bool DeleteValue(const std::string& name);

  // Between these, writes are only kept in memory; EndUpdate saves them in one go.
  void BeginUpdate() { ++FUpdating; }
  void EndUpdate();

  const std::string& FileName() const { return FFileName; }
  // Where a damaged file was moved to when this object opened it; empty when it was sound.
  const std::string& SetAsideFile() const { return FSetAsideFile; }

private:
  // Takes in what another writer (another object, another process) saved since the last look.
  void Refresh() const;
  void ReadFile() const;
  const TRegValue* FindValue(const std::string& name) const;
  void Put(const std::string& name, uint32_t type, std::vector<uint8_t> data);
  void Save();
  std::string Resolve(const std::string& key) const;

  std::string FFileName;
  mutable std::string FSetAsideFile;
  std::string FCurrentPath;  // empty: no key open
  mutable TRegistryHive FHive;
  mutable std::string FFileStamp;  // identity, size and time of the file last read or written
  int FUpdating = 0;
  bool FDirty = false;
};

// Sections of settings as subkeys of one key (the way the program groups its values).
class TRegIniFile {
public:
  // Opens (and creates) `key` in the given hive file.
  TRegIniFile(const std::string& key, std::string fileName = DefaultRegistryFile());

  // The stored text, or `fallback` when the value is missing. Raises what ReadString raises.
  std::string ReadString(const std::string& section, const std::string& name, const std::string& fallback);
  // A decimal number; `fallback` when missing or not a decimal number.
  int32_t ReadInteger(const std::string& section, const std::string& name, int32_t fallback);
  bool ReadBool(const std::string& section, const std::string& name, bool fallback);

  // Stored as strings; a missing section is created.
  void WriteString(const std::string& section, const std::string& name, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& name, int32_t value);
  void WriteBool(const std::string& section, const std::string& name, bool value);

  TRegistry& Registry() { return FRegistry; }

private:
  bool OpenSection(const std::string& section, bool canCreate);

  std::string FKey;
  TRegistry FRegistry;
};

// Strictly a decimal number in 32 bits (an optional sign, then digits); false otherwise.
bool ParseDecimal(const std::string& text, int32_t& value);

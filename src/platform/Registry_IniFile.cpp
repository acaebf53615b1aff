#include "platform/Registry.h"

#include <charconv>

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


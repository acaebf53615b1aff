#include "platform/IniFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/SmallFile.h"
#include "platform/TextUtils.h"

namespace {

const std::string ByteOrderMark = "\xEF\xBB\xBF";

std::string Content(const std::string& line, size_t index) {
  const std::string text = index == 0 && line.starts_with(ByteOrderMark) ? line.substr(ByteOrderMark.size()) : line;
  return Trim(text);
}

bool IsHeader(const std::string& content) { return !content.empty() && content[0] == '['; }

std::string HeaderName(const std::string& content) {
  const size_t close = content.find(']');
  return Trim(content.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// A value cut to the limit without splitting a UTF-8 character.
std::string Limit(std::string value) {
  if (value.size() <= TIniDocument::MaxValueLength) {
    return value;
  }
  size_t end = TIniDocument::MaxValueLength;
  while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) {
    --end;
  }
  value.resize(end);
  return value;
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string OneLine(std::string value) {
  for (char& c : value) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  return value;
}

bool WriteFile(const std::string& fileName, const std::string& text) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

TIniDocument TIniDocument::Load(const std::string& fileName) {
  TIniDocument document;
  const TSmallFile file = ReadSmallFile(fileName);
  if (file.Outcome != sfRead) {
    document.FUnreadable = file.Outcome == sfRefused;
    return document;
  }
  return Parse(file.Text);
}

TIniDocument TIniDocument::Parse(const std::string& text) {
  TIniDocument document;
  if (text.find('\n') != std::string::npos && text.find("\r\n") == std::string::npos) {
    document.FLineEnd = "\n";
  }
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    document.FLines.push_back(line);
  }
  return document;
}

std::string TIniDocument::Text() const {
  std::string text;
  for (const std::string& line : FLines) {
    text += line + FLineEnd;
  }
  return text;
}

bool TIniDocument::Save(const std::string& fileName) const {
  std::error_code ignored;
  if (FUnreadable || (std::filesystem::exists(fileName, ignored) && ::access(fileName.c_str(), W_OK) != 0)) {
    return false;  // never replace a file whose lines could not be read, nor a read-only one
  }
  // Through a temporary file and a rename where the folder allows it, so a crash cannot leave a
  // half-written file; in place where only the file itself may be written.
  const std::string temporary = fileName + ".tmp-" + std::to_string(::getpid());
  if (WriteFile(temporary, Text())) {
    if (std::rename(temporary.c_str(), fileName.c_str()) == 0) {
      return true;
    }
    std::remove(temporary.c_str());
  } else {
    std::remove(temporary.c_str());
  }
  return WriteFile(fileName, Text());
}

long TIniDocument::FindSection(const std::string& section) const {
  for (size_t i = 0; i < FLines.size(); ++i) {
    const std::string content = Content(FLines[i], i);
    if (IsHeader(content) && EqualsNoCase(HeaderName(content), Trim(section))) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

size_t TIniDocument::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < FLines.size() && !IsHeader(Content(FLines[i], i))) {
    ++i;
  }
  return i;
}

long TIniDocument::FindKey(size_t header, const std::string& key) const {
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const std::string content = Content(FLines[i], i);
    if (content.empty() || content[0] == ';') {
      continue;
    }
    const size_t equals = content.find('=');
    if (equals != std::string::npos && EqualsNoCase(Trim(content.substr(0, equals)), Trim(key))) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

bool TIniDocument::Read(const std::string& section, const std::string& key, std::string& value) const {
  const long header = FindSection(section);
  if (header < 0) {
    return false;
  }
  const long line = FindKey(static_cast<size_t>(header), key);
  if (line < 0) {
    return false;
  }
  const std::string content = Content(FLines[static_cast<size_t>(line)], static_cast<size_t>(line));
  value = Limit(Unquote(Trim(content.substr(content.find('=') + 1))));
  return true;
}

void TIniDocument::Write(const std::string& section, const std::string& key, const std::string& value) {
  const std::string line = Trim(key) + "=" + OneLine(value);
  long header = FindSection(section);
  if (header < 0) {
    FLines.push_back("[" + Trim(section) + "]");
    FLines.push_back(line);
    return;
  }
  const long found = FindKey(static_cast<size_t>(header), key);
  if (found >= 0) {
    FLines[static_cast<size_t>(found)] = line;
    return;
  }
  // After the section's last non-blank line, so blank lines between sections stay where they are.
  size_t at = SectionEnd(static_cast<size_t>(header));
  while (at > static_cast<size_t>(header) + 1 && Content(FLines[at - 1], at - 1).empty()) {
    --at;
  }
  FLines.insert(FLines.begin() + static_cast<long>(at), line);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                                    const std::string& fileName) {
  std::string value;
  return TIniDocument::Load(fileName).Read(section, key, value) ? value : Limit(fallback);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& fileName) {
  TIniDocument document = TIniDocument::Load(fileName);
  document.Write(section, key, value);
  return document.Save(fileName);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& fallback) const {
  return GetPrivateProfileString(section, ident, fallback, FFileName);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  if (!WritePrivateProfileString(section, ident, value, FFileName)) {
    throw EIniFileException("Unable to write to " + FFileName);
  }
}

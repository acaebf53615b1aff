#pragma once

// Profile files (language files, PLS playlists): "[section]" lines and "key=value" lines, section
// and key names compared without regard to case. Writing a key replaces its line in place and
// keeps every other line and section; a missing section or key is appended; a missing file is
// created. A value is read up to 2047 bytes and never spans lines: line breaks in a written value
// become spaces.

#include <stdexcept>
#include <string>
#include <vector>

// The lines of one profile file, edited in memory; Save writes them back in one go.
class TIniDocument {
public:
  static constexpr size_t MaxValueLength = 2047;

  // A missing or unreadable file gives an empty document.
  static TIniDocument Load(const std::string& fileName);
  // The lines of a file's text; its line ends are kept for Text.
  static TIniDocument Parse(const std::string& text);
  // False when the file cannot be written, is read-only, or exists but could not be read.
  bool Save(const std::string& fileName) const;

  bool Read(const std::string& section, const std::string& key, std::string& value) const;
  void Write(const std::string& section, const std::string& key, const std::string& value);

  const std::vector<std::string>& Lines() const { return FLines; }
  std::string Text() const;

private:
  // Index of the section's header line, or -1.
  long FindSection(const std::string& section) const;
  // End of the section's lines (the next header or the end of the file).
  size_t SectionEnd(size_t header) const;
  long FindKey(size_t header, const std::string& key) const;

  std::vector<std::string> FLines;
  std::string FLineEnd = "\r\n";
  bool FUnreadable = false;  // the file exists but could not be read: saving would lose its lines
};

// The profile-string calls: each reads or rewrites the named file.
std::string GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                                    const std::string& fileName);
bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& fileName);

class EIniFileException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A profile file by name: every write goes to the file at once.
class TIniFile {
public:
  explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& fallback) const;
  // Fails with "Unable to write to <file>" when the file cannot be written.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);

  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
};

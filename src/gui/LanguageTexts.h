#pragma once

// The texts of a window that belong to no control: status words, hints, dialog titles and
// filters. Each has a key of its own in the window's section of the language file and a built-in
// English text.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

class TLanguageFile;

class TLanguageTexts {
public:
  // Keys and their built-in texts.
  explicit TLanguageTexts(std::vector<std::pair<std::string, std::string>> texts);

  // The text of `key`; an unknown key is a programming error (std::out_of_range).
  QString Text(const std::string& key) const;
  // Takes each key's text from `form`'s section; a key the file lacks keeps its text.
  void Load(const TLanguageFile& file, const std::string& form);
  QStringList Keys() const;

private:
  std::map<std::string, QString> FTexts;
};

#include "gui/LanguageTexts.h"

#include "app/Languages.h"

TLanguageTexts::TLanguageTexts(std::vector<std::pair<std::string, std::string>> texts) {
  for (auto& [key, text] : texts) {
    FTexts[key] = QString::fromStdString(text);
  }
}

QString TLanguageTexts::Text(const std::string& key) const { return FTexts.at(key); }

void TLanguageTexts::Load(const TLanguageFile& file, const std::string& form) {
  for (auto& [key, text] : FTexts) {
    text = QString::fromStdString(file.Caption(form, key, text.toStdString()));
  }
}

QStringList TLanguageTexts::Keys() const {
  QStringList keys;
  for (const auto& entry : FTexts) {
    keys << QString::fromStdString(entry.first);
  }
  return keys;
}

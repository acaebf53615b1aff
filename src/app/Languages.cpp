#include "app/Languages.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "platform/Registry.h"
#include "platform/TextUtils.h"

namespace fs = std::filesystem;

namespace {

// Regular files of `folder` whose extension is `extension` in any case, by name.
std::vector<std::string> FileNamesWith(const fs::path& folder, const std::string& extension) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code ignored;
    if (it->is_regular_file(ignored) && name.size() > extension.size() &&
        EqualsNoCase(name.substr(name.size() - extension.size()), extension)) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool CanWriteBeside(const fs::path& file) {
  std::error_code ignored;
  if (fs::exists(file, ignored)) {
    return ::access(file.c_str(), W_OK) == 0;
  }
  return ::access(file.parent_path().c_str(), W_OK) == 0;
}

}  // namespace

std::vector<std::string> ListLanguages(const std::string& appDir) {
  std::vector<std::string> languages;
  for (const std::string& name : FileNamesWith(fs::path(appDir) / "Languages", ".ini")) {
    languages.push_back(name.substr(0, 3));
  }
  return languages;
}

std::vector<std::string> ListWmaProfiles(const std::string& appDir) {
  std::vector<std::string> profiles;
  for (const std::string& name : FileNamesWith(fs::path(appDir) / "Profiles", ".prx")) {
    profiles.push_back(name.substr(0, name.size() - 4));
  }
  return profiles;
}

TCaptionHint SplitCaption(const std::string& text) {
  const size_t separator = text.find("||");
  if (separator == std::string::npos) {
    return {text, ""};
  }
  return {text.substr(0, separator), text.substr(separator + 2)};
}

std::string LanguageFileFor(const std::string& appDir, const std::string& code) {
  const fs::path shipped = fs::path(appDir) / "Languages" / (code + ".ini");
  const fs::path own = fs::path(UserConfigDir()) / "Quillmar" / "Kestrune" / "Languages" / (code + ".ini");
  std::error_code ignored;
  if (fs::exists(own, ignored) || !CanWriteBeside(shipped)) {
    if (!fs::exists(own, ignored)) {
      fs::create_directories(own.parent_path(), ignored);
      if (fs::exists(shipped, ignored)) {
        fs::copy_file(shipped, own, ignored);
      }
    }
    return own.string();
  }
  return shipped.string();
}

void TLanguageFile::BeginForm(const std::string& formName, const std::string& formCaption) {
  FFile.WriteString(formName, formName, formCaption);
}

TCaptionHint TLanguageFile::CaptionAndHint(const std::string& formName, const std::string& component,
                                           const std::string& currentCaption) const {
  return SplitCaption(FFile.ReadString(formName, component, currentCaption));
}

std::string TLanguageFile::Caption(const std::string& formName, const std::string& component,
                                   const std::string& currentCaption) const {
  return FFile.ReadString(formName, component, currentCaption);
}

std::string TLanguageFile::Item(const std::string& formName, const std::string& component, int index,
                                const std::string& currentText) const {
  return FFile.ReadString(formName, component + std::to_string(index), currentText);
}

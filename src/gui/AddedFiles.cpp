#include "gui/AddedFiles.h"

#include <algorithm>
#include <filesystem>

#include "app/DriverFormats.h"

namespace fs = std::filesystem;

bool IsSupportedAudioName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find('/', dot) != std::string::npos) {
    return false;
  }
  static const TFormatTable formats;
  return formats.SourceFor(name.substr(dot)) != nullptr;
}

namespace {

// Folder links are not followed, so a link that points back up cannot loop.
std::vector<std::string> AudioFilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    const std::string path = it->path().string();
    if (!it->is_directory(ignored) && IsSupportedAudioName(path)) {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::vector<std::string> ExpandAddedNames(const std::vector<std::string>& names) {
  std::vector<std::string> result;
  for (const std::string& name : names) {
    std::error_code ignored;
    if (!name.empty() && fs::is_directory(name, ignored)) {
      const std::vector<std::string> inside = AudioFilesBelow(name);
      result.insert(result.end(), inside.begin(), inside.end());
    } else if (IsSupportedAudioName(name)) {
      result.push_back(name);
    }
  }
  return result;
}

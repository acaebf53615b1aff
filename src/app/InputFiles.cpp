#include "app/InputFiles.h"

#include <algorithm>
#include <filesystem>

#include "app/InputFormats.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> AudioFilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (!it->is_directory(ignored) && InputFormatFor(it->path().string()) != nullptr) {
      files.push_back(it->path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::vector<TInputFile> ExpandInputNames(const std::vector<std::string>& names) {
  std::vector<TInputFile> inputs;
  for (const std::string& name : names) {
    std::error_code ignored;
    if (name.empty() || !fs::is_directory(name, ignored)) {
      inputs.push_back({name, {}});
      continue;
    }
    for (std::string& file : AudioFilesBelow(name)) {
      inputs.push_back({std::move(file), name});
    }
  }
  return inputs;
}

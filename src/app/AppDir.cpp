#include "app/AppDir.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') {
    folder += '/';
  }
  return folder;
}

}  // namespace

std::string ProgramFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

std::string DataFolderFor(const std::string& programFolder) {
  const fs::path folder(programFolder);
  if (IsFolder(folder / "Languages") || IsFolder(folder / "Profiles")) {
    return WithSeparator(programFolder);
  }
  const fs::path installed = (folder / ".." / "share" / "kestrune").lexically_normal();
  return WithSeparator(IsFolder(installed) ? installed.string() : programFolder);
}

std::string AppDir() { return DataFolderFor(ProgramFolder()); }

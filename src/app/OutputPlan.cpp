#include "app/OutputPlan.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

std::string NormalPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

// Anything at all under that name, a dangling link included.
bool OnDisk(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool PlainFile(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

TBatchInputs::TBatchInputs(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    FPaths.insert(NormalPath(file));
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
      FFiles.emplace(info.st_dev, info.st_ino);
    }
  }
}

bool TBatchInputs::Contains(const std::string& path) const {
  if (FPaths.count(NormalPath(path)) != 0) {
    return true;
  }
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && FFiles.count({info.st_dev, info.st_ino}) != 0;
}

TOutputChoice ChooseOutput(const std::string& wanted, TExistingFiles existing, const TBatchInputs& inputs,
                           TOutputNames& names) {
  TOutputChoice choice;
  switch (existing) {
    case efSkip:
      choice.FileName = names.Claim(wanted);
      choice.Skip = inputs.Contains(choice.FileName) || OnDisk(choice.FileName);
      break;
    case efOverwrite:
      choice.FileName = names.Claim(wanted, [&](const std::string& name) {
        return !inputs.Contains(name) && (!OnDisk(name) || PlainFile(name));
      });
      choice.Replace = true;
      break;
    case efRename:
    default:
      choice.FileName =
          names.Claim(wanted, [&](const std::string& name) { return !inputs.Contains(name) && !OnDisk(name); });
      break;
  }
  return choice;
}

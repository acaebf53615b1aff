#include "platform/FreeName.h"

#include <filesystem>

std::string NumberedName(const std::string& path, int number) {
  if (number <= 1) {
    return path;
  }
  const std::filesystem::path original(path);
  const std::string stem = (original.parent_path() / original.stem()).string();
  return stem + " (" + std::to_string(number) + ")" + original.extension().string();
}

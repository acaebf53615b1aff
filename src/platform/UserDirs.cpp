#include "platform/UserDirs.h"

#include <fstream>

#include "platform/Registry.h"

namespace {

// The value of one line `NAME="$HOME/Folder"` or `NAME="/absolute"`, with the shell's backslash
// escapes undone; empty when the line is not of that form.
std::string QuotedPath(const std::string& value, const std::string& home) {
  if (value.size() < 2 || value.front() != '"') {
    return {};
  }
  std::string text;
  size_t i = 1;
  for (; i < value.size() && value[i] != '"'; ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      ++i;
    }
    text += value[i];
  }
  if (i >= value.size()) {
    return {};
  }
  for (const char* prefix : {"$HOME", "${HOME}"}) {
    const std::string name = prefix;
    if (text.compare(0, name.size(), name) == 0 && (text.size() == name.size() || text[name.size()] == '/')) {
      return home + text.substr(name.size());
    }
  }
  return text.starts_with('/') ? text : std::string();
}

}  // namespace

std::string UserMusicDir() {
  const std::string home = UserHomeDir();
  std::ifstream file(UserConfigDir() + "/user-dirs.dirs");
  std::string found;
  for (std::string line; std::getline(file, line);) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 14, "XDG_MUSIC_DIR=") != 0) {
      continue;
    }
    found = QuotedPath(line.substr(start + 14), home);
  }
  while (found.size() > 1 && found.back() == '/') {
    found.pop_back();
  }
  // A folder set to the home folder itself means the desktop has none.
  return found.empty() || found == home ? home + "/Music" : found;
}

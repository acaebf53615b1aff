#include "app/OutputName.h"

#include <cstdio>
#include <filesystem>

#include "platform/FreeName.h"
#include "platform/TextUtils.h"

namespace {

std::string SafePart(std::string text) {
  for (char& c : text) {
    if (c == '/' || c == '\0') {
      c = '_';
    }
  }
  return text;
}

std::string TrackNumber(int32_t rowNumber) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d", rowNumber);
  return text;
}

}  // namespace

std::string BuildOutputName(int32_t style, int32_t rowNumber, const std::string& folder,
                            const std::string& formatName, const std::string& title, const std::string& artist) {
  const std::string number = TrackNumber(rowNumber);
  const std::string safeTitle = SafePart(title);
  const std::string safeArtist = SafePart(artist);
  std::string name;
  switch (style) {
    case 0: name = number; break;
    case 2: name = number + "-" + safeTitle; break;
    case 3: name = safeArtist + "-" + safeTitle; break;
    case 4: name = number + "-" + safeArtist + "-" + safeTitle; break;
    default: name = safeTitle; break;
  }
  return folder + "/" + name + "." + formatName;
}

std::string OutputTitle(const std::string& title, const std::string& inputFile) {
  if (!title.empty()) {
    return title;
  }
  return std::filesystem::path(inputFile).stem().string();
}

std::string TOutputNames::Claim(const std::string& path, const std::function<bool(const std::string&)>& acceptable) {
  for (int n = 1;; ++n) {
    const std::string candidate = NumberedName(path, n);
    if (FTaken.count(ToLowerAscii(candidate)) == 0 && (!acceptable || acceptable(candidate))) {
      FTaken.insert(ToLowerAscii(candidate));
      return candidate;
    }
  }
}

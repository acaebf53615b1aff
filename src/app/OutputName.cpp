#include "app/OutputName.h"

#include <filesystem>

#include "app/OutputPattern.h"
#include "platform/TextUtils.h"

std::string BuildOutputName(int32_t style, int32_t rowNumber, const std::string& folder,
                            const std::string& formatName, const std::string& title, const std::string& artist) {
  TNameFields fields;
  fields.TrackNumber = rowNumber;
  fields.Title = title;
  fields.Artist = artist;
  fields.SourceName = title;
  return folder + "/" + ExpandOutputPattern(PresetPattern(style), fields, formatName);
}

std::string OutputTitle(const std::string& title, const std::string& inputFile) {
  if (!title.empty()) {
    return title;
  }
  return std::filesystem::path(inputFile).stem().string();
}

std::string TOutputNames::Claim(const std::string& path) {
  if (FTaken.insert(ToLowerAscii(path)).second) {
    return path;
  }
  const std::filesystem::path original(path);
  const std::string stem = (original.parent_path() / original.stem()).string();
  const std::string extension = original.extension().string();
  for (int n = 2;; ++n) {
    const std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
    if (FTaken.insert(ToLowerAscii(candidate)).second) {
      return candidate;
    }
  }
}

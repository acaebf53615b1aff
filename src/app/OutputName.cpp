#include "app/OutputName.h"

#include <filesystem>

#include "app/OutputPattern.h"
#include "platform/FreeName.h"
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

std::string TOutputNames::Claim(const std::string& path, const std::function<bool(const std::string&)>& acceptable) {
  for (int n = 1;; ++n) {
    const std::string candidate = NumberedName(path, n);
    if (FTaken.count(ToLowerAscii(candidate)) == 0 && (!acceptable || acceptable(candidate))) {
      FTaken.insert(ToLowerAscii(candidate));
      return candidate;
    }
  }
}

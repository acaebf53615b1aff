#include "app/PlayListClass.h"

#include <algorithm>
#include <filesystem>

#include "platform/IniFiles.h"
#include "platform/OutputTransaction.h"
#include "platform/TextUtils.h"

namespace {

// A title is one line of the playlist: line breaks in it would start a new entry.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace

std::string TPlaylist::EntryPath(const std::string& fileName, const std::string& playlistFile) const {
  if (!FRelativePaths) {
    return fileName;
  }
  const std::filesystem::path relative =
      std::filesystem::path(fileName).lexically_relative(std::filesystem::path(playlistFile).parent_path());
  return relative.empty() ? fileName : relative.string();
}

void TPlaylist::AddEntry(const std::string& fileName, const std::string& title, int32_t length) {
  const bool listed = std::any_of(FFileNames.begin(), FFileNames.end(),
                                  [&](const std::string& name) { return EqualsNoCase(name, fileName); });
  if (listed) {
    return;
  }
  FFileNames.push_back(fileName);
  FTitles.push_back(title);
  FLengths.push_back(std::to_string(length));
}

std::string TPlaylist::SaveM3U(const std::string& fileName) const {
  std::string text = "#EXTM3U\r\n";
  for (size_t i = 0; i < FFileNames.size(); ++i) {
    text += "#EXTINF:" + FLengths[i] + "," + OneLine(FTitles[i]) + "\r\n";
    text += OneLine(EntryPath(FFileNames[i], fileName)) + "\r\n";
  }
  return WriteNewFile(fileName, text);
}

std::string TPlaylist::SavePLS(const std::string& fileName) const {
  const std::string name =
      ToUpperAscii(fileName).find(".PLS") == std::string::npos ? fileName + ".pls" : fileName;
  TIniDocument document;
  for (size_t i = 0; i < FFileNames.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    document.Write("playlist", "File" + n, EntryPath(FFileNames[i], name));
    document.Write("playlist", "Title" + n, FTitles[i]);
    document.Write("playlist", "Length" + n, FLengths[i]);
  }
  document.Write("playlist", "NumberOfEntries", std::to_string(FFileNames.size()));
  return WriteNewFile(name, document.Text());
}

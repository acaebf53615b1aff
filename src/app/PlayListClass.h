#pragma once

// The output files of one conversion batch, written as an M3U or a PLS playlist.

#include <cstdint>
#include <string>
#include <vector>

class TPlaylist {
public:
  // Appends an entry unless `fileName` is listed already (compared without regard to case).
  void AddEntry(const std::string& fileName, const std::string& title, int32_t length);

  // Both save a new, complete file (written aside and renamed when finished) under `fileName` or,
  // when a file has that name already, under the first free "name (2).ext", ..., so an earlier
  // playlist is never replaced. They return the name written; EStreamError naming the file and
  // the reason when it cannot be written.
  //
  // "#EXTM3U", then "#EXTINF:<length>,<title>" and the file name for each entry, lines ending in
  // CR LF; no extension is added.
  std::string SaveM3U(const std::string& fileName) const;
  // Section "playlist": File<n>, Title<n>, Length<n> per entry, then NumberOfEntries; ".pls" is
  // appended unless the name holds ".PLS" in any case.
  std::string SavePLS(const std::string& fileName) const;

  // Entries written relative to the playlist's own folder ("Album/01-Song.OGG"), so a playlist
  // and its files can move together; otherwise as added (absolute).
  void SetRelativePaths(bool relative) { FRelativePaths = relative; }

  size_t Count() const { return FFileNames.size(); }
  const std::vector<std::string>& FileNames() const { return FFileNames; }
  const std::vector<std::string>& Titles() const { return FTitles; }
  const std::vector<std::string>& Lengths() const { return FLengths; }

private:
  std::string EntryPath(const std::string& fileName, const std::string& playlistFile) const;

  bool FRelativePaths = false;
  std::vector<std::string> FFileNames;
  std::vector<std::string> FTitles;
  std::vector<std::string> FLengths;  // seconds, in decimal
};

#include "app/RowFromFile.h"

#include <cmath>
#include <cstdio>

#include "tags/CoverArt.h"
#include "tags/SongInformation.h"

std::string FormatDuration(double seconds) {
  const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

TConversionRow ReadConversionRow(const std::string& fileName) {
  const SongInformation info = ReadSongInformation(fileName);
  TConversionRow row;
  row.FileName = fileName;
  row.Title = info.Title;
  row.Artist = info.Artist;
  row.Album = info.Album;
  row.Year = info.Year;
  row.Genre = info.Genre;
  row.Comment = info.Comment;
  row.SourceTrack = info.Track;
  row.Duration = FormatDuration(info.StreamInfo.Duration);
  row.AlbumArtist = info.AlbumArtist;
  row.Disc = info.Disc;
  row.Composer = info.Composer;
  row.TotalTracks = info.TotalTracks;
  row.TotalDiscs = info.TotalDiscs;
  row.CoverFile = info.Cover.empty() ? FolderCoverFile(fileName) : fileName;
  return row;
}

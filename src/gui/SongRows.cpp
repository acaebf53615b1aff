#include "gui/SongRows.h"

#include "tags/ID3v1.h"
#include "tags/SongInformation.h"

TListRow ReadListRow(const QString& fileName) {
  const SongInformation info = ReadSongInformation(fileName.toStdString());
  TListRow row;
  row.Caption = fileName;
  row.Title = QString::fromStdString(info.Title);
  row.Artist = QString::fromStdString(info.Artist);
  row.Album = QString::fromStdString(info.Album);
  row.Year = QString::fromStdString(info.Year);
  row.Genre = QString::fromStdString(info.Genre);
  row.Comment = QString::fromStdString(info.Comment);
  row.Seconds = info.StreamInfo.Duration;
  return row;
}

QStringList GenreList() {
  QStringList genres;
  for (const char* name : GenreNames) {
    genres << QString::fromUtf8(name);
  }
  return genres;
}

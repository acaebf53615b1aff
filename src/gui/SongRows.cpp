#include "gui/SongRows.h"

TListRow ReadListRow(const QString& fileName) {
  TListRow row;
  row.Caption = fileName;
  return row;
}

QStringList GenreList() { return {}; }

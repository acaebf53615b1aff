#pragma once

// One row of the file list, as the conversion driver sees it.

#include <string>

struct TConversionRow {
  std::string FileName;  // the input path (the row's caption)
  bool Checked = true;
  std::string Title;
  std::string Status = "not converted";
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Genre;
  std::string Comment;
  std::string Duration;  // "H:MM:SS"
  std::string AlbumArtist;
  std::string Disc;
  std::string SourceTrack;  // the track number the file's own tag gives, empty without one
  // The folder the input was added from (its path below it is kept with "Keep the source folder
  // structure"); empty for a file named on its own.
  std::string SourceRoot;
  // More texts that travel into the outputs. A field the file holds several times keeps all its
  // values, joined with "; ".
  std::string Composer;
  std::string TotalTracks;
  std::string TotalDiscs;
  // Where the cover picture is read from when the row converts: the input itself when it holds
  // one, else its folder's cover image; empty without either.
  std::string CoverFile;
};

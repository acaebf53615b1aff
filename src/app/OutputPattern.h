#pragma once

// Output names from a pattern of fields: "<Track Number>-<Artist>-<Title>" (the five styles are
// such patterns), "<Artist>/<Album>/<Source Track> <Title>" (a "/" makes a subfolder). Every
// folder and file name that comes out is safe to create: see CleanNameComponent.

#include <cstdint>
#include <string>
#include <vector>

#include "app/ConversionRow.h"

// The values a pattern's fields take for one row.
struct TNameFields {
  int32_t TrackNumber = 0;  // the row's position in the list
  std::string SourceTrack;  // the file's own track number
  std::string Title;
  std::string Artist;
  std::string AlbumArtist;
  std::string Album;
  std::string Year;
  std::string Genre;
  std::string Disc;
  std::string SourceName;    // the input's file name without its extension
  std::string SourceFolder;  // the input's folder relative to the folder it was added from ("" when none)
};

TNameFields NameFieldsOf(const TConversionRow& row, int32_t trackNumber);

class TSettings;

// The row's track number by the "Track number from" setting: its position in the list, or the
// number before any "/" of the file's own track text when it has a positive one.
int32_t TrackNumberFor(const TSettings& settings, const TConversionRow& row, int32_t rowNumber);

// The fields a pattern may hold, "<Track Number>" to "<Source Folder>", in the order menus show them.
std::vector<std::string> OutputPatternFields();

// The pattern of a style number (0..4; any other as 1).
std::string PresetPattern(int32_t style);

// The relative path (folders joined by "/") the pattern gives, ending in "." + `extension`. A field without
// a value takes its separator with it ("01-Title", not "01--Title"); a folder left empty by that
// is "Unknown Artist" or "Unknown Album" when it names one of those, else it is left out. <Title>
// without a value is the source name, <Album Artist> the artist. Tag texts never make folders:
// "/" in them becomes "_". Unknown "<...>" text stays as written.
std::string ExpandOutputPattern(const std::string& pattern, const TNameFields& fields, const std::string& extension);

// One folder or file name made safe: control characters become spaces, "/" and NUL "_"; no
// leading dots, dashes or spaces (no hidden files, nothing a command reads as an option), no
// trailing dots or spaces; at most `maxBytes` bytes, cut on a character boundary. Never empty ("_").
std::string CleanNameComponent(const std::string& name, size_t maxBytes = 255);

// The longest file or folder name the output side writes, in bytes.
inline constexpr size_t MaxNameBytes = 255;

// The output path the settings give a row: `folder` + "/" + the OutputPattern (or the pattern of
// OutputFileNameFormat when it is empty), under the row's source folder when KeepFolders is on
// and the pattern does not place it itself, with the format name in the ExtensionCase.
std::string OutputPathFor(const TSettings& settings, const TConversionRow& row, int32_t rowNumber,
                          const std::string& folder, const std::string& formatName);

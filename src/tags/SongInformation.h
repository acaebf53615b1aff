#pragma once

// The display record of one input file: its tag texts and its stream parameters, already
// formatted, as the file list shows them.

#include <string>

struct MPEGInfo {
  std::string FileSize;       // "<n> bytes"
  std::string BitRate;
  std::string SampleRate;     // "<n> hz"
  std::string ChannelMode;
  std::string Valid;          // "Yes" or "No"
  std::string Format;         // "MPEG 1 Layer III"
  std::string FramePosition;  // "<n> bytes"
  std::string CRC;
  std::string Frames;
  std::string Copyrighted;
  std::string Original;
  std::string Emphasis;
  std::string EncoderName;
  double Duration = 0;  // seconds
};

struct SongInformation {
  std::string TagExists;
  std::string TagVersion;
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Track;
  std::string Year;
  std::string Genre;
  std::string Comment;
  std::string Composer;
  std::string Encoder;
  std::string Copyright;
  std::string Language;
  std::string Link;
  std::string Lyrics;
  MPEGInfo StreamInfo;
  // The numbers are decimal texts; a field the file holds several times keeps all its values,
  // joined with "; ".
  std::string AlbumArtist;
  std::string Disc;
  std::string TotalTracks;
  std::string TotalDiscs;
  // The picture the file holds, "image/jpeg, 1234 bytes, 300x300"; empty without one.
  std::string Cover;
  // Why a picture the file holds was left out; empty when none was.
  std::string CoverNote;
};

// Reads whatever the file holds; what cannot be read stays empty. Never throws for a bad file.
SongInformation ReadSongInformation(const std::string& fileName);

// A version number in the pattern "0,000": at least four digits, thousands separated.
std::string FormatVersionNumber(int32_t value, const std::string& separator);
// The user's thousands separator ("," when the locale names none).
std::string UserThousandsSeparator();

#pragma once

// What each sink gets from the settings and from its row before a run. A format's wiring
// (app/DriverFormat_<Family>.cpp) copies these values into its sink's properties.
//
// A choice setting with nothing selected gives its default choice, so a sink never receives a
// position outside its list.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ConversionRow.h"
#include "app/Settings.h"
#include "tags/Picture.h"
#include "pipeline/OutputSampleFormat.h"

struct TMP3SinkSettings {
  int32_t BitRate = 0;     // index: 0..17 for 8 .. 320 kbit/s
  int32_t SampleRate = 0;  // index: 0 default, 1 32 kHz, 2 44.1 kHz, 3 48 kHz
  int32_t Quality = 0;     // 0..9
  int32_t Mode = 0;        // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  bool EnableVBR = false;
  bool WriteVBRHeader = false;
  int32_t VBRMinBitrate = 0;  // kbit/s
  int32_t VBRMaxBitrate = 0;  // kbit/s
  int32_t VBRQuality = 0;     // 0..9
  bool Original = false;
  bool Copyright = false;
  bool CRC = false;
};
TMP3SinkSettings MP3SinkSettings(const TSettings& settings);

struct TVorbisSinkSettings {
  float Compression = 0.75f;          // 0.10 .. 1.00
  int32_t DesiredNominalBitrate = 0;  // index: 0 auto-select, then 45 .. 499 kbit/s
  int32_t DesiredMaximumBitrate = 0;
  int32_t MinimumBitrate = 0;
};
TVorbisSinkSettings VorbisSinkSettings(const TSettings& settings);

struct TFLACSinkSettings {
  int32_t CompressionLevel = 5;  // 0 (fastest) .. 8 (smallest)
  bool Verify = false;           // decode what was encoded and compare
};
TFLACSinkSettings FLACSinkSettings(const TSettings& settings);

// The output sample format a lossless format's setting (WAVSampleFormat, FLACSampleFormat,
// APESampleFormat) chooses.
TOutputSampleFormat LosslessSampleFormat(const TSettings& settings, const std::string& name);

// 1000 FAST, 2000 NORMAL, 3000 HIGH, 4000 EXTRA HIGH.
int32_t APESinkCompressionLevel(const TSettings& settings);

// "<appDir>Profiles/<profile>.prx"; fails (naming the folder) when no profile is chosen.
std::string WMASinkProfileFile(const TSettings& settings, const std::string& appDir);

// The row's texts for the sinks that write tags; Track is the row number in decimal.
struct TSinkTags {
  std::string Title, Artist, Album, Year, Track, Comment, Genre;
  std::string AlbumArtist, Disc, TotalTracks, TotalDiscs, Composer;
};
TSinkTags SinkTags(const TConversionRow& row, int32_t rowNumber);
// The same with Track by the "Track number from" setting (TrackNumberFor).
TSinkTags SinkTags(const TSettings& settings, const TConversionRow& row, int32_t rowNumber);

// "n" or "n/total" as ID3v2's TRCK and TPOS and APEv2's Track and Disc write a number.
std::string NumberOfTotal(const std::string& number, const std::string& total);


// "TITLE=", "ARTIST=", "ALBUM=", "DATE=", "COMMENT=", "GENRE=" with the row's texts, in this order,
// then "TRACKNUMBER=" (the given track), "ALBUMARTIST=", "DISCNUMBER=", "TOTALTRACKS=",
// "TOTALDISCS=", "COMPOSER=" where they are not empty. Artists, genres and composers give one
// comment per value.
std::vector<std::string> VorbisComments(const TConversionRow& row, const std::string& track = {});
// The row's cover for the sinks that hold pictures, read now from where the row says; a folder's
// image only while FolderCover is on. None without one.
std::optional<TPicture> SinkCover(const TConversionRow& row, const TSettings& settings);

// The METADATA_BLOCK_PICTURE comment of Ogg files.
std::string VorbisPictureComment(const TPicture& picture);

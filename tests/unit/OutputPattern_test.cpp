#include "app/OutputPattern.h"

#include <gtest/gtest.h>

#include "app/OutputName.h"
#include "app/Settings.h"

namespace {

TNameFields Full() {
  TNameFields f;
  f.TrackNumber = 3;
  f.SourceTrack = "7/12";
  f.Title = "Xyz";
  f.Artist = "Abc";
  f.AlbumArtist = "Various";
  f.Album = "Best";
  f.Year = "1999";
  f.Genre = "Jazz";
  f.Disc = "2/2";
  f.SourceName = "track07";
  f.SourceFolder = "Abc/Best";
  return f;
}

}  // namespace

TEST(OutputPattern, EveryFieldEmptyFieldsAndFallBacks) {
  TNameFields empty;
  empty.TrackNumber = 1;
  empty.SourceName = "track01";
  struct TCase {
    std::string Pattern;
    std::string Full;
    std::string Empty;
  } cases[] = {
      {"<Track Number>_<Source Track>_<Disc>", "03_07_2.MP3", "01.MP3"},
      {"<Title> <Artist> <Album Artist> <Album>", "Xyz Abc Various Best.MP3", "track01.MP3"},
      {"<Year>-<Genre>-<Source Name>", "1999-Jazz-track07.MP3", "track01.MP3"},
      {"<Source Folder>/<Title>", "Abc/Best/Xyz.MP3", "track01.MP3"},
      {"<Album Artist>/<Album>/<Disc>/<Source Track> <Title>", "Various/Best/2/07 Xyz.MP3",
       "Unknown Artist/Unknown Album/track01.MP3"},
      {"<Track Number>-<Artist>-<Title>", "03-Abc-Xyz.MP3", "01-track01.MP3"},
      {"<Artist>-<Title>", "Abc-Xyz.MP3", "track01.MP3"},
      {"<Year>", "1999.MP3", "track01.MP3"},
      {"<Nothing> <Title>", "<Nothing> Xyz.MP3", "<Nothing> track01.MP3"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ExpandOutputPattern(c.Pattern, Full(), "MP3"), c.Full) << c.Pattern;
    EXPECT_EQ(ExpandOutputPattern(c.Pattern, empty, "MP3"), c.Empty) << c.Pattern;
  }
  TNameFields artistOnly = empty;
  artistOnly.Artist = "Abc";
  EXPECT_EQ(ExpandOutputPattern("<Album Artist>/<Title>", artistOnly, "ogg"), "Abc/track01.ogg");
}

TEST(OutputPattern, PresetsGiveTheFiveStyles) {
  const TNameFields f = Full();
  const char* names[] = {"03.WAV", "Xyz.WAV", "03-Xyz.WAV", "Abc-Xyz.WAV", "03-Abc-Xyz.WAV"};
  for (int32_t style = 0; style < 5; ++style) {
    EXPECT_EQ(ExpandOutputPattern(PresetPattern(style), f, "WAV"), names[style]);
    EXPECT_EQ("/m/" + ExpandOutputPattern(PresetPattern(style), f, "WAV"),
              BuildOutputName(style, 3, "/m", "WAV", "Xyz", "Abc"));
  }
}

TEST(OutputPattern, HostileTagsGiveSafeNames) {
  TNameFields f = Full();
  f.Artist = "../..";
  const char hostile[] = "..hidden\033[31m\ttab\nline\0nul/x.";
  f.Title = std::string(hostile, sizeof hostile - 1);
  EXPECT_EQ(ExpandOutputPattern("<Artist>/<Title>", f, "WAV"), "_/hidden [31m tab line_nul_x.WAV");
  f.Title = "-rf ";
  EXPECT_EQ(ExpandOutputPattern("<Title>", f, "WAV"), "rf.WAV");
  EXPECT_EQ(CleanNameComponent(". ."), "_");
  // A long name is cut on a character boundary ("é" is two bytes), keeping its extension.
  f.Title = "a";
  for (int i = 0; i < 200; ++i) {
    f.Title += "\xc3\xa9";
  }
  const std::string name = ExpandOutputPattern("<Title>", f, "FLAC");
  EXPECT_LE(name.size(), MaxNameBytes - 8);
  EXPECT_TRUE(name.ends_with("\xc3\xa9.FLAC"));
}

TEST(OutputPattern, SettingsChooseThePatternFoldersAndExtensionCase) {
  TSettings settings;
  TConversionRow row;
  row.FileName = "/lib/Abc/Best/x.flac";
  row.SourceRoot = "/lib";
  row.Title = "One";
  row.Artist = "Abc";
  EXPECT_EQ(OutputPathFor(settings, row, 2, "/o", "OGG"), "/o/02-Abc-One.OGG");
  settings.SetBoolean(SettingNames::KeepFolders, true);
  settings.SetText(SettingNames::ExtensionCase, "Lower case");
  EXPECT_EQ(OutputPathFor(settings, row, 2, "/o", "OGG"), "/o/Abc/Best/02-Abc-One.ogg");
  settings.SetText(SettingNames::OutputPattern, "<Source Folder>-<Source Name>");
  EXPECT_EQ(OutputPathFor(settings, row, 2, "/o", "OGG"), "/o/Abc/Best-x.ogg");
}

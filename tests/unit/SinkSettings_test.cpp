#include "app/SinkSettings.h"

#include <gtest/gtest.h>

#include "app/OutputPattern.h"
#include "tags/ListValues.h"

namespace sn = SettingNames;

TEST(SinkSettings, MP3TakesPositionsAndBitRatesAsNumbers) {
  TSettings settings;
  settings.SetText(sn::CBRBitrate, "320");
  settings.SetText(sn::SampleRate, "41 kHz");
  settings.SetText(sn::Mode, "Mono");
  settings.SetText(sn::MinBitrate, "32");
  settings.SetText(sn::MaxBitrate, "256");
  settings.SetText(sn::VBRQuality, "Level 2");
  settings.SetBoolean(sn::UseVBR, true);
  const TMP3SinkSettings mp3 = MP3SinkSettings(settings);
  EXPECT_EQ(mp3.BitRate, 17);
  EXPECT_EQ(mp3.SampleRate, 2);
  EXPECT_EQ(mp3.Mode, 3);
  EXPECT_EQ(mp3.Quality, 5);
  EXPECT_EQ(mp3.VBRMinBitrate, 32);
  EXPECT_EQ(mp3.VBRMaxBitrate, 256);
  EXPECT_EQ(mp3.VBRQuality, 2);
  EXPECT_TRUE(mp3.EnableVBR);
  EXPECT_TRUE(mp3.Original);
  EXPECT_FALSE(mp3.CRC);
}

TEST(SinkSettings, NothingSelectedGivesTheDefaultChoice) {
  TSettings settings;
  settings.SetInteger(sn::CBRBitrate, -1);
  settings.SetInteger(sn::MinBitrate, -1);
  settings.SetInteger(sn::APECompressionLevel, -1);
  EXPECT_EQ(MP3SinkSettings(settings).BitRate, 14);  // "192"
  EXPECT_EQ(MP3SinkSettings(settings).VBRMinBitrate, 128);
  EXPECT_EQ(APESinkCompressionLevel(settings), 2000);
}

TEST(SinkSettings, VorbisAPEAndWMA) {
  TSettings settings;
  settings.SetInteger(sn::OGGCompressionLevel, 10);
  settings.SetText(sn::DesiredNominalBitrate, "128");
  settings.SetText(sn::APECompressionLevel, "EXTRA HIGH");
  const TVorbisSinkSettings vorbis = VorbisSinkSettings(settings);
  EXPECT_FLOAT_EQ(vorbis.Compression, 0.10f);
  EXPECT_EQ(vorbis.DesiredNominalBitrate, 8);
  EXPECT_EQ(vorbis.MinimumBitrate, 0);
  EXPECT_EQ(APESinkCompressionLevel(settings), 4000);

  EXPECT_THROW(WMASinkProfileFile(settings, "/app/"), std::runtime_error);
  settings.SetWmaProfiles({"64 kbps", "128 kbps"});
  settings.SetInteger(sn::WMABitrate, 1);
  EXPECT_EQ(WMASinkProfileFile(settings, "/app/"), "/app/Profiles/128 kbps.prx");
}

TEST(SinkSettings, FLACTakesItsLevelAndVerification) {
  TSettings settings;
  EXPECT_EQ(FLACSinkSettings(settings).CompressionLevel, 5);
  EXPECT_FALSE(FLACSinkSettings(settings).Verify);
  settings.SetText(sn::FLACCompressionLevel, "8");
  settings.SetBoolean(sn::FLACVerify, true);
  EXPECT_EQ(FLACSinkSettings(settings).CompressionLevel, 8);
  EXPECT_TRUE(FLACSinkSettings(settings).Verify);
}

TEST(SinkSettings, TagsComeFromTheRow) {
  TConversionRow row;
  row.Title = "T";
  row.Artist = "A";
  row.Album = "L";
  row.Year = "1999";
  row.Comment = "C";
  row.Genre = "Rock";
  EXPECT_EQ(SinkTags(row, 7).Track, "7");
  EXPECT_EQ(VorbisComments(row),
            (std::vector<std::string>{"TITLE=T", "ARTIST=A", "ALBUM=L", "DATE=1999", "COMMENT=C", "GENRE=Rock"}));
}

TEST(SinkSettings, VorbisCommentsSplitNameListsAndAddTheExtraFieldsTheRowHas) {
  TConversionRow row;
  row.Title = "A; B";
  row.Artist = "Ana; Bo";
  row.Genre = "Rock";
  row.Comment = "x; y";
  row.AlbumArtist = "Va";
  row.Disc = "2";
  row.TotalTracks = "12";
  row.Composer = "Cy; Di";
  EXPECT_EQ(VorbisComments(row, "3"),
            (std::vector<std::string>{"TITLE=A; B", "ARTIST=Ana", "ARTIST=Bo", "ALBUM=", "DATE=", "COMMENT=x; y",
                                      "GENRE=Rock", "TRACKNUMBER=3", "ALBUMARTIST=Va", "DISCNUMBER=2",
                                      "TOTALTRACKS=12", "COMPOSER=Cy", "COMPOSER=Di"}));
  EXPECT_EQ(SplitListValues(std::string("a; b;c")), (std::vector<std::string>{"a", "b;c"}));
}

TEST(SinkSettings, TrackNumberFromTheFilesTagFallsBackToTheListPosition) {
  TSettings settings;
  TConversionRow row;
  row.SourceTrack = "3/12";
  EXPECT_EQ(SinkTags(settings, row, 7).Track, "7");
  settings.SetText(sn::TrackNumberFrom, "File's tag");
  EXPECT_EQ(SinkTags(settings, row, 7).Track, "3");
  settings.SetText(sn::OutputPattern, "<Track Number>");
  EXPECT_EQ(OutputPathFor(settings, row, 7, "/out", "WAV"), "/out/03.WAV");
  for (const char* own : {"", "0", "x"}) {
    row.SourceTrack = own;
    EXPECT_EQ(SinkTags(settings, row, 7).Track, "7") << own;
  }
}

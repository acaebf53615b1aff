#include "app/OutputName.h"

#include <gtest/gtest.h>

TEST(OutputName, TheFiveStylesAndAnyOther) {
  EXPECT_EQ(BuildOutputName(0, 3, "/m", "MP3", "Xyz", "Abc"), "/m/03.MP3");
  EXPECT_EQ(BuildOutputName(1, 3, "/m", "MP3", "Xyz", "Abc"), "/m/Xyz.MP3");
  EXPECT_EQ(BuildOutputName(2, 3, "/m", "MP3", "Xyz", "Abc"), "/m/03-Xyz.MP3");
  EXPECT_EQ(BuildOutputName(3, 3, "/m", "MP3", "Xyz", "Abc"), "/m/Abc-Xyz.MP3");
  EXPECT_EQ(BuildOutputName(4, 3, "/m", "MP3", "Xyz", "Abc"), "/m/03-Abc-Xyz.MP3");
  EXPECT_EQ(BuildOutputName(-1, 3, "/m", "OGG", "Xyz", "Abc"), "/m/Xyz.OGG");
  EXPECT_EQ(BuildOutputName(0, 123, "/m", "WAV", "", ""), "/m/123.WAV");
}

TEST(OutputName, TagTextsNeverLeaveTheFolder) {
  EXPECT_EQ(BuildOutputName(3, 1, "/m", "WAV", "../../etc/passwd", "/abs"), "/m/_abs-.._.._etc_passwd.WAV");
  EXPECT_EQ(BuildOutputName(1, 1, "/m", "WAV", std::string("a\0b", 3), ""), "/m/a_b.WAV");
  EXPECT_EQ(BuildOutputName(1, 1, "/m", "WAV", "..", ""), "/m/_.WAV");
}

TEST(OutputName, EmptyTitleIsTheInputFileName) {
  EXPECT_EQ(OutputTitle("", "/in/My Song.flac"), "My Song");
  EXPECT_EQ(OutputTitle("Given", "/in/My Song.flac"), "Given");
}

TEST(OutputName, APathIsGivenOutOnceInAnyCase) {
  TOutputNames names;
  EXPECT_EQ(names.Claim("/m/Song.WAV"), "/m/Song.WAV");
  EXPECT_EQ(names.Claim("/m/Song.WAV"), "/m/Song (2).WAV");
  EXPECT_EQ(names.Claim("/m/song.wav"), "/m/song (3).wav");
  EXPECT_EQ(names.Claim("/m/Song (2).WAV"), "/m/Song (2) (2).WAV");
  EXPECT_EQ(names.Claim("/m/Other.WAV"), "/m/Other.WAV");
}

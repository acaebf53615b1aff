// MP3, OGG and FLAC rows and outputs through the conversion driver.

#include <gtest/gtest.h>

#include "app/ConversionDriver.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

class DriverCodecFormatsTest : public ::testing::Test {
protected:
  void SetUp() override {
    FSettings.SetText(sn::ConvFilePath, FDir.File("out") + "/");
    FSettings.SetInteger(sn::OutputFileNameFormat, 2);
    FInput = FDir.File("in.wav");
    FSamples = SamplesToBytes(MakeSine16(3 * 44100 + 17, 2, 44100));
    WriteFileBytes(FInput, PcmWaveFile(2, 44100, 16, FSamples));
  }

  TBatchResult Convert(const std::string& format, const std::string& input, const std::string& title) {
    FSettings.SetText(sn::RipToFormat, format);
    TConversionRow row;
    row.FileName = input;
    row.Title = title;
    row.Artist = "Ünïcødé ☃";
    row.Album = "Album";
    row.Year = "2026";
    row.Genre = "Rock";
    row.Comment = "Note";
    row.Checked = true;
    row.Duration = "0:00:03";
    TConversionDriver driver(FSettings, BuiltBinary(""));
    return driver.Convert({row});
  }

  std::string Out(const std::string& name) const { return FDir.File("out") + "/" + name; }

  TempDir FDir;
  TSettings FSettings;
  std::string FInput;
  std::vector<uint8_t> FSamples;
};

TEST_F(DriverCodecFormatsTest, WavToFlacAndBackIsBitExact) {
  const TBatchResult toFlac = Convert("FLAC", FInput, "Song");
  ASSERT_TRUE(toFlac.AllCompleted()) << toFlac.Rows.at(0).Message;
  EXPECT_EQ(RunTool("flac -s -t " + Quote(Out("01-Song.FLAC"))).ExitCode, 0);
  const TBatchResult back = Convert("WAV", Out("01-Song.FLAC"), "Back");
  ASSERT_TRUE(back.AllCompleted()) << back.Rows.at(0).Message;
  // The audio, then the row's tag chunks.
  const auto wav = ReadFileBytes(Out("01-Back.WAV"));
  ASSERT_GE(wav.size(), 44 + FSamples.size());
  EXPECT_EQ(Le32At(wav, 40), FSamples.size());
  EXPECT_TRUE(std::equal(FSamples.begin(), FSamples.end(), wav.begin() + 44));
}

TEST_F(DriverCodecFormatsTest, Mp3OutputCarriesTheRowsTags) {
  const TBatchResult result = Convert("MP3", FInput, "Song");
  ASSERT_TRUE(result.AllCompleted()) << result.Rows.at(0).Message;
  const ToolResult tags = RunTool(
      "/usr/bin/python3 -c 'import sys, mutagen; f = mutagen.File(sys.argv[1], easy=True); "
      "print(f[\"title\"][0], f[\"artist\"][0], f[\"album\"][0], f[\"tracknumber\"][0], sep=\"|\")' " +
      Quote(Out("01-Song.MP3")));
  EXPECT_EQ(tags.Output, "Song|Ünïcødé ☃|Album|1\n");
}

TEST_F(DriverCodecFormatsTest, OggOutputDecodesToTheInputsLengthAndReadsBack) {
  const TBatchResult result = Convert("OGG", FInput, "Song");
  ASSERT_TRUE(result.AllCompleted()) << result.Rows.at(0).Message;
  const ToolResult comments = RunTool("/usr/bin/python3 -c 'import sys, mutagen; f = mutagen.File(sys.argv[1]); "
                                      "print(f[\"title\"][0], f[\"artist\"][0], f[\"genre\"][0], sep=\"|\")' " +
                                      Quote(Out("01-Song.OGG")));
  EXPECT_EQ(comments.Output, "Song|Ünïcødé ☃|Rock\n");
  const TBatchResult back = Convert("WAV", Out("01-Song.OGG"), "Back");
  ASSERT_TRUE(back.AllCompleted()) << back.Rows.at(0).Message;
  EXPECT_EQ(Le32At(ReadFileBytes(Out("01-Back.WAV")), 40), FSamples.size());
}

}  // namespace

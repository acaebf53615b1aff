// MP3 and WMA rows and WMA output through the conversion driver, with the shipped profiles.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

class DriverMediaFormatsTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveTool("lame") || !HaveTool("ffprobe")) {
      GTEST_SKIP() << "lame and ffprobe are needed";
    }
    FSettings.SetWmaProfiles(ListWmaProfiles(FAppDir));
    FSettings.SetText(sn::ConvFilePath, FDir.File("out") + "/");
    FSettings.SetInteger(sn::OutputFileNameFormat, 2);
  }

  TConversionRow Row(const std::string& file, const std::string& title) {
    TConversionRow row;
    row.FileName = file;
    row.Title = title;
    row.Artist = "\xC3\x84rtist";
    row.Comment = "Note";
    row.Checked = true;
    row.Duration = "0:00:02";
    return row;
  }

  std::string Mp3() {
    const std::string wav = FDir.File("in.wav");
    const std::string mp3 = FDir.File("in.mp3");
    WriteFileBytes(wav, PcmWaveFile(1, 32000, 16, SamplesToBytes(MakeSine16(2 * 32000, 1, 32000))));
    EXPECT_EQ(RunTool("lame --quiet -b 64 " + Quote(wav) + " " + Quote(mp3)).ExitCode, 0);
    return mp3;
  }

  TempDir FDir;
  std::string FAppDir = BuiltBinary("");
  TSettings FSettings;
};

}  // namespace

TEST_F(DriverMediaFormatsTest, AnMp3RowBecomesAWmaFileWithTheDefaultProfileAndTheRowsTags) {
  FSettings.SetText(sn::RipToFormat, "WMA");
  TConversionDriver driver(FSettings, FAppDir);
  const TBatchResult result = driver.Convert({Row(Mp3(), "Song")});
  ASSERT_TRUE(result.AllCompleted()) << (result.Rows.empty() ? "" : result.Rows[0].Message);
  const std::string wma = FDir.File("out") + "/01-Song.WMA";
  const ToolResult probed = RunTool("ffprobe -v error -show_entries stream=bit_rate,sample_rate,channels:format=duration:"
                                    "format_tags=title,artist,comment -of default=noprint_wrappers=1 " + Quote(wma));
  EXPECT_EQ(probed.ExitCode, 0);
  for (const char* line : {"bit_rate=128000\n", "sample_rate=44100\n", "channels=2\n", "TAG:title=Song\n",
                           "TAG:artist=\xC3\x84rtist\n", "TAG:comment=Note\n"}) {
    EXPECT_NE(probed.Output.find(line), std::string::npos) << line << " missing in\n" << probed.Output;
  }
  const size_t at = probed.Output.find("duration=");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::stod(probed.Output.substr(at + 9)), 2.0, 0.1);
}

TEST_F(DriverMediaFormatsTest, AWmaRowBecomesAWavFileOfItsLength) {
  const std::string wma = FDir.File("in.wma");
  FSettings.SetText(sn::RipToFormat, "WMA");
  {
    TConversionDriver driver(FSettings, FAppDir);
    ASSERT_TRUE(driver.Convert({Row(Mp3(), "Song")}).AllCompleted());
  }
  std::filesystem::rename(FDir.File("out") + "/01-Song.WMA", wma);
  FSettings.SetText(sn::RipToFormat, "WAV");
  TConversionDriver driver(FSettings, FAppDir);
  ASSERT_TRUE(driver.Convert({Row(wma, "Back")}).AllCompleted());
  const std::vector<uint8_t> wav = ReadFileBytes(FDir.File("out") + "/01-Back.WAV");
  const std::string reference = RunTool("ffmpeg -v error -i " + Quote(wma) + " -f s16le -").Output;
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(Le32At(wav, 40), reference.size());
  EXPECT_TRUE(std::string(wav.begin() + 44, wav.begin() + 44 + std::min(wav.size() - 44, reference.size())) == reference);
}

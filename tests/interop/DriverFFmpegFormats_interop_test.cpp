// ALAC, WavPack and AIFF rows through the conversion driver: into FLAC and WAV they keep every
// sample ffmpeg decodes from them; a file the pipeline cannot carry fails its row saying why.

#include <gtest/gtest.h>

#include "app/ConversionDriver.h"
#include "app/RowFromFile.h"
#include "support/ContinuingObserver.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

class DriverFFmpegFormatsTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg")) {
      GTEST_SKIP() << "ffmpeg is needed";
    }
    FSettings.SetText(sn::ConvFilePath, FDir.File("out") + "/");
    FSettings.SetInteger(sn::OutputFileNameFormat, 0);
  }

  std::string Make(const std::string& name, const std::string& options) {
    const std::string file = FDir.File(name);
    EXPECT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i \"aevalsrc=0.5*sin(440*2*PI*t)|0.4*sin(660*2*PI*t):d=3:s=44100\" " +
                      options + " " + Quote(file))
                  .ExitCode,
              0);
    return file;
  }

  TBatchResult Convert(const std::string& format, const std::string& input) {
    FSettings.SetText(sn::RipToFormat, format);
    TConversionDriver driver(FSettings, BuiltBinary(""));
    TContinuingObserver observer;
    driver.SetObserver(&observer);
    return driver.Convert({ReadConversionRow(input)});
  }

  static std::string Decoded(const std::string& file) {
    return RunTool("ffmpeg -v error -i " + Quote(file) + " -f s16le -").Output;
  }

  TempDir FDir;
  TSettings FSettings;
};

}  // namespace

TEST_F(DriverFFmpegFormatsTest, LosslessInputsBecomeFlacAndWavFilesOfTheSameSamples) {
  for (const std::string& input : {Make("alac.m4a", "-c:a alac -sample_fmt s16p"),
                                   Make("song.wv", "-c:a wavpack -sample_fmt s16p"), Make("song.aiff", "-c:a pcm_s16be")}) {
    for (const std::string format : {"FLAC", "WAV"}) {
      const TBatchResult result = Convert(format, input);
      ASSERT_TRUE(result.AllCompleted()) << input << " to " << format << ": " << result.Rows.at(0).Message;
      const std::string reference = Decoded(input);
      ASSERT_EQ(reference.size(), 3u * 44100 * 4) << input;
      EXPECT_TRUE(Decoded(FDir.File("out/01." + format)) == reference) << input << " to " << format;
    }
  }
}

TEST_F(DriverFFmpegFormatsTest, ARowThePipelineCannotCarryFailsSayingWhy) {
  const std::string input = FDir.File("ten.aiff");
  ASSERT_EQ(RunTool("ffmpeg -v error -f lavfi -i \"aevalsrc=0|0|0|0|0|0|0|0|0|0:d=0.1\" -c:a pcm_s16be " + Quote(input))
                .ExitCode,
            0);
  const TBatchResult result = Convert("WAV", input);
  ASSERT_EQ(result.Rows.size(), 1u);
  EXPECT_EQ(result.Rows[0].Message, input + ": it has 10 channels; at most 8 are read");
}

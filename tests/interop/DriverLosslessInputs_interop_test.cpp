// Wide, high-rate and multichannel inputs through the conversion driver into the lossless
// outputs: every sample ffmpeg decodes from the input comes back from the output, in as many
// channels and at the same rate.

#include <gtest/gtest.h>

#include "app/ConversionDriver.h"
#include "app/RowFromFile.h"
#include "support/ContinuingObserver.h"
#include "support/ReferenceTools.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

struct TLosslessInput {
  std::string Name;
  std::string Source;   // the lavfi generator ffmpeg makes the file from
  std::string Options;  // how ffmpeg encodes it
  std::vector<std::string> Outputs;
};

// One tone per channel, so a channel delivered in another place shows.
std::string Tones(int channels, const std::string& layout, int rate) {
  std::string expressions;
  for (int c = 0; c < channels; ++c) {
    expressions += (c == 0 ? "" : "|") + std::string("0.6*sin(") + std::to_string(250 + 130 * c) + "*2*PI*t)";
  }
  return "aevalsrc=" + expressions + ":s=" + std::to_string(rate) + ":d=1" + (layout.empty() ? "" : ":c=" + layout);
}

std::string MakeInput(const TempDir& dir, const TLosslessInput& input) {
  const std::string file = dir.File(input.Name);
  EXPECT_EQ(RunTool("ffmpeg -v error -f lavfi -i \"" + input.Source + "\" " + input.Options + " " + Quote(file)).ExitCode, 0)
      << input.Name;
  return file;
}

TBatchResult ConvertInto(const std::string& file, const std::string& format, const std::string& folder) {
  TSettings settings;
  settings.SetText(sn::ConvFilePath, folder + "/");
  settings.SetInteger(sn::OutputFileNameFormat, 0);
  settings.SetText(sn::RipToFormat, format);
  TConversionDriver driver(settings, BuiltBinary(""));
  TContinuingObserver observer;
  driver.SetObserver(&observer);
  return driver.Convert({ReadConversionRow(file)});
}

// The PCM ffmpeg decodes from a file, widened to 32 bits, or as floats for a float file.
std::string Decoded(const std::string& file, bool floats) {
  return RunTool("ffmpeg -v error -i " + Quote(file) + (floats ? " -f f32le -c:a pcm_f32le -" : " -f s32le -c:a pcm_s32le -"))
      .Output;
}

}  // namespace

TEST(DriverLosslessInputs, EveryInputKeepsItsSamplesChannelsAndRateInEveryLosslessOutput) {
  if (!HaveTool("ffmpeg") || !HaveTool("ffprobe")) {
    GTEST_SKIP() << "ffmpeg and ffprobe are needed";
  }
  const std::vector<std::string> both = {"FLAC", "WAV"};
  const std::vector<std::string> all = {"FLAC", "WAV", "APE"};
  const std::vector<TLosslessInput> inputs = {
      {"surround.flac", Tones(6, "5.1", 48000), "-c:a flac", both},
      {"hires.flac", Tones(2, "", 96000), "-c:a flac -sample_fmt s32 -bits_per_raw_sample 24", all},
      {"rf64.wav", Tones(2, "", 44100), "-c:a pcm_s16le -rf64 always", all},
      {"extensible.wav", Tones(2, "", 96000), "-c:a pcm_s16le", all},  // ffmpeg's form above 48 kHz
      {"six.wav", Tones(6, "5.1", 44100), "-c:a pcm_s24le", both},
      {"float.wav", Tones(2, "", 44100), "-c:a pcm_f32le", {"WAV"}},
      {"alac.m4a", Tones(2, "", 44100), "-c:a alac -sample_fmt s32p", all},
      {"song.wv", Tones(2, "", 44100), "-c:a wavpack -sample_fmt s16p", all},
      {"song.aiff", Tones(2, "", 44100), "-c:a pcm_s24be", all},
  };
  TempDir dir;
  for (const TLosslessInput& input : inputs) {
    const std::string file = MakeInput(dir, input);
    const bool floats = input.Name == "float.wav";
    const std::string reference = Decoded(file, floats);
    ASSERT_FALSE(reference.empty()) << input.Name;
    for (const std::string& format : input.Outputs) {
      const std::string folder = dir.File(input.Name + "-" + format);
      const TBatchResult result = ConvertInto(file, format, folder);
      ASSERT_TRUE(result.AllCompleted()) << input.Name << " to " << format << ": " << result.Rows.at(0).Message;
      const std::string output = folder + "/01." + format;
      for (const std::string entry : {"stream=channels", "stream=sample_rate"}) {
        EXPECT_EQ(ProbeValue(output, entry), ProbeValue(file, entry)) << input.Name << " to " << format << ", " << entry;
      }
      EXPECT_TRUE(Decoded(output, floats) == reference) << input.Name << " to " << format;
    }
  }
}

// A copy kept as the input never loses channels: a format that holds fewer refuses the row.
TEST(DriverLosslessInputs, MoreChannelsThanTheFormatHoldsFailTheRowInsteadOfAMixDown) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is needed";
  }
  TempDir dir;
  const std::string file = MakeInput(dir, {"surround.flac", Tones(6, "5.1", 48000), "-c:a flac", {}});
  const TBatchResult result = ConvertInto(file, "APE", dir.File("out"));
  ASSERT_EQ(result.Rows.size(), 1u);
  EXPECT_FALSE(result.AllCompleted());
  EXPECT_NE(result.Rows[0].Message.find("6 channels"), std::string::npos) << result.Rows[0].Message;
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("out")));
}

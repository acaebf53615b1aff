// Inputs of every shape through the conversion driver into the lossy formats: 24-bit at 96 kHz,
// float, 5.1, AAC and Opus each become a valid file of the input's length, at a rate the encoder
// takes; stereo, but for the 5.1 input into Ogg Vorbis, which keeps each speaker's channel.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "app/RowFromFile.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

class TContinuing : public TConversionObserver {
  bool ContinueAfterFailure() const override { return true; }
};

class DriverLossyInputsTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg") || !HaveTool("ffprobe")) {
      GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    }
    FSettings.SetWmaProfiles(ListWmaProfiles(BuiltBinary("")));
    FSettings.SetText(sn::ConvFilePath, FDir.File("out") + "/");
    FSettings.SetInteger(sn::OutputFileNameFormat, 0);
  }

  // A second and a half of a tone in each of `channels` channels, encoded by ffmpeg with `options`.
  std::string Make(const std::string& name, int channels, int rate, const std::string& options) {
    std::string tones;
    for (int c = 0; c < channels; ++c) {
      // The fourth of six channels is the low-frequency one, which Vorbis keeps only in its band.
      const int frequency = channels == 6 && c == 3 ? 60 : 330 + 110 * c;
      tones += (c > 0 ? "|" : "") + std::string("0.3*sin(") + std::to_string(frequency) + "*2*PI*t)";
    }
    const std::string file = FDir.File(name);
    EXPECT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i \"aevalsrc=" + tones + ":d=1.5:s=" + std::to_string(rate) +
                      "\" " + options + " " + Quote(file))
                  .ExitCode,
              0)
        << name;
    return file;
  }

  static std::string Probe(const std::string& file, const std::string& entry) {
    std::string value = RunTool("ffprobe -v error -select_streams a:0 -show_entries " + entry +
                                " -of default=nw=1:nk=1 " + Quote(file) + " | head -n 1")
                            .Output;
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) {
      value.pop_back();
    }
    return value;
  }

  static std::vector<float> Decoded(const std::string& file) {
    const std::string bytes = RunTool("ffmpeg -v error -i " + Quote(file) + " -f f32le -").Output;
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
  }

  // Each channel as ffmpeg decodes it carries the tone of the same channel of the input.
  static void ExpectSameSpeakers(const std::string& input, const std::string& output) {
    const std::vector<float> in = Decoded(input);
    const std::vector<float> out = Decoded(output);
    const size_t frames = std::min(in.size(), out.size()) / 6;
    for (size_t c = 0; c < 6; ++c) {
      double cross = 0, inPower = 0, outPower = 0;
      for (size_t i = 0; i < frames; ++i) {
        const double a = in[6 * i + c];
        const double b = out[6 * i + c];
        cross += a * b;
        inPower += a * a;
        outPower += b * b;
      }
      EXPECT_GT(cross / std::sqrt(inPower * outPower), 0.9) << "channel " << c;
    }
  }

  TempDir FDir;
  TSettings FSettings;
};

}  // namespace

TEST_F(DriverLossyInputsTest, EveryShapeOfInputBecomesAValidStereoFileOfItsLength) {
  std::vector<std::string> inputs = {Make("hi.aiff", 2, 96000, "-c:a pcm_s24be"),
                                     Make("float.aifc", 2, 44100, "-c:a pcm_f32be"),
                                     Make("surround.wv", 6, 48000, "-c:a wavpack"),
                                     Make("song.m4a", 2, 44100, "-c:a aac -b:a 128k")};
  if (RunTool("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libopus").ExitCode == 0) {
    inputs.push_back(Make("song.opus", 2, 48000, "-c:a libopus -b:a 96k"));
  } else {
    std::cerr << "Opus input not tried: this ffmpeg has no libopus encoder\n";
  }
  for (const std::string format : {"MP3", "OGG", "WMA"}) {
    FSettings.SetText(sn::RipToFormat, format);
    for (const std::string& input : inputs) {
      TConversionDriver driver(FSettings, BuiltBinary(""));
      TContinuing observer;
      driver.SetObserver(&observer);
      const TBatchResult result = driver.Convert({ReadConversionRow(input)});
      const std::string name = input + " to " + format;
      ASSERT_TRUE(result.AllCompleted()) << name << ": " << result.Rows.at(0).Message;
      const std::string output = FDir.File("out/01." + format);
      const bool surround = format == "OGG" && input.ends_with("surround.wv");
      EXPECT_EQ(Probe(output, "stream=channels"), surround ? "6" : "2") << name;
      if (surround) {
        ExpectSameSpeakers(input, output);
      }
      if (format == "MP3") {
        EXPECT_LE(std::stoi(Probe(output, "stream=sample_rate")), 48000) << name;
      }
      const double length = std::stod(Probe(output, "format=duration"));
      EXPECT_NEAR(length, std::stod(Probe(input, "format=duration")), 0.05) << name;
      std::filesystem::remove(output);
    }
  }
}

// The format stages against independent tools: the downmix equals ffmpeg's own, the dithered
// narrowing stays within a step of sox's plain rounding, and the resampler agrees with sox's
// very-high-quality rate change.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "pipeline/ChannelMixer.h"
#include "pipeline/Resampler.h"
#include "pipeline/SampleFormatConverter.h"
#include "support/FakeComponents.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> RunStage(TPcmStage& stage, std::vector<uint8_t> bytes, const TPcmFormat& format) {
  TMemorySource source(std::move(bytes), format);
  stage.SetInput(&source);
  stage.Init();
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(65536);
  while (const int32_t n = stage.GetData(buffer)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  stage.Flush();
  stage.SetInput(nullptr);
  return out;
}

template <typename T>
std::vector<T> As(const std::string& bytes) {
  std::vector<T> values(bytes.size() / sizeof(T));
  std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
  return values;
}

template <typename T>
std::vector<T> As(const std::vector<uint8_t>& bytes) {
  return As<T>(std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class StagesInteropTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg") || !HaveTool("sox")) {
      GTEST_SKIP() << "ffmpeg and sox are needed";
    }
  }

  // Half a second of a different sine in each channel, as raw samples of `codec` (s16le, f32le, ...).
  std::string Tones(int channels, int rate, const std::string& codec, double level = 0.9) const {
    std::string expression;
    for (int c = 0; c < channels; ++c) {
      expression += (c > 0 ? "|" : "") + std::to_string(level) + "*sin(" + std::to_string(300 + 200 * c) + "*2*PI*t)";
    }
    return RunTool("ffmpeg -v error -f lavfi -i \"aevalsrc=" + expression + ":d=0.5:s=" + std::to_string(rate) +
                   "\" -f " + codec + " -")
        .Output;
  }

  TempDir FDir;
};

}  // namespace

TEST_F(StagesInteropTest, TheDownmixOfEveryLayoutEqualsFFmpegsWithinOneStepOf24Bits) {
  const std::vector<std::pair<std::string, uint32_t>> layouts = {
      {"3.0", 0x7}, {"quad", 0x33}, {"5.0", 0x607}, {"5.1", 0x60F}, {"6.1", 0x70F}, {"7.1", 0x63F}};
  for (const auto& [name, mask] : layouts) {
    const int channels = std::popcount(mask);
    const std::string input = FDir.File(name + ".f32");
    WriteFileBytes(input, Bytes(Tones(channels, 48000, "f32le")));
    const std::string reference = RunTool("ffmpeg -v error -f f32le -ar 48000 -ch_layout " + name + " -i " +
                                          Quote(input) + " -ac 2 -f s32le -")
                                      .Output;
    TChannelMixer mixer;
    const auto mixed = As<float>(RunStage(mixer, ReadFileBytes(input), TPcmFormat{32, TSampleKind::skFloat, channels, 48000, mask}));
    const auto expected = As<int32_t>(reference);
    ASSERT_EQ(mixed.size(), expected.size()) << name;
    double worst = 0;
    for (size_t i = 0; i < mixed.size(); ++i) {
      worst = std::max(worst, std::fabs(mixed[i] * 8388608.0 - expected[i] / 256.0));
    }
    EXPECT_LE(worst, 1.0) << name << " differs by " << worst << " steps of 24 bits";
  }
}

TEST_F(StagesInteropTest, DitheredSixteenBitsStayWithinAStepOfSoxsRounding) {
  const std::string input = FDir.File("tones.s24");
  WriteFileBytes(input, Bytes(Tones(2, 96000, "s24le")));
  const auto reference = As<int16_t>(
      RunTool("sox -t raw -e signed -b 24 -c 2 -r 96000 " + Quote(input) + " -t raw -e signed -b 16 -D -").Output);
  TSampleFormatConverter narrow;
  narrow.SetTarget(16, TSampleKind::skInteger);
  const auto out = As<int16_t>(RunStage(narrow, ReadFileBytes(input), TPcmFormat{24, TSampleKind::skInteger, 2, 96000, 0}));
  ASSERT_EQ(out.size(), reference.size());
  double bias = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    ASSERT_LE(std::abs(out[i] - reference[i]), 1) << "sample " << i;
    bias += out[i] - reference[i];
  }
  EXPECT_LT(std::fabs(bias / static_cast<double>(out.size())), 0.02);
}

TEST_F(StagesInteropTest, ResamplingAgreesWithSoxsVeryHighQualityRateChange) {
  for (const auto& [from, to] : {std::pair{96000, 48000}, std::pair{44100, 48000}, std::pair{192000, 44100}}) {
    const std::string input = FDir.File("tones.f32");
    WriteFileBytes(input, Bytes(Tones(2, from, "f32le", 0.5)));
    const auto reference = As<float>(RunTool("sox -t raw -e floating-point -b 32 -c 2 -r " + std::to_string(from) + " " +
                                             Quote(input) + " -t raw -e floating-point -b 32 - rate -v " +
                                             std::to_string(to))
                                         .Output);
    TResampler resampler;
    resampler.SetTargetRate(to);
    const auto out = As<float>(RunStage(resampler, ReadFileBytes(input), TPcmFormat{32, TSampleKind::skFloat, 2, from, 0}));
    const std::string name = std::to_string(from) + " to " + std::to_string(to);
    ASSERT_NEAR(static_cast<double>(out.size()), static_cast<double>(reference.size()), 2.0) << name;
    double worst = 0;
    // The very start and end are the filters' own ramps.
    for (size_t i = 400; i + 400 < std::min(out.size(), reference.size()); ++i) {
      worst = std::max(worst, static_cast<double>(std::fabs(out[i] - reference[i])));
    }
    EXPECT_LT(worst, 1e-3) << name;
  }
}

#include <gtest/gtest.h>

#include <cmath>

#include "app/StageChain.h"
#include "support/FakeComponents.h"

using testing_support::TMemorySource;

namespace {

constexpr TSampleKind Int = TSampleKind::skInteger;
constexpr TSampleKind Float = TSampleKind::skFloat;

std::vector<uint8_t> Drain(TACSInput& stage) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(10000);
  while (const int32_t n = stage.GetData(buffer)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  return out;
}

// A second of a quiet sine in every channel, in the format given.
std::vector<uint8_t> Sine(const TPcmFormat& format) {
  std::vector<uint8_t> bytes;
  for (int32_t i = 0; i < format.SampleRate; ++i) {
    for (int32_t c = 0; c < format.Channels; ++c) {
      const double value = 0.25 * std::sin(2 * M_PI * 440.0 * (c + 1) * i / format.SampleRate);
      if (format.Kind == Float) {
        const auto sample = static_cast<float>(value);
        const auto* raw = reinterpret_cast<const uint8_t*>(&sample);
        bytes.insert(bytes.end(), raw, raw + 4);
      } else {
        const auto sample = static_cast<int64_t>(std::lround(std::ldexp(value, format.BitsPerSample - 1)));
        for (int32_t b = 0; b < format.BytesPerSample(); ++b) {
          bytes.push_back(static_cast<uint8_t>((format.BitsPerSample == 8 ? sample + 128 : sample) >> (8 * b)));
        }
      }
    }
  }
  return bytes;
}

const TPcmFormat CdStereo{16, Int, 2, 44100, 0};

}  // namespace

TEST(StageChain, ClassicInputsGoThroughExactlyTheClassicStages) {
  TStageChain chain;
  for (const auto& [bits, channels] : {std::pair{16, 2}, std::pair{16, 1}, std::pair{8, 2}, std::pair{8, 1}}) {
    const TPcmFormat offered{bits, Int, channels, 22050, 0};
    TMemorySource source({}, offered);
    TACSInput& head = chain.Build(source, offered, TPcmFormat{16, Int, 2, 22050, 0});
    TACSInput* expected = &source;
    if (bits == 8) {
      auto* widen = dynamic_cast<TSampleConverter*>(channels == 1 ? dynamic_cast<TMSConverter&>(head).Input() : &head);
      ASSERT_NE(widen, nullptr) << bits << "-bit, " << channels << " channel(s)";
      EXPECT_EQ(widen->Input(), &source);
      expected = widen;
    }
    if (channels == 1) {
      auto* both = dynamic_cast<TMSConverter*>(&head);
      ASSERT_NE(both, nullptr) << bits << "-bit mono";
      EXPECT_EQ(both->Mode(), msmMonoToBoth);
      EXPECT_EQ(both->Input(), expected);
    } else {
      EXPECT_EQ(&head, expected) << bits << "-bit stereo";
    }
  }
}

TEST(StageChain, EveryOfferedFormatArrivesAsTheAcceptedOne) {
  const std::vector<std::pair<TPcmFormat, TPcmFormat>> cases = {
      {{24, Int, 6, 96000, 0}, {16, Int, 2, 48000, 0}}, {{32, Float, 1, 44100, 0}, CdStereo},
      {{32, Int, 2, 44100, 0}, CdStereo},               {{16, Int, 2, 96000, 0}, {16, Int, 2, 48000, 0}},
      {{8, Int, 1, 6000, 0}, {16, Int, 2, 8000, 0}},    {{32, Float, 6, 48000, 0}, {24, Int, 6, 48000, 0}},
      {{24, Int, 8, 44100, 0}, CdStereo},
  };
  TStageChain chain;
  for (const auto& [offered, accepted] : cases) {
    TMemorySource source(Sine(offered), offered);
    TACSInput& head = chain.Build(source, offered, accepted);
    const std::string name = std::to_string(offered.BitsPerSample) + "-bit " + std::to_string(offered.Channels) +
                             " ch " + std::to_string(offered.SampleRate) + " Hz";
    head.Init();
    EXPECT_EQ(head.GetFormat().Channels, accepted.Channels) << name;
    EXPECT_EQ(head.GetBitsPerSample(), accepted.BitsPerSample) << name;
    EXPECT_EQ(head.GetSampleRate(), accepted.SampleRate) << name;
    const int64_t frames = static_cast<int64_t>(Drain(head).size()) / accepted.BytesPerFrame();
    EXPECT_NEAR(static_cast<double>(frames), accepted.SampleRate, 1.0) << name << ": one second in, one out";
    EXPECT_EQ(head.Size(), accepted.SampleRate * static_cast<int64_t>(accepted.BytesPerFrame())) << name;
    head.Flush();
    EXPECT_FALSE(source.Busy()) << name;
  }
}

TEST(StageChain, AShapeTheStagesCannotMakeIsRefusedNamingBoth) {
  const TPcmFormat offered{24, Int, 6, 48000, 0};
  TMemorySource source({}, offered);
  TStageChain chain;
  try {
    chain.Build(source, offered, TPcmFormat{16, Int, 1, 48000, 0});
    FAIL() << "six channels to mono has no stage";
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(),
                 "Cannot convert 24-bit integer in 6 channel(s) at 48000 Hz to 16-bit integer in 1 channel(s) at 48000 Hz");
  }
}

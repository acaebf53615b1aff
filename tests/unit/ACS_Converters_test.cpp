#include <gtest/gtest.h>

#include "pipeline/ACS_Converters.h"
#include "support/FakeComponents.h"
#include "support/TestSupport.h"

using testing_support::AppendLe16;
using testing_support::BytesToSamples;
using testing_support::TMemorySource;

namespace {

std::vector<uint8_t> Samples16(std::initializer_list<int16_t> values) {
  std::vector<uint8_t> bytes;
  for (int16_t v : values) {
    AppendLe16(bytes, static_cast<uint16_t>(v));
  }
  return bytes;
}

// Everything a stage delivers until it returns 0.
std::vector<uint8_t> Drain(TACSInput& stage, size_t request = 1000) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(request);
  while (const int32_t n = stage.GetData(buffer)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  return out;
}

TEST(SampleArithmetic, WideningAndNarrowingUseTheZeroLine) {
  std::vector<uint8_t> buffer = {0, 128, 255, 0, 0, 0};
  SampleArithmetic::Widen8To16(buffer.data(), 3);
  EXPECT_EQ(BytesToSamples(buffer), (std::vector<int16_t>{-32768, 0, 32512}));

  std::vector<uint8_t> wide = Samples16({-32768, 0, 32767, -1});
  SampleArithmetic::Narrow16To8(wide.data(), 4);
  EXPECT_EQ(std::vector<uint8_t>(wide.begin(), wide.begin() + 4), (std::vector<uint8_t>{0, 128, 255, 127}));
}

TEST(SampleArithmetic, StereoMixTruncatesTowardZero) {
  std::vector<uint8_t> buffer = Samples16({3, 4, -3, -4, 32767, 32767, -32768, -32768});
  SampleArithmetic::StereoToMono(buffer.data(), 4);
  buffer.resize(8);
  EXPECT_EQ(BytesToSamples(buffer), (std::vector<int16_t>{3, -3, 32767, -32768}));
}

TEST(SampleArithmetic, MonoIsPlacedByMode) {
  for (auto [mode, left, right] : {std::tuple{msmMonoToBoth, 1000, 1000}, std::tuple{msmMonoToLeft, 0, 1000},
                                   std::tuple{msmMonoToRight, 1000, 0}}) {
    std::vector<uint8_t> buffer = Samples16({1000, -5, 0, 0});
    SampleArithmetic::MonoToStereo(buffer.data(), 2, mode);
    EXPECT_EQ(BytesToSamples(buffer), (std::vector<int16_t>{static_cast<int16_t>(left), static_cast<int16_t>(right),
                                                            static_cast<int16_t>(mode == msmMonoToLeft ? 0 : -5),
                                                            static_cast<int16_t>(mode == msmMonoToRight ? 0 : -5)}))
        << "mode " << mode;
  }
}

TEST(SampleConverter, WidensAWholeStreamAndReportsTheNewFormat) {
  std::vector<uint8_t> input(50001);
  for (size_t i = 0; i < input.size(); ++i) {
    input[i] = static_cast<uint8_t>(i);
  }
  TMemorySource source(input, 8, 1, 22050);
  source.MaxPerCall = 100;
  TSampleConverter stage;
  stage.SetInput(&source);
  EXPECT_EQ(stage.GetBitsPerSample(), 16);
  EXPECT_EQ(stage.GetChannels(), 1);
  EXPECT_EQ(stage.GetSampleRate(), 22050);
  EXPECT_EQ(stage.GetTotalTime(), 0);
  stage.Init();
  EXPECT_EQ(stage.Size(), 100002);
  const auto out = BytesToSamples(Drain(stage, 777));
  ASSERT_EQ(out.size(), input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    ASSERT_EQ(out[i], input[i] * 256 - 32768) << "sample " << i;
  }
  EXPECT_EQ(stage.Position(), stage.Size());
  stage.Flush();
  EXPECT_FALSE(source.Busy());
}

TEST(SampleConverter, NarrowsSixteenBits) {
  TMemorySource source(Samples16({-32768, 0, 32767, -1}), 16, 2, 44100);
  TSampleConverter stage;
  stage.SetInput(&source);
  EXPECT_EQ(stage.GetBitsPerSample(), 8);
  stage.Init();
  EXPECT_EQ(stage.Size(), 4);
  EXPECT_EQ(Drain(stage), (std::vector<uint8_t>{0, 128, 255, 127}));
}

TEST(SampleConverter, FillsAWholePieceFromASlowInputBeforePassingAnything) {
  TMemorySource source(std::vector<uint8_t>(40000, 128), 8, 1, 8000);
  source.MaxPerCall = 100;
  TSampleConverter stage;
  stage.SetInput(&source);
  stage.Init();
  std::vector<uint8_t> buffer(65536);
  EXPECT_EQ(stage.GetData(buffer), 32768);
  EXPECT_EQ(source.GetDataCalls, 164);
}

TEST(MSConverter, SizesFollowTheDirection) {
  TMemorySource mono(std::vector<uint8_t>(1000), 16, 1, 44100);
  TMSConverter stage;
  stage.SetInput(&mono);
  EXPECT_EQ(stage.GetChannels(), 2);
  stage.Init();
  EXPECT_EQ(stage.Size(), 2000);
  EXPECT_EQ(Drain(stage).size(), 2000u);
  stage.Flush();

  TMemorySource stereo(std::vector<uint8_t>(1001), 16, 2, 44100);
  stage.SetInput(&stereo);
  EXPECT_EQ(stage.GetChannels(), 1);
  stage.Init();
  EXPECT_EQ(stage.Size(), 500);
  stage.Flush();

  TMemorySource unknown(std::vector<uint8_t>(10), 16, 2, 44100);
  unknown.AnnouncedSize = -1;
  stage.SetInput(&unknown);
  stage.Init();
  EXPECT_EQ(stage.Size(), 0x7FFFFFFF);
  stage.Flush();
  TMemorySource unknownMono(std::vector<uint8_t>(10), 16, 1, 44100);
  unknownMono.AnnouncedSize = -1;
  stage.SetInput(&unknownMono);
  stage.Init();
  EXPECT_EQ(stage.Size(), -2);
  EXPECT_EQ(Drain(stage).size(), 20u) << "an unknown size must not break the delivery";
}

TEST(MSConverter, SizesBeyond2GiBDoNotWrap) {
  TMemorySource mono(std::vector<uint8_t>(10), 16, 1, 44100);
  mono.AnnouncedSize = int64_t{3} << 30;
  TMSConverter stage;
  stage.SetInput(&mono);
  stage.Init();
  EXPECT_EQ(stage.Size(), int64_t{6} << 30);
  stage.Flush();
  TMemorySource stereo(std::vector<uint8_t>(10), 16, 2, 44100);
  stereo.AnnouncedSize = int64_t{5} << 30;
  stage.SetInput(&stereo);
  stage.Init();
  EXPECT_EQ(stage.Size(), int64_t{5} << 29);
  stage.Flush();
}

TEST(Stages, ReportTheFormatTheyDeliver) {
  TMemorySource source(std::vector<uint8_t>(10), 8, 1, 22050);
  EXPECT_EQ(source.GetFormat(), (TPcmFormat{8, TSampleKind::skInteger, 1, 22050, 0}));
  TSampleConverter widen;
  widen.SetInput(&source);
  EXPECT_EQ(widen.GetFormat(), (TPcmFormat{16, TSampleKind::skInteger, 1, 22050, 0}));
  TMSConverter stereo;
  stereo.SetInput(&widen);
  EXPECT_EQ(stereo.GetFormat(), (TPcmFormat{16, TSampleKind::skInteger, 2, 22050, 0}));
}

TEST(MSConverter, AfterTheEndTheInputIsNotAskedAgain) {
  TMemorySource source(Samples16({1, 2, 3}), 16, 1, 44100);
  TMSConverter stage;
  stage.SetInput(&source);
  stage.Init();
  EXPECT_EQ(BytesToSamples(Drain(stage)), (std::vector<int16_t>{1, 1, 2, 2, 3, 3}));
  const int calls = source.GetDataCalls;
  std::vector<uint8_t> buffer(16);
  EXPECT_EQ(stage.GetData(buffer), 0);
  EXPECT_EQ(source.GetDataCalls, calls);
}

TEST(Converters, FailWithoutInputAndBeforeInit) {
  TMSConverter stage;
  EXPECT_EQ(stage.GetBitsPerSample(), 16);
  try {
    stage.GetChannels();
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "Input not assigned");
  }
  TSampleConverter sample;
  EXPECT_THROW(sample.GetBitsPerSample(), EACSException);
  EXPECT_THROW(sample.Init(), EACSException);
  TMemorySource source(Samples16({1}), 16, 1, 44100);
  sample.SetInput(&source);
  std::vector<uint8_t> buffer(4);
  try {
    sample.GetData(buffer);
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "The Stream is not opened");
  }
}

TEST(Converters, StageIgnoresItselfAsInputAndDropsADestroyedOne) {
  TMSConverter stage;
  stage.SetInput(&stage);
  EXPECT_EQ(stage.Input(), nullptr);
  auto source = std::make_unique<TMemorySource>(Samples16({1}), 16, 1, 44100);
  stage.SetInput(source.get());
  source.reset();
  EXPECT_EQ(stage.Input(), nullptr);
}

TEST(Converters, ChainedStagesTurnEightBitMonoIntoSixteenBitStereo) {
  TMemorySource source({0, 128, 255}, 8, 1, 11025);
  TSampleConverter widen;
  widen.SetInput(&source);
  TMSConverter spread;
  spread.SetInput(&widen);
  EXPECT_EQ(spread.GetChannels(), 2);
  spread.Init();
  EXPECT_EQ(spread.Size(), 12);
  EXPECT_EQ(BytesToSamples(Drain(spread)), (std::vector<int16_t>{-32768, -32768, 0, 0, 32512, 32512}));
  EXPECT_EQ(spread.Position(), 12);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "pipeline/ACS_Converters.h"
#include "pipeline/SampleFormatConverter.h"
#include "support/FakeComponents.h"
#include "support/TestSupport.h"

using testing_support::BytesToSamples;
using testing_support::TMemorySource;

namespace {

std::vector<uint8_t> Convert(std::vector<uint8_t> bytes, const TPcmFormat& format, int32_t bits, TSampleKind kind) {
  TMemorySource source(std::move(bytes), format);
  source.MaxPerCall = 1001;  // pieces that split samples
  TSampleFormatConverter stage;
  stage.SetTarget(bits, kind);
  stage.SetInput(&source);
  stage.Init();
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(777);
  while (const int32_t n = stage.GetData(buffer)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  stage.Flush();
  return out;
}

std::vector<uint8_t> Floats(std::initializer_list<float> values) {
  std::vector<uint8_t> bytes(values.size() * 4);
  std::memcpy(bytes.data(), std::data(values), bytes.size());
  return bytes;
}

int32_t Load24(const uint8_t* at) {
  return static_cast<int32_t>(static_cast<uint32_t>(at[0] << 8 | at[1] << 16 | at[2] << 24)) >> 8;
}

}  // namespace

TEST(SampleFormatConverter, FloatPastFullScaleClipsInsteadOfWrappingAndNaNIsSilence) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto out = BytesToSamples(Convert(Floats({4.0f, -4.0f, 1.0f, -1.0f, nan, 0.5f, 1e30f, -1e30f}),
                                          TPcmFormat{32, TSampleKind::skFloat, 2, 44100, 0}, 16, TSampleKind::skInteger));
  ASSERT_EQ(out.size(), 8u);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32768);
  EXPECT_GE(out[2], 32766);
  EXPECT_LE(out[3], -32767);
  EXPECT_LE(std::abs(out[4]), 1);
  EXPECT_LE(std::abs(out[5] - 16384), 1);
  EXPECT_EQ(out[6], 32767);
  EXPECT_EQ(out[7], -32768);
}

TEST(SampleFormatConverter, NarrowingIsDitheredWithinOneStepWithoutBiasAndTheSameEveryRun) {
  std::vector<uint8_t> ramp;
  std::vector<int32_t> values;
  for (int32_t i = 0; i < 60000; ++i) {
    const int32_t v = (i * 2731) % (1 << 23) - (1 << 22);
    values.push_back(v);
    ramp.push_back(static_cast<uint8_t>(v));
    ramp.push_back(static_cast<uint8_t>(v >> 8));
    ramp.push_back(static_cast<uint8_t>(v >> 16));
  }
  const TPcmFormat format{24, TSampleKind::skInteger, 2, 96000, 0};
  const auto first = Convert(ramp, format, 16, TSampleKind::skInteger);
  EXPECT_EQ(first, Convert(ramp, format, 16, TSampleKind::skInteger));
  const auto out = BytesToSamples(first);
  ASSERT_EQ(out.size(), values.size());
  double error = 0;
  int32_t changed = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double exact = values[i] / 256.0;
    ASSERT_LE(std::fabs(out[i] - exact), 1.5) << "sample " << i;
    error += out[i] - exact;
    changed += out[i] != std::lround(exact) ? 1 : 0;
  }
  EXPECT_LT(std::fabs(error / static_cast<double>(out.size())), 0.02);
  EXPECT_GT(changed, 10000) << "no dither";
}

TEST(SampleFormatConverter, WideningIsExact) {
  const std::vector<int16_t> values = {-32768, -1, 0, 1, 12345, 32767};
  std::vector<uint8_t> bytes;
  for (int16_t v : values) {
    testing_support::AppendLe16(bytes, static_cast<uint16_t>(v));
  }
  const TPcmFormat cd{16, TSampleKind::skInteger, 2, 44100, 0};
  const auto wide = Convert(bytes, cd, 24, TSampleKind::skInteger);
  const auto floats = Convert(bytes, cd, 32, TSampleKind::skFloat);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(Load24(wide.data() + 3 * i), values[i] * 256);
    float f = 0;
    std::memcpy(&f, floats.data() + 4 * i, 4);
    EXPECT_EQ(f, values[i] / 32768.0f);
  }
  std::vector<uint8_t> eight = {0, 1, 127, 128, 200, 255};
  std::vector<uint8_t> classic = eight;
  classic.resize(12);
  SampleArithmetic::Widen8To16(classic.data(), 6);
  EXPECT_EQ(Convert(eight, TPcmFormat{8, TSampleKind::skInteger, 1, 8000, 0}, 16, TSampleKind::skInteger), classic);
}

#include <gtest/gtest.h>

#include <cmath>

#include "pipeline/ChannelMixer.h"

TEST(ChannelMixer, NoLayoutCanClipAndTheLowFrequencyChannelIsLeftOut) {
  for (int32_t channels = 3; channels <= 8; ++channels) {
    const uint32_t mask = DefaultChannelMask(channels);
    const TChannelMixer::TMix mix = TChannelMixer::MixFor(channels, mask);
    int32_t channel = 0;
    for (uint32_t bit = 1; channel < channels; bit <<= 1) {
      if ((mask & bit) == 0) {
        continue;
      }
      const auto c = static_cast<size_t>(channel++);
      if (bit == SPEAKER_LOW_FREQUENCY) {
        EXPECT_EQ(mix[0][c] + mix[1][c], 0.0f) << channels << " channels";
      }
      if (bit == SPEAKER_FRONT_LEFT) {
        EXPECT_EQ(mix[1][c], 0.0f) << "front left in the right side, " << channels << " channels";
      }
    }
    for (const auto& side : mix) {
      float sum = 0;
      for (float coefficient : side) {
        sum += std::fabs(coefficient);
      }
      EXPECT_NEAR(sum, 1.0f, 1e-6f) << channels << " channels";
    }
  }
  const TChannelMixer::TMix mono = TChannelMixer::MixFor(1, 0);
  EXPECT_EQ(mono[0][0], 1.0f);
  EXPECT_EQ(mono[1][0], 1.0f);
}

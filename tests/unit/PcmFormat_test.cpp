#include <gtest/gtest.h>

#include "pipeline/PcmFormat.h"

TEST(PcmFormat, FrameSizesFollowWidthAndChannels) {
  EXPECT_EQ(TPcmFormat{}.BytesPerFrame(), 4);
  const TPcmFormat packed24{24, TSampleKind::skInteger, 6, 48000, 0};
  EXPECT_EQ(packed24.BytesPerSample(), 3);
  EXPECT_EQ(packed24.BytesPerFrame(), 18);
  const TPcmFormat float32{32, TSampleKind::skFloat, 1, 96000, 0};
  EXPECT_EQ(float32.BytesPerFrame(), 4);
  EXPECT_EQ(TPcmFormat{}, (TPcmFormat{16, TSampleKind::skInteger, 2, 44100, 0}));
  EXPECT_NE(float32, (TPcmFormat{32, TSampleKind::skInteger, 1, 96000, 0}));
}

TEST(PcmFormat, DefaultMasksAreTheExtensibleOnes) {
  const uint32_t expected[] = {0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x70F, 0x63F};
  for (int32_t channels = 1; channels <= 8; ++channels) {
    EXPECT_EQ(DefaultChannelMask(channels), expected[channels - 1]) << channels;
  }
  EXPECT_EQ(DefaultChannelMask(0), 0u);
  EXPECT_EQ(DefaultChannelMask(9), 0u);
}

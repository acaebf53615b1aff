#include "formats/wave/AdpcmCodec.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestSupport.h"

namespace {

TEST(DviCodec, SilentBlockWithZeroCodesStaysAtZero) {
  TDviChannelState state;
  const std::vector<uint8_t> data(8, 0);
  std::vector<int16_t> out(17, 99);
  ASSERT_EQ(DecodeDviMono(state, data, out), 17);
  for (int16_t sample : out) {
    EXPECT_EQ(sample, 0);
  }
  EXPECT_EQ(state.StepIndex, 0);
}

TEST(DviCodec, ClampsAtPlusAndMinus32767NotMinus32768) {
  TDviChannelState up{32000, 88};
  EXPECT_EQ(DviDecodeSample(up, 7), 32767);
  EXPECT_EQ(up.StepIndex, 88);
  TDviChannelState down{-32000, 88};
  EXPECT_EQ(DviDecodeSample(down, 15), -32767);
}

TEST(DviCodec, StepIsTruncatedAtEachShift) {
  // Step 7: 7 shr 3 = 0, 7 shr 1 = 3, 7 shr 2 = 1; code 7 adds 0 + 7 + 3 + 1.
  TDviChannelState state;
  EXPECT_EQ(DviDecodeSample(state, 7), 11);
  EXPECT_EQ(state.StepIndex, 8);
}

TEST(DviCodec, EncoderPicksCodesAsTheDecoderReadsThem) {
  TDviChannelState same{1234, 20};
  EXPECT_EQ(DviEncodeSample(same, 1234), 0);
  TDviChannelState below{0, 0};
  EXPECT_EQ(DviEncodeSample(below, -100), 15);
  EXPECT_EQ(below.Predictor, -11);
}

TEST(DviCodec, HeaderStepIndexAbove88IsClamped) {
  TDviChannelState state{0, 200};
  const std::vector<uint8_t> data(2, 0x77);
  std::vector<int16_t> out(5);
  DecodeDviMono(state, data, out);
  EXPECT_EQ(out[1], 32767);
  EXPECT_LE(state.StepIndex, 88);
}

TEST(DviCodec, StereoGroupsHoldEightLeftCodesThenEightRight) {
  // Left codes all 4 (one step up), right codes all 12 (one step down).
  TDviChannelState left, right;
  const std::vector<uint8_t> data = {0x44, 0x44, 0x44, 0x44, 0xCC, 0xCC, 0xCC, 0xCC};
  std::vector<int16_t> out(18);
  ASSERT_EQ(DecodeDviStereo(left, right, data, 8, out), 9);
  for (int frame = 1; frame < 9; ++frame) {
    EXPECT_GT(out[2 * frame], out[2 * frame - 2]) << frame;
    EXPECT_LT(out[2 * frame + 1], out[2 * frame - 1]) << frame;
  }
}

TEST(DviCodec, StereoDecodesOnlyWholeGroups) {
  TDviChannelState left, right;
  const std::vector<uint8_t> data(12, 0x11);
  std::vector<int16_t> out(18);
  EXPECT_EQ(DecodeDviStereo(left, right, data, 12, out), 9);
}

// Encodes a block and decodes it; the decoder must return the encoder's own reconstruction,
// which is followed here sample by sample with a copy of the encoder's state.
void ExpectRoundTrip(int channels, int blockAlign) {
  const int perBlock = channels == 1 ? DviMonoSamplesPerBlock(blockAlign) : DviStereoSamplesPerBlock(blockAlign);
  const std::vector<int16_t> pcm = testing_support::MakeSine16(perBlock, channels, 44100, 3000.0);
  TDviChannelState encoder[2] = {{pcm[0], 30}, {channels == 2 ? pcm[1] : int16_t{0}, 50}};
  TDviChannelState follower[2] = {encoder[0], encoder[1]};
  std::vector<int16_t> expected(pcm.begin(), pcm.begin() + channels);
  for (size_t i = static_cast<size_t>(channels); i < pcm.size(); ++i) {
    TDviChannelState& state = follower[i % channels];
    DviEncodeSample(state, pcm[i]);
    expected.push_back(state.Predictor);
  }
  std::vector<uint8_t> block(static_cast<size_t>(blockAlign));
  const std::span<const int16_t> rest(pcm.data() + channels, pcm.size() - channels);
  if (channels == 1) {
    EncodeDviMono(encoder[0], rest, block);
  } else {
    EncodeDviStereo(encoder[0], encoder[1], rest, block);
  }
  TDviChannelState decoder[2];
  for (int c = 0; c < channels; ++c) {
    decoder[c].Predictor = static_cast<int16_t>(block[4 * c] | (block[4 * c + 1] << 8));
    decoder[c].StepIndex = block[4 * c + 2];
  }
  EXPECT_EQ(decoder[0].StepIndex, 30);
  std::vector<int16_t> decoded(pcm.size());
  const std::span<const uint8_t> data(block.data() + 4 * channels, block.size() - 4 * channels);
  if (channels == 1) {
    DecodeDviMono(decoder[0], data, decoded);
  } else {
    DecodeDviStereo(decoder[0], decoder[1], data, blockAlign - 8, decoded);
  }
  EXPECT_EQ(decoded, expected);
  for (int c = 0; c < channels; ++c) {
    EXPECT_EQ(decoder[c].StepIndex, encoder[c].StepIndex);
    EXPECT_EQ(decoder[c].Predictor, encoder[c].Predictor);
  }
}

TEST(DviCodec, MonoBlockRoundTripsToTheEncodersReconstruction) { ExpectRoundTrip(1, 256); }
TEST(DviCodec, StereoBlockRoundTripsToTheEncodersReconstruction) { ExpectRoundTrip(2, 512); }

TEST(MsCodec, DeltaNeverFallsBelow16) {
  const std::vector<TMsCoefPair> coefs = {{256, 0}};
  TMsChannelState state{0, 16, 1000, 0};
  const std::vector<uint8_t> data = {0x10};  // high nibble first: code 1, then code 0
  std::vector<int16_t> out(4);
  ASSERT_EQ(DecodeMsMono(state, coefs, data, 2, out), 4);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 1000);
  EXPECT_EQ(out[2], 1016);
  EXPECT_EQ(state.Delta, 16);
}

TEST(MsCodec, PredictionDividesTowardZero) {
  const std::vector<TMsCoefPair> coefs = {{460, -208}};
  TMsChannelState state{0, 16, -1, 0};
  const std::vector<uint8_t> data = {0x00};
  std::vector<int16_t> out(4);
  DecodeMsMono(state, coefs, data, 2, out);
  EXPECT_EQ(out[2], -1);  // -460 / 256 is -1, not the floor -2
}

TEST(MsCodec, LargestProductsDoNotOverflowAndAreClamped) {
  const std::vector<TMsCoefPair> coefs = {{-32768, -32768}};
  TMsChannelState state{0, 16, -32768, -32768};
  const std::vector<uint8_t> data = {0x00};
  std::vector<int16_t> out(4);
  DecodeMsMono(state, coefs, data, 2, out);
  EXPECT_EQ(out[2], 32767);
}

TEST(MsCodec, PredictorIndexOutsideTheTableUsesItsLastPair) {
  const std::vector<TMsCoefPair> coefs = {{0, 0}, {256, 0}};
  TMsChannelState state{200, 16, 500, 0};
  const std::vector<uint8_t> data = {0x00};
  std::vector<int16_t> out(4);
  DecodeMsMono(state, coefs, data, 2, out);
  EXPECT_EQ(out[2], 500);
}

TEST(MsCodec, StereoBytesHoldLeftInTheHighNibble) {
  const std::vector<TMsCoefPair> coefs = {{256, 0}};
  TMsChannelState left{0, 16, 100, 0}, right{0, 16, 100, 0};
  const std::vector<uint8_t> data = {0x1F};  // left +1 x delta, right -1 x delta
  std::vector<int16_t> out(6);
  ASSERT_EQ(DecodeMsStereo(left, right, coefs, data, 1, out), 3);
  EXPECT_EQ(out[4], 116);
  EXPECT_EQ(out[5], 84);
}

TEST(MsCodec, DeltaIsKeptAsSixteenBits) {
  const std::vector<TMsCoefPair> coefs = {{0, 0}};
  TMsChannelState state{0, 30000, 0, 0};
  const std::vector<uint8_t> data = {0x80};  // code 8 adapts by 768 / 256: 90000 wraps to 24464
  std::vector<int16_t> out(4);
  DecodeMsMono(state, coefs, data, 2, out);
  EXPECT_EQ(out[2], -32768);
  EXPECT_EQ(state.Delta, static_cast<int16_t>(90000 & 0xFFFF) * 230 / 256);
}

}  // namespace

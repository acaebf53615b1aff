#pragma once

// The stage that mixes float frames of 1 or 3 to 8 channels down to stereo. Mono feeds both
// sides; more channels mix by ITU-R BS.775: front left and right at full level, the centre and
// the surrounds at -3 dB (a back centre at -3 dB into each surround, so -6 dB into each side),
// the low-frequency channel left out. The speakers come from the channel mask. The result is
// scaled down by the largest sum of a side's coefficients, so full-scale input cannot clip.

#include <array>

#include "pipeline/PcmStage.h"

class TChannelMixer : public TPcmStage {
public:
  static constexpr int32_t MaxChannels = 8;
  // Coefficients per input channel for the left and the right output.
  using TMix = std::array<std::array<float, MaxChannels>, 2>;

  // The mix for `channels` channels of `mask` (0: the usual speakers for the count), normalised.
  static TMix MixFor(int32_t channels, uint32_t mask);

protected:
  TPcmFormat OutputFormat(const TPcmFormat& input) const override;
  void Start(const TPcmFormat& input, const TPcmFormat& output) override;
  void Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) override;

private:
  TMix FMix{};
};

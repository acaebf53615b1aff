#include "pipeline/ChannelMixer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr float MinusThreeDb = static_cast<float>(M_SQRT1_2);

struct TSpeakerMix {
  uint32_t Speaker;
  float Left;
  float Right;
};

// Speakers that are not listed (the low-frequency channel, the top speakers) are left out.
constexpr std::array<TSpeakerMix, 11> SpeakerMixes = {{
    {SPEAKER_FRONT_LEFT, 1.0f, 0.0f},
    {SPEAKER_FRONT_RIGHT, 0.0f, 1.0f},
    {SPEAKER_FRONT_CENTER, MinusThreeDb, MinusThreeDb},
    {SPEAKER_BACK_LEFT, MinusThreeDb, 0.0f},
    {SPEAKER_BACK_RIGHT, 0.0f, MinusThreeDb},
    {0x40, 1.0f, 0.0f},  // front left of centre
    {0x80, 0.0f, 1.0f},  // front right of centre
    {SPEAKER_BACK_CENTER, 0.5f, 0.5f},
    {SPEAKER_SIDE_LEFT, MinusThreeDb, 0.0f},
    {SPEAKER_SIDE_RIGHT, 0.0f, MinusThreeDb},
    {SPEAKER_LOW_FREQUENCY, 0.0f, 0.0f},
}};

}  // namespace

TChannelMixer::TMix TChannelMixer::MixFor(int32_t channels, uint32_t mask) {
  TMix mix{};
  if (channels == 1) {
    mix[0][0] = mix[1][0] = 1.0f;
    return mix;
  }
  if (mask == 0 || std::popcount(mask) != channels) {
    mask = DefaultChannelMask(channels);
  }
  int32_t channel = 0;
  for (uint32_t bit = 1; bit != 0 && channel < channels; bit <<= 1) {
    if ((mask & bit) == 0) {
      continue;
    }
    for (const TSpeakerMix& speaker : SpeakerMixes) {
      if (speaker.Speaker == bit) {
        mix[0][static_cast<size_t>(channel)] = speaker.Left;
        mix[1][static_cast<size_t>(channel)] = speaker.Right;
      }
    }
    ++channel;
  }
  float largest = 0.0f;
  for (const auto& side : mix) {
    float sum = 0.0f;
    for (float coefficient : side) {
      sum += std::fabs(coefficient);
    }
    largest = std::max(largest, sum);
  }
  if (largest > 1.0f) {
    for (auto& side : mix) {
      for (float& coefficient : side) {
        coefficient /= largest;
      }
    }
  }
  return mix;
}

TPcmFormat TChannelMixer::OutputFormat(const TPcmFormat& input) const {
  if (input.Kind != TSampleKind::skFloat || input.Channels < 1 || input.Channels > MaxChannels) {
    throw EACSException("The channel mixer takes float samples in 1 to 8 channels");
  }
  TPcmFormat output = input;
  output.Channels = 2;
  output.ChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
  return output;
}

void TChannelMixer::Start(const TPcmFormat& input, const TPcmFormat& /*output*/) {
  FMix = MixFor(input.Channels, input.ChannelMask);
}

void TChannelMixer::Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) {
  const auto channels = static_cast<size_t>(InputFormatOfRun().Channels);
  const size_t count = frames.size() / (channels * sizeof(float));
  const size_t start = out.size();
  out.resize(start + count * 2 * sizeof(float));
  float frame[MaxChannels];
  for (size_t i = 0; i < count; ++i) {
    std::memcpy(frame, frames.data() + i * channels * sizeof(float), channels * sizeof(float));
    // Summed in double, so the mix is as exact as its float result can hold.
    float mixed[2] = {0.0f, 0.0f};
    for (size_t side = 0; side < 2; ++side) {
      double sum = 0.0;
      for (size_t c = 0; c < channels; ++c) {
        sum += static_cast<double>(FMix[side][c]) * frame[c];
      }
      mixed[side] = static_cast<float>(sum);
    }
    std::memcpy(out.data() + start + i * sizeof mixed, mixed, sizeof mixed);
  }
}

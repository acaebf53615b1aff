#include "formats/vorbis/VorbisChannels.h"

#include <array>
#include <bit>
#include <cstddef>
#include <numeric>

#include "pipeline/PcmFormat.h"

namespace {

constexpr uint32_t FL = SPEAKER_FRONT_LEFT;
constexpr uint32_t FR = SPEAKER_FRONT_RIGHT;
constexpr uint32_t FC = SPEAKER_FRONT_CENTER;
constexpr uint32_t LFE = SPEAKER_LOW_FREQUENCY;
constexpr uint32_t BC = SPEAKER_BACK_CENTER;
constexpr uint32_t SL = SPEAKER_SIDE_LEFT;
constexpr uint32_t SR = SPEAKER_SIDE_RIGHT;
// Up to five channels the rear pair of Vorbis may be back or side speakers.
constexpr uint32_t RL = SPEAKER_BACK_LEFT | SPEAKER_SIDE_LEFT;
constexpr uint32_t RR = SPEAKER_BACK_RIGHT | SPEAKER_SIDE_RIGHT;

// The speakers each Vorbis channel may be, per channel count from 3.
constexpr std::array<std::array<uint32_t, 8>, 6> Layouts = {{
    {FL, FC, FR},
    {FL, FR, RL, RR},
    {FL, FC, FR, RL, RR},
    {FL, FC, FR, RL, RR, LFE},
    {FL, FC, FR, SL, SR, BC, LFE},
    {FL, FC, FR, SL, SR, SPEAKER_BACK_LEFT, SPEAKER_BACK_RIGHT, LFE},
}};

}  // namespace

std::vector<int32_t> VorbisChannelOrder(int32_t channels, uint32_t mask) {
  if (channels < 1 || channels > 8) {
    return {};
  }
  std::vector<int32_t> order(static_cast<size_t>(channels));
  std::iota(order.begin(), order.end(), 0);
  if (channels <= 2) {
    return order;
  }
  if (mask == 0) {
    mask = DefaultChannelMask(channels);
  }
  if (std::popcount(mask) != channels) {
    return {};
  }
  const auto& layout = Layouts[static_cast<size_t>(channels - 3)];
  for (size_t slot = 0; slot < order.size(); ++slot) {
    const uint32_t speaker = mask & layout[slot];
    if (std::popcount(speaker) != 1) {
      return {};
    }
    // The pipeline's channels come in the order of the mask's bits.
    order[slot] = std::popcount(mask & (speaker - 1));
  }
  return order;
}

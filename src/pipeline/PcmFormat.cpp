#include "pipeline/PcmFormat.h"

#include <array>
#include <cstddef>

uint32_t DefaultChannelMask(int32_t channels) {
  constexpr uint32_t Stereo = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
  constexpr uint32_t Front = Stereo | SPEAKER_FRONT_CENTER | SPEAKER_LOW_FREQUENCY;
  constexpr uint32_t Back = SPEAKER_BACK_LEFT | SPEAKER_BACK_RIGHT;
  constexpr uint32_t Side = SPEAKER_SIDE_LEFT | SPEAKER_SIDE_RIGHT;
  constexpr std::array<uint32_t, 8> Masks = {
      SPEAKER_FRONT_CENTER,
      Stereo,
      Stereo | SPEAKER_FRONT_CENTER,
      Stereo | Back,
      Stereo | SPEAKER_FRONT_CENTER | Back,
      Front | Back,
      Front | SPEAKER_BACK_CENTER | Side,
      Front | Back | Side,
  };
  if (channels < 1 || channels > static_cast<int32_t>(Masks.size())) {
    return 0;
  }
  return Masks[static_cast<size_t>(channels - 1)];
}

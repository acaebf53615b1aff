#include "pipeline/ChannelMask.h"

#include <bit>

#include "pipeline/PcmFormat.h"

uint32_t PassableChannelMask(uint32_t mask, int32_t channels) {
  if (mask == DefaultChannelMask(channels) || std::popcount(mask) != channels) {
    return 0;
  }
  return mask;
}

#pragma once

// The speaker mask a source passes on with its PCM.

#include <cstdint>

// `mask` when it names one speaker per channel and differs from the usual order; 0 otherwise
// (the usual order, or a mask that describes no order the channels could follow).
uint32_t PassableChannelMask(uint32_t mask, int32_t channels);

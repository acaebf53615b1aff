#pragma once

// Vorbis orders the channels of 3 to 8 channel streams by a fixed layout per count (left,
// centre, right first; the low-frequency channel last), unlike the pipeline's mask order.

#include <cstdint>
#include <vector>

// For each Vorbis channel, the index of the pipeline channel (in `mask` order; 0: the usual
// speakers for the count) that feeds it. Empty when the speakers do not make the layout Vorbis
// defines for that count. Mono and stereo are in the same order in both.
std::vector<int32_t> VorbisChannelOrder(int32_t channels, uint32_t mask);

#pragma once

// The Vorbis comment that records a FLAC stream's speaker layout when it is not the usual one for
// its channel count: "WAVEFORMATEXTENSIBLE_CHANNEL_MASK=0x0033".

#include <cstdint>
#include <string>
#include <string_view>

// The comment for a mask; "" when the mask is 0 or the usual one for `channels`.
std::string ChannelMaskComment(uint32_t mask, int32_t channels);
// The mask a comment entry ("NAME=value", the name in any case) records; false for any other entry.
bool ParseChannelMaskComment(std::string_view entry, uint32_t& mask);

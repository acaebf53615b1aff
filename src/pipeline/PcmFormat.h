#pragma once

// The format of the PCM a component delivers: sample width and kind, channels, rate and the
// speakers the channels feed. The byte layout itself is described in pipeline/ACS_Classes.h.

#include <cstdint>

// The member names clash with those of the settings' kinds, so they are named through their
// type: TSampleKind::skFloat.
namespace pcm_format {
enum TSampleKind { skInteger, skFloat };
}  // namespace pcm_format
using pcm_format::TSampleKind;

// Speaker positions of a channel mask, as WAVE_FORMAT_EXTENSIBLE numbers them; the channels of
// a frame come in the order of these bits.
constexpr uint32_t SPEAKER_FRONT_LEFT = 0x1;
constexpr uint32_t SPEAKER_FRONT_RIGHT = 0x2;
constexpr uint32_t SPEAKER_FRONT_CENTER = 0x4;
constexpr uint32_t SPEAKER_LOW_FREQUENCY = 0x8;
constexpr uint32_t SPEAKER_BACK_LEFT = 0x10;
constexpr uint32_t SPEAKER_BACK_RIGHT = 0x20;
constexpr uint32_t SPEAKER_BACK_CENTER = 0x100;
constexpr uint32_t SPEAKER_SIDE_LEFT = 0x200;
constexpr uint32_t SPEAKER_SIDE_RIGHT = 0x400;

struct TPcmFormat {
  int32_t BitsPerSample = 16;  // 8, 16, 24 or 32 (floats: 32 only)
  TSampleKind Kind = TSampleKind::skInteger;
  int32_t Channels = 2;  // 1 to 8
  int32_t SampleRate = 44100;
  uint32_t ChannelMask = 0;  // 0: the usual order for Channels (DefaultChannelMask)

  int32_t BytesPerSample() const { return BitsPerSample / 8; }
  int32_t BytesPerFrame() const { return BytesPerSample() * Channels; }
  bool operator==(const TPcmFormat&) const = default;
};

// The mask WAVE_FORMAT_EXTENSIBLE assumes for a channel count: mono is front centre, 6 is 5.1
// (FL FR FC LFE BL BR), 7 and 8 add side speakers; 0 for a count outside 1 to 8.
uint32_t DefaultChannelMask(int32_t channels);

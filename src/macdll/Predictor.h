#pragma once

// The per-channel adaptive predictor of version 3990 (a first-order filter, then a 4-tap predictor
// on the channel's own history and, for stereo, a 5-tap one on the other channel), encoder side.

#include <array>
#include <cstdint>

class TPredictor {
public:
  TPredictor() { Reset(); }

  void Reset();
  // Mono: the residual of `value` from this channel's own history.
  int32_t CompressMono(int32_t value);
  // Stereo: `other` is the other channel's latest value as the decoder will know it.
  int32_t CompressStereo(int32_t value, int32_t other);

  int32_t Output() const { return FOutput; }

private:
  int32_t OwnPrediction();
  int32_t CrossPrediction(int32_t other);
  int32_t Finish(int32_t value, int32_t prediction, bool stereo);

  int32_t FLastA = 0;   // previous stage-2 value
  int32_t FOutput = 0;  // previous value of this channel (stage-1 state)
  int32_t FCross = 0;   // previous value of the other channel
  std::array<int32_t, 4> FCoefA{};
  std::array<int32_t, 5> FCoefB{};
  std::array<int32_t, 4> FHistoryA{};
  std::array<int32_t, 5> FHistoryB{};
};

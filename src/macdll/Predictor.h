#pragma once

// The per-channel adaptive predictor of version 3990 (a first-order filter, then a 4-tap predictor
// on the channel's own history and, for stereo, a 5-tap one on the other channel), encoder side.
// It runs once per sample, so it lives here to be inlined into the frame loop.

#include <cstdint>

class TPredictor {
public:
  TPredictor() { Reset(); }

  void Reset() {
    FLastA = FOutput = FCross = 0;
    FCoefA[0] = 360;
    FCoefA[1] = 317;
    FCoefA[2] = -109;
    FCoefA[3] = 98;
    for (int i = 0; i < 5; ++i) {
      FCoefB[i] = FHistoryB[i] = FSignB[i] = 0;
    }
    for (int i = 0; i < 4; ++i) {
      FHistoryA[i] = FSignA[i] = 0;
    }
  }

  // Mono: the residual of `value` from this channel's own history.
  int32_t CompressMono(int32_t value) { return Finish(value, OwnPrediction() >> 10, false); }

  // Stereo: `other` is the other channel's latest value as the decoder will know it.
  int32_t CompressStereo(int32_t value, int32_t other) {
    const int32_t own = OwnPrediction();
    const int32_t cross = CrossPrediction(other);
    return Finish(value, Add(own, cross >> 1) >> 10, true);
  }

  int32_t Output() const { return FOutput; }

private:
  // The decoder computes in 32 bits with wrap-around; so must we.
  static int32_t Add(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
  static int32_t Sub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
  static uint32_t Mul(int32_t a, int32_t b) { return static_cast<uint32_t>(a) * static_cast<uint32_t>(b); }
  static int32_t Sign(int32_t value) { return (value > 0) - (value < 0); }

  // Removes 31/32 of the previous value: the first-order filter of stage 1.
  static int32_t Filtered(int32_t value, int32_t previous) {
    return Sub(value, static_cast<int32_t>((static_cast<int64_t>(previous) * 31) >> 5));
  }

  int32_t OwnPrediction() {
    FHistoryA[3] = FHistoryA[2];
    FHistoryA[2] = FHistoryA[1];
    FHistoryA[1] = Sub(FLastA, FHistoryA[0]);
    FHistoryA[0] = FLastA;
    FSignA[3] = FSignA[2];
    FSignA[2] = FSignA[1];
    FSignA[1] = Sign(FHistoryA[1]);
    FSignA[0] = Sign(FHistoryA[0]);
    return static_cast<int32_t>(Mul(FHistoryA[0], FCoefA[0]) + Mul(FHistoryA[1], FCoefA[1]) +
                                Mul(FHistoryA[2], FCoefA[2]) + Mul(FHistoryA[3], FCoefA[3]));
  }

  int32_t CrossPrediction(int32_t other) {
    const int32_t b = Filtered(other, FCross);
    FCross = other;
    FHistoryB[4] = FHistoryB[3];
    FHistoryB[3] = FHistoryB[2];
    FHistoryB[2] = FHistoryB[1];
    FHistoryB[1] = Sub(b, FHistoryB[0]);
    FHistoryB[0] = b;
    FSignB[4] = FSignB[3];
    FSignB[3] = FSignB[2];
    FSignB[2] = FSignB[1];
    FSignB[1] = Sign(FHistoryB[1]);
    FSignB[0] = Sign(FHistoryB[0]);
    return static_cast<int32_t>(Mul(FHistoryB[0], FCoefB[0]) + Mul(FHistoryB[1], FCoefB[1]) +
                                Mul(FHistoryB[2], FCoefB[2]) + Mul(FHistoryB[3], FCoefB[3]) +
                                Mul(FHistoryB[4], FCoefB[4]));
  }

  int32_t Finish(int32_t value, int32_t prediction, bool stereo) {
    const int32_t a = Filtered(value, FOutput);
    const int32_t residual = Sub(a, prediction);
    FLastA = a;
    FOutput = value;
    const int32_t sign = Sign(residual);
    for (int i = 0; i < 4; ++i) {
      FCoefA[i] += sign * FSignA[i];
    }
    if (stereo) {
      for (int i = 0; i < 5; ++i) {
        FCoefB[i] += sign * FSignB[i];
      }
    }
    return residual;
  }

  int32_t FLastA;   // previous stage-2 value
  int32_t FOutput;  // previous value of this channel (stage-1 state)
  int32_t FCross;   // previous value of the other channel
  int32_t FCoefA[4];
  int32_t FCoefB[5];
  int32_t FHistoryA[4];  // own history: the value, then first differences, newest first
  int32_t FHistoryB[5];  // the other channel's history, same shape
  int32_t FSignA[4];     // signs of the histories, kept as they move along
  int32_t FSignB[5];
};

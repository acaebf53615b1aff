#include "macdll/Predictor.h"

#include <cstddef>

namespace {

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

int32_t Sign(int32_t value) { return (value > 0) - (value < 0); }

// Removes 31/32 of the previous value: the first-order filter of stage 1.
int32_t Filtered(int32_t value, int32_t previous) {
  return Wrap(static_cast<int64_t>(value) - ((static_cast<int64_t>(previous) * 31) >> 5));
}

}  // namespace

void TPredictor::Reset() {
  FLastA = 0;
  FOutput = 0;
  FCross = 0;
  FCoefA = {360, 317, -109, 98};
  FCoefB = {};
  FHistoryA = {};
  FHistoryB = {};
}

int32_t TPredictor::OwnPrediction() {
  const int32_t a = FLastA;
  FHistoryA = {a, Wrap(static_cast<int64_t>(a) - FHistoryA[0]), FHistoryA[1], FHistoryA[2]};
  uint32_t sum = 0;
  for (size_t i = 0; i < FHistoryA.size(); ++i) {
    sum += static_cast<uint32_t>(FHistoryA[i]) * static_cast<uint32_t>(FCoefA[i]);
  }
  return static_cast<int32_t>(sum);
}

int32_t TPredictor::CrossPrediction(int32_t other) {
  const int32_t b = Filtered(other, FCross);
  FHistoryB = {b, Wrap(static_cast<int64_t>(b) - FHistoryB[0]), FHistoryB[1], FHistoryB[2], FHistoryB[3]};
  FCross = other;
  uint32_t sum = 0;
  for (size_t i = 0; i < FHistoryB.size(); ++i) {
    sum += static_cast<uint32_t>(FHistoryB[i]) * static_cast<uint32_t>(FCoefB[i]);
  }
  return static_cast<int32_t>(sum);
}

int32_t TPredictor::Finish(int32_t value, int32_t prediction, bool stereo) {
  const int32_t a = Filtered(value, FOutput);
  const int32_t residual = Wrap(static_cast<int64_t>(a) - prediction);
  FLastA = a;
  FOutput = value;
  const int32_t sign = Sign(residual);
  for (size_t i = 0; i < FCoefA.size(); ++i) {
    FCoefA[i] += sign * Sign(FHistoryA[i]);
  }
  if (stereo) {
    for (size_t i = 0; i < FCoefB.size(); ++i) {
      FCoefB[i] += sign * Sign(FHistoryB[i]);
    }
  }
  return residual;
}

int32_t TPredictor::CompressMono(int32_t value) {
  const int32_t prediction = OwnPrediction() >> 10;
  return Finish(value, prediction, false);
}

int32_t TPredictor::CompressStereo(int32_t value, int32_t other) {
  const int32_t own = OwnPrediction();
  const int32_t cross = CrossPrediction(other);
  const int32_t prediction = Wrap(static_cast<int64_t>(own) + (cross >> 1)) >> 10;
  return Finish(value, prediction, true);
}

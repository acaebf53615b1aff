#pragma once

// One adaptive FIR stage ("NN filter") of the 3990 predictor, in the encoder's direction: it turns
// a signal into the residual that the decoder's stage turns back into the same signal.

#include <cstdint>
#include <vector>

class TNNFilter {
public:
  TNNFilter(int order, int shift);

  void Reset();
  int32_t Compress(int32_t input);

private:
  // The histories slide through buffers longer than the order, so a push is one store and only
  // every WindowSlack pushes the last `order` values move back to the front.
  static constexpr int WindowSlack = 512;

  int32_t Predict() const;
  void Adapt(int32_t residual);
  void Push(int32_t output);

  int FOrder;
  int FShift;
  int32_t FAverage = 0;
  int FPosition = 0;                  // one past the newest entry of both histories
  std::vector<int16_t> FCoefficients;
  std::vector<int16_t> FHistory;      // past outputs, saturated to 16 bits
  std::vector<int16_t> FAdaptation;   // past adaptation steps, aged by the halvings
};

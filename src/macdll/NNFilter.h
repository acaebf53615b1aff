#pragma once

// One adaptive FIR stage ("NN filter") of the 3990 predictor, in the encoder's direction: it turns
// a signal into the residual that the decoder's stage turns back into the same signal.

#include <cstdint>
#include <span>
#include <vector>

class TNNFilter {
public:
  TNNFilter(int order, int shift);

  // Replaces a frame's signal by its residual. Every frame starts from the zero state.
  void Compress(std::span<int32_t> signal);

private:
  // The histories slide through buffers longer than the order, so a push is one store and only
  // every WindowSlack pushes the last `order` values move back to the front.
  static constexpr int WindowSlack = 512;

  void Reset();

  int FOrder;
  int FShift;
  std::vector<int16_t> FCoefficients;
  std::vector<int16_t> FHistory;      // past inputs, saturated to 16 bits
  std::vector<int16_t> FAdaptation;   // past adaptation steps, aged by the halvings
};

#include "macdll/NNFilter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The step by which the coefficients follow a sample: larger for a sample well above the
// running average of magnitudes, and with the sample's sign.
int16_t AdaptationStep(int32_t value, int32_t& average) {
  const int64_t magnitude = std::llabs(static_cast<int64_t>(value));
  const int64_t mean = average;
  int16_t step = 0;
  if (value != 0) {
    step = magnitude > 3 * mean ? 32 : magnitude > mean + mean / 3 ? 16 : 8;
    if (value < 0) {
      step = static_cast<int16_t>(-step);
    }
  }
  average = static_cast<int32_t>(mean + (magnitude - mean) / 16);
  return step;
}

// Moves the coefficients by the steps (added, subtracted or left as they are, by the sign of the
// residual) and returns their dot product with the history, modulo 2^32 as the decoder sums it.
// One pass over the coefficients serves this sample's adaptation and the next sample's prediction.
uint32_t AdaptAndPredict(int16_t* __restrict coefficients, const int16_t* __restrict steps,
                         const int16_t* __restrict history, int32_t residual, int order) {
  uint32_t sum = 0;
  if (residual > 0) {
    for (int i = 0; i < order; ++i) {
      coefficients[i] = static_cast<int16_t>(coefficients[i] + steps[i]);
      sum += static_cast<uint32_t>(static_cast<int32_t>(coefficients[i]) * history[i]);
    }
  } else if (residual < 0) {
    for (int i = 0; i < order; ++i) {
      coefficients[i] = static_cast<int16_t>(coefficients[i] - steps[i]);
      sum += static_cast<uint32_t>(static_cast<int32_t>(coefficients[i]) * history[i]);
    }
  } else {
    for (int i = 0; i < order; ++i) {
      sum += static_cast<uint32_t>(static_cast<int32_t>(coefficients[i]) * history[i]);
    }
  }
  return sum;
}

}  // namespace

TNNFilter::TNNFilter(int order, int shift)
    : FOrder(order),
      FShift(shift),
      FCoefficients(static_cast<size_t>(order)),
      FHistory(static_cast<size_t>(order + WindowSlack)),
      FAdaptation(static_cast<size_t>(order + WindowSlack)) {}

void TNNFilter::Reset() {
  std::fill(FCoefficients.begin(), FCoefficients.end(), 0);
  std::fill(FHistory.begin(), FHistory.end(), 0);
  std::fill(FAdaptation.begin(), FAdaptation.end(), 0);
}

void TNNFilter::Compress(std::span<int32_t> signal) {
  Reset();
  const int order = FOrder;
  int16_t* const coefficients = FCoefficients.data();
  int16_t* const history = FHistory.data();
  int16_t* const steps = FAdaptation.data();
  const int end = order + WindowSlack;
  const int64_t half = int64_t{1} << (FShift - 1);
  int position = order;  // one past the newest entry of both histories
  int32_t average = 0;
  uint32_t sum = 0;      // the prediction's dot product; zero from the zero state
  for (int32_t& value : signal) {
    const int32_t input = value;
    // The rounding constant is added in 64 bits, as the decoder does.
    const auto prediction = static_cast<int32_t>((static_cast<int64_t>(static_cast<int32_t>(sum)) + half) >> FShift);
    const auto residual = static_cast<int32_t>(static_cast<uint32_t>(input) - static_cast<uint32_t>(prediction));
    value = residual;

    if (position == end) {
      std::memmove(history, history + WindowSlack, static_cast<size_t>(order) * sizeof(int16_t));
      std::memmove(steps, steps + WindowSlack, static_cast<size_t>(order) * sizeof(int16_t));
      position = order;
    }
    history[position] = static_cast<int16_t>(std::clamp<int32_t>(input, -32768, 32767));
    // Adapt with the steps before this sample's; predict from the history that includes it.
    sum = AdaptAndPredict(coefficients, steps + position - order, history + position - order + 1, residual, order);
    steps[position] = AdaptationStep(input, average);
    // A step acts at full size once, then at a half, a quarter and from age 8 on an eighth.
    steps[position - 1] >>= 1;
    steps[position - 2] >>= 1;
    steps[position - 8] >>= 1;
    ++position;
  }
}

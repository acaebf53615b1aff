#include "macdll/NNFilter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

TNNFilter::TNNFilter(int order, int shift)
    : FOrder(order),
      FShift(shift),
      FCoefficients(static_cast<size_t>(order)),
      FHistory(static_cast<size_t>(order + WindowSlack)),
      FAdaptation(static_cast<size_t>(order + WindowSlack)) {
  Reset();
}

void TNNFilter::Reset() {
  std::fill(FCoefficients.begin(), FCoefficients.end(), 0);
  std::fill(FHistory.begin(), FHistory.end(), 0);
  std::fill(FAdaptation.begin(), FAdaptation.end(), 0);
  FAverage = 0;
  FPosition = FOrder;
}

int32_t TNNFilter::Predict() const {
  // The decoder accumulates in 32 bits with wrap-around, so the sum is taken modulo 2^32.
  const int16_t* history = FHistory.data() + (FPosition - FOrder);
  const int16_t* coefficients = FCoefficients.data();
  uint32_t sum = 0;
  for (int i = 0; i < FOrder; ++i) {
    sum += static_cast<uint32_t>(static_cast<int32_t>(coefficients[i]) * history[i]);
  }
  const int64_t rounded = static_cast<int64_t>(static_cast<int32_t>(sum)) + (int64_t{1} << (FShift - 1));
  return static_cast<int32_t>(rounded >> FShift);
}

void TNNFilter::Adapt(int32_t residual) {
  const int16_t* steps = FAdaptation.data() + (FPosition - FOrder);
  int16_t* coefficients = FCoefficients.data();
  if (residual > 0) {
    for (int i = 0; i < FOrder; ++i) {
      coefficients[i] = static_cast<int16_t>(coefficients[i] + steps[i]);
    }
  } else if (residual < 0) {
    for (int i = 0; i < FOrder; ++i) {
      coefficients[i] = static_cast<int16_t>(coefficients[i] - steps[i]);
    }
  }
}

void TNNFilter::Push(int32_t output) {
  if (FPosition == static_cast<int>(FHistory.size())) {
    std::memmove(FHistory.data(), FHistory.data() + WindowSlack, static_cast<size_t>(FOrder) * sizeof(int16_t));
    std::memmove(FAdaptation.data(), FAdaptation.data() + WindowSlack,
                 static_cast<size_t>(FOrder) * sizeof(int16_t));
    FPosition = FOrder;
  }
  FHistory[static_cast<size_t>(FPosition)] = static_cast<int16_t>(std::clamp<int32_t>(output, -32768, 32767));

  const int64_t magnitude = std::llabs(static_cast<int64_t>(output));
  const int64_t average = FAverage;
  int16_t step = 0;
  if (output != 0) {
    if (magnitude > 3 * average) {
      step = 32;
    } else if (magnitude > average + average / 3) {
      step = 16;
    } else {
      step = 8;
    }
    if (output < 0) {
      step = static_cast<int16_t>(-step);
    }
  }
  FAverage = static_cast<int32_t>(average + (magnitude - average) / 16);

  int16_t* steps = FAdaptation.data();
  steps[FPosition] = step;
  // A step acts at full size once, then at a half, a quarter and from age 8 on an eighth.
  steps[FPosition - 1] >>= 1;
  steps[FPosition - 2] >>= 1;
  steps[FPosition - 8] >>= 1;
  ++FPosition;
}

int32_t TNNFilter::Compress(int32_t input) {
  const int32_t prediction = Predict();
  const int32_t residual = static_cast<int32_t>(static_cast<uint32_t>(input) - static_cast<uint32_t>(prediction));
  Adapt(residual);
  Push(input);
  return residual;
}

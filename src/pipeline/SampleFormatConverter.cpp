#include "pipeline/SampleFormatConverter.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t NoiseSeed = 0x2545F491u;

// One sample as a value of full scale -1.0 to +1.0; integers are exact in a double.
double LoadSample(const uint8_t* at, int32_t bits, TSampleKind kind) {
  if (kind == TSampleKind::skFloat) {
    float value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
  }
  switch (bits) {
    case 8:
      return (at[0] - 128) / 128.0;
    case 16:
      return static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8))) / 32768.0;
    case 24: {
      const auto raw = static_cast<uint32_t>(at[0] | (at[1] << 8) | (at[2] << 16)) << 8;
      return static_cast<int32_t>(raw) / 2147483648.0;
    }
    default: {
      int32_t value = 0;
      std::memcpy(&value, at, sizeof value);
      return value / 2147483648.0;
    }
  }
}

void StoreInteger(uint8_t* at, int64_t value, int32_t bits) {
  const auto bits32 = static_cast<uint32_t>(value);
  if (bits == 8) {
    at[0] = static_cast<uint8_t>(bits32 + 128);
    return;
  }
  for (int32_t i = 0; i < bits / 8; ++i) {
    at[i] = static_cast<uint8_t>(bits32 >> (8 * i));
  }
}

}  // namespace

bool NeedsDither(const TPcmFormat& input, int32_t bits, TSampleKind kind) {
  return kind == TSampleKind::skInteger && (input.Kind == TSampleKind::skFloat || input.BitsPerSample > bits);
}

void TSampleFormatConverter::SetTarget(int32_t bits, TSampleKind kind) {
  FTargetBits = bits;
  FTargetKind = kind;
}

TPcmFormat TSampleFormatConverter::OutputFormat(const TPcmFormat& input) const {
  TPcmFormat output = input;
  output.BitsPerSample = FTargetBits;
  output.Kind = FTargetKind;
  return output;
}

void TSampleFormatConverter::Start(const TPcmFormat& input, const TPcmFormat& output) {
  FDither = NeedsDither(input, output.BitsPerSample, output.Kind);
  FNoise = NoiseSeed;
}

void TSampleFormatConverter::Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) {
  const TPcmFormat& in = InputFormatOfRun();
  const TPcmFormat& to = OutputFormatOfRun();
  const size_t samples = frames.size() / static_cast<size_t>(in.BytesPerSample());
  const size_t start = out.size();
  out.resize(start + samples * static_cast<size_t>(to.BytesPerSample()));
  const uint8_t* from = frames.data();
  uint8_t* into = out.data() + start;
  const double scale = std::ldexp(1.0, to.BitsPerSample - 1);
  const double highest = scale - 1;
  for (size_t i = 0; i < samples; ++i, from += in.BytesPerSample(), into += to.BytesPerSample()) {
    const double value = LoadSample(from, in.BitsPerSample, in.Kind);
    if (to.Kind == TSampleKind::skFloat) {
      const auto sample = static_cast<float>(value);
      std::memcpy(into, &sample, sizeof sample);
      continue;
    }
    double scaled = value * scale;
    if (FDither) {
      // Two uniform values in [0, 1) from a xorshift generator: their difference is triangular
      // over (-1, 1) steps.
      double uniform[2];
      for (double& u : uniform) {
        FNoise ^= FNoise << 13;
        FNoise ^= FNoise >> 17;
        FNoise ^= FNoise << 5;
        u = FNoise / 4294967296.0;
      }
      scaled += uniform[0] - uniform[1];
    }
    // NaN fails both comparisons and becomes silence.
    const double clipped = scaled >= highest ? highest : scaled <= -scale ? -scale : scaled == scaled ? scaled : 0.0;
    StoreInteger(into, static_cast<int64_t>(std::nearbyint(clipped)), to.BitsPerSample);
  }
}

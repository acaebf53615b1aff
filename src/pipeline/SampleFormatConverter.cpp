#include "pipeline/SampleFormatConverter.h"

#include <cstring>

namespace {

constexpr uint64_t NoiseSeed = 0x2545F4914F6CDD1Du;

// One sample as a value of full scale -1.0 to +1.0; integers are exact in a double.
template <int32_t Bits, TSampleKind Kind>
double LoadSample(const uint8_t* at) {
  if constexpr (Kind == TSampleKind::skFloat) {
    float value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
  } else if constexpr (Bits == 8) {
    return (at[0] - 128) / 128.0;
  } else if constexpr (Bits == 16) {
    return static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8))) / 32768.0;
  } else if constexpr (Bits == 24) {
    const auto raw = static_cast<uint32_t>(at[0] | (at[1] << 8) | (at[2] << 16)) << 8;
    return static_cast<int32_t>(raw) / 2147483648.0;
  } else {
    int32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value / 2147483648.0;
  }
}

template <int32_t Bits>
void StoreInteger(uint8_t* at, int64_t value) {
  const auto bits32 = static_cast<uint32_t>(value);
  if constexpr (Bits == 8) {
    at[0] = static_cast<uint8_t>(bits32 + 128);
  } else {
    for (int32_t i = 0; i < Bits / 8; ++i) {
      at[i] = static_cast<uint8_t>(bits32 >> (8 * i));
    }
  }
}

// Nearest integer, halves up: only dithered values (which are never exact halves to speak of)
// and exact integers come here. Cheaper than the library's rounding, which is a call.
int64_t RoundToInteger(double value) {
  const double shifted = value + 0.5;
  auto whole = static_cast<int64_t>(shifted);
  whole -= shifted < static_cast<double>(whole) ? 1 : 0;
  return whole;
}

template <int32_t InBits, TSampleKind InKind, int32_t OutBits, TSampleKind OutKind>
void ConvertSamples(const uint8_t* from, size_t samples, uint8_t* into, bool dither, uint64_t& noise) {
  constexpr int32_t InBytes = InBits / 8;
  constexpr int32_t OutBytes = OutBits / 8;
  constexpr double Scale = static_cast<double>(int64_t{1} << (OutBits - 1));
  constexpr double Highest = Scale - 1;
  for (size_t i = 0; i < samples; ++i, from += InBytes, into += OutBytes) {
    const double value = LoadSample<InBits, InKind>(from);
    if constexpr (OutKind == TSampleKind::skFloat) {
      const auto sample = static_cast<float>(value);
      std::memcpy(into, &sample, sizeof sample);
    } else {
      double scaled = value * Scale;
      if (dither) {
        // The top two 16-bit pieces of a 64-bit linear congruential generator are two uniform
        // values in [0, 1); their difference is triangular over (-1, 1) steps.
        noise = noise * 6364136223846793005u + 1442695040888963407u;
        const double first = static_cast<double>(noise >> 48) / 65536.0;
        const double second = static_cast<double>((noise >> 32) & 0xFFFF) / 65536.0;
        scaled += first - second;
      }
      // NaN fails every comparison and becomes silence.
      const double clipped = scaled >= Highest ? Highest : scaled <= -Scale ? -Scale : scaled == scaled ? scaled : 0.0;
      StoreInteger<OutBits>(into, RoundToInteger(clipped));
    }
  }
}

using TConvert = void (*)(const uint8_t*, size_t, uint8_t*, bool, uint64_t&);

template <int32_t InBits, TSampleKind InKind>
TConvert ConverterTo(const TPcmFormat& to) {
  if (to.Kind == TSampleKind::skFloat) {
    return &ConvertSamples<InBits, InKind, 32, TSampleKind::skFloat>;
  }
  switch (to.BitsPerSample) {
    case 8:
      return &ConvertSamples<InBits, InKind, 8, TSampleKind::skInteger>;
    case 16:
      return &ConvertSamples<InBits, InKind, 16, TSampleKind::skInteger>;
    case 24:
      return &ConvertSamples<InBits, InKind, 24, TSampleKind::skInteger>;
    default:
      return &ConvertSamples<InBits, InKind, 32, TSampleKind::skInteger>;
  }
}

TConvert ConverterFor(const TPcmFormat& in, const TPcmFormat& to) {
  if (in.Kind == TSampleKind::skFloat) {
    return ConverterTo<32, TSampleKind::skFloat>(to);
  }
  switch (in.BitsPerSample) {
    case 8:
      return ConverterTo<8, TSampleKind::skInteger>(to);
    case 16:
      return ConverterTo<16, TSampleKind::skInteger>(to);
    case 24:
      return ConverterTo<24, TSampleKind::skInteger>(to);
    default:
      return ConverterTo<32, TSampleKind::skInteger>(to);
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
  FConvert = ConverterFor(input, output);
  FNoise = NoiseSeed;
}

void TSampleFormatConverter::Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) {
  const size_t samples = frames.size() / static_cast<size_t>(InputFormatOfRun().BytesPerSample());
  const size_t start = out.size();
  out.resize(start + samples * static_cast<size_t>(OutputFormatOfRun().BytesPerSample()));
  FConvert(frames.data(), samples, out.data() + start, FDither, FNoise);
}

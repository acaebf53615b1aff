#include "formats/wave/AdpcmCodec.h"

#include <algorithm>
#include <cassert>
#include <cstring>

const std::array<int32_t, 89> StepTable = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const std::array<int32_t, 16> IndexTable = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

const std::array<int16_t, 16> AdaptationTable = {230, 230, 230, 230, 307, 409, 512, 614,
                                                 768, 614, 512, 409, 307, 230, 230, 230};

namespace {

uint8_t ClampStepIndex(int32_t index) { return static_cast<uint8_t>(std::clamp(index, 0, DviMaxStepIndex)); }

void PutHeader(const TDviChannelState& state, uint8_t* at) {
  const auto predictor = static_cast<uint16_t>(state.Predictor);
  at[0] = static_cast<uint8_t>(predictor & 0xFF);
  at[1] = static_cast<uint8_t>(predictor >> 8);
  at[2] = state.StepIndex;
  at[3] = 0;
}

void PutNibble(uint8_t* byte, int32_t k, uint8_t code) { *byte |= static_cast<uint8_t>(k % 2 == 0 ? code : code << 4); }

// Byte of stereo code k of one channel, counted from that channel's first data byte.
int32_t StereoCodeByte(int32_t k) { return (k / 8) * 8 + (k % 8) / 2; }

int16_t MsDecodeSample(TMsChannelState& state, std::span<const TMsCoefPair> coefs, uint8_t code) {
  const TMsCoefPair& pair = coefs[std::min<size_t>(state.PredictorIndex, coefs.size() - 1)];
  // 64-bit: two products of 16-bit values can together pass the 32-bit range.
  int64_t p = (static_cast<int64_t>(state.Sample1) * pair.Coef1 + static_cast<int64_t>(state.Sample2) * pair.Coef2) / 256;
  const int32_t e = code >= 8 ? code - 16 : code;
  p += static_cast<int64_t>(e) * state.Delta;
  const auto sample = static_cast<int16_t>(std::clamp<int64_t>(p, -32768, 32767));
  const int32_t delta = state.Delta * AdaptationTable[code] / 256;
  state.Delta = static_cast<int16_t>(static_cast<uint16_t>(delta & 0xFFFF));
  if (state.Delta < 16) {
    state.Delta = 16;
  }
  state.Sample2 = state.Sample1;
  state.Sample1 = sample;
  return sample;
}

}  // namespace

int16_t DviDecodeSample(TDviChannelState& state, uint8_t code) {
  const int32_t step = StepTable[std::min<int32_t>(state.StepIndex, DviMaxStepIndex)];
  int32_t diff = step >> 3;
  if (code & 4) {
    diff += step;
  }
  if (code & 2) {
    diff += step >> 1;
  }
  if (code & 1) {
    diff += step >> 2;
  }
  const int32_t predictor = (code & 8) ? state.Predictor - diff : state.Predictor + diff;
  state.Predictor = static_cast<int16_t>(std::clamp(predictor, -32767, 32767));
  state.StepIndex = ClampStepIndex(state.StepIndex + IndexTable[code & 15]);
  return state.Predictor;
}

uint8_t DviEncodeSample(TDviChannelState& state, int16_t sample) {
  const int32_t step = StepTable[std::min<int32_t>(state.StepIndex, DviMaxStepIndex)];
  const int32_t d = sample - state.Predictor;
  uint8_t code = d < 0 ? 8 : 0;
  int32_t m = d < 0 ? -d : d;
  if (m >= step) {
    code |= 4;
    m -= step;
  }
  if (m >= step >> 1) {
    code |= 2;
    m -= step >> 1;
  }
  if (m >= step >> 2) {
    code |= 1;
  }
  DviDecodeSample(state, code);
  return code;
}

int32_t DecodeDviMono(TDviChannelState& state, std::span<const uint8_t> data, std::span<int16_t> output) {
  const auto count = static_cast<int32_t>(1 + 2 * data.size());
  assert(output.size() >= static_cast<size_t>(count));
  state.StepIndex = ClampStepIndex(state.StepIndex);
  int16_t* out = output.data();
  *out++ = state.Predictor;
  for (uint8_t byte : data) {
    *out++ = DviDecodeSample(state, byte & 0x0F);
    *out++ = DviDecodeSample(state, byte >> 4);
  }
  return count;
}

int32_t DecodeDviStereo(TDviChannelState& left, TDviChannelState& right, std::span<const uint8_t> data,
                        int32_t perChannel, std::span<int16_t> output) {
  perChannel = std::max<int32_t>(0, std::min<int32_t>(perChannel, static_cast<int32_t>(data.size())) / 8 * 8);
  assert(output.size() >= 2 * static_cast<size_t>(perChannel + 1));
  left.StepIndex = ClampStepIndex(left.StepIndex);
  right.StepIndex = ClampStepIndex(right.StepIndex);
  output[0] = left.Predictor;
  output[1] = right.Predictor;
  int16_t* frames = output.data() + 2;
  for (int32_t group = 0; group < perChannel / 8; ++group) {
    const uint8_t* bytes = data.data() + group * 8;
    int16_t* out = frames + group * 16;
    for (int32_t i = 0; i < 4; ++i) {
      out[4 * i] = DviDecodeSample(left, bytes[i] & 0x0F);
      out[4 * i + 2] = DviDecodeSample(left, bytes[i] >> 4);
      out[4 * i + 1] = DviDecodeSample(right, bytes[4 + i] & 0x0F);
      out[4 * i + 3] = DviDecodeSample(right, bytes[4 + i] >> 4);
    }
  }
  return perChannel + 1;
}

int32_t DecodeMsMono(TMsChannelState& state, std::span<const TMsCoefPair> coefs, std::span<const uint8_t> data,
                     int32_t count, std::span<int16_t> output) {
  const int32_t bytes = std::clamp<int32_t>(count / 2, 0, static_cast<int32_t>(data.size()));
  assert(!coefs.empty() && output.size() >= 2 + 2 * static_cast<size_t>(bytes));
  int16_t* out = output.data();
  *out++ = state.Sample2;
  *out++ = state.Sample1;
  for (int32_t i = 0; i < bytes; ++i) {
    *out++ = MsDecodeSample(state, coefs, data[i] >> 4);
    *out++ = MsDecodeSample(state, coefs, data[i] & 0x0F);
  }
  return 2 + 2 * bytes;
}

int32_t DecodeMsStereo(TMsChannelState& left, TMsChannelState& right, std::span<const TMsCoefPair> coefs,
                       std::span<const uint8_t> data, int32_t count, std::span<int16_t> output) {
  count = std::clamp<int32_t>(count, 0, static_cast<int32_t>(data.size()));
  assert(!coefs.empty() && output.size() >= 2 * static_cast<size_t>(count + 2));
  int16_t* out = output.data();
  *out++ = left.Sample2;
  *out++ = right.Sample2;
  *out++ = left.Sample1;
  *out++ = right.Sample1;
  for (int32_t i = 0; i < count; ++i) {
    *out++ = MsDecodeSample(left, coefs, data[i] >> 4);
    *out++ = MsDecodeSample(right, coefs, data[i] & 0x0F);
  }
  return count + 2;
}

void EncodeDviMono(TDviChannelState& state, std::span<const int16_t> samples, std::span<uint8_t> block) {
  assert(block.size() >= 4 && samples.size() >= 2 * (block.size() - 4));
  std::memset(block.data(), 0, block.size());
  state.StepIndex = ClampStepIndex(state.StepIndex);
  PutHeader(state, block.data());
  const auto count = static_cast<int32_t>(2 * (block.size() - 4));
  for (int32_t k = 0; k < count; ++k) {
    PutNibble(block.data() + 4 + k / 2, k, DviEncodeSample(state, samples[k]));
  }
}

void EncodeDviStereo(TDviChannelState& left, TDviChannelState& right, std::span<const int16_t> frames,
                     std::span<uint8_t> block) {
  assert(block.size() >= 8 && (block.size() - 8) % 8 == 0 && frames.size() >= 2 * (block.size() - 8));
  std::memset(block.data(), 0, block.size());
  left.StepIndex = ClampStepIndex(left.StepIndex);
  right.StepIndex = ClampStepIndex(right.StepIndex);
  PutHeader(left, block.data());
  PutHeader(right, block.data() + 4);
  const auto count = static_cast<int32_t>(block.size() - 8);
  for (int32_t k = 0; k < count; ++k) {
    PutNibble(block.data() + 8 + StereoCodeByte(k), k, DviEncodeSample(left, frames[2 * k]));
  }
  for (int32_t k = 0; k < count; ++k) {
    PutNibble(block.data() + 12 + StereoCodeByte(k), k, DviEncodeSample(right, frames[2 * k + 1]));
  }
}

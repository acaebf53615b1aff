#include "macdll/RangeEncoder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

constexpr uint32_t Top = 1u << 31;
constexpr uint32_t Bottom = 1u << 23;
constexpr int Shift = 23;

constexpr std::array<uint32_t, 21> CumulativeFrequency = {
    0,     19578, 36160, 48417, 56323, 60899, 63265, 64435, 64971, 65232, 65351,
    65416, 65447, 65466, 65476, 65482, 65485, 65488, 65490, 65491, 65492};
constexpr std::array<uint32_t, 21> Frequency = {19578, 16582, 12257, 7906, 4576, 2366, 1170, 536, 261, 119, 65,
                                                31,    19,    10,    6,    3,    3,    2,    1,   1,   1};
constexpr uint32_t WideSymbolBase = 65472;  // symbols 21..62 sit at 65472 + q with width 1
constexpr uint32_t EscapeSymbol = 63;

}  // namespace

void TRangeEncoder::EmitPending(bool carry) {
  FOut.push_back(static_cast<uint8_t>(FBuffer + (carry ? 1 : 0)));
  FOut.insert(FOut.end(), FHelp, carry ? 0x00 : 0xFF);
  FHelp = 0;
}

void TRangeEncoder::Normalise() {
  while (FRange <= Bottom) {
    if (FLow < (0xFFu << Shift)) {
      EmitPending(false);
      FBuffer = (FLow >> Shift) & 0xFF;
    } else if (FLow & Top) {
      EmitPending(true);
      FBuffer = (FLow >> Shift) & 0xFF;
    } else {
      ++FHelp;  // the top byte is 0xFF: a later carry could still ripple through it
    }
    FLow = (FLow << 8) & (Top - 1);
    FRange <<= 8;
  }
}

void TRangeEncoder::EncodeShift(uint32_t lt, uint32_t sy, int shift) {
  Normalise();
  const uint32_t r = FRange >> shift;
  FLow += r * lt;
  FRange = r * sy;
}

void TRangeEncoder::EncodeFreq(uint32_t lt, uint32_t sy, uint32_t total) {
  Normalise();
  const uint32_t r = FRange / total;
  FLow += r * lt;
  FRange = r * sy;
}

void TRangeEncoder::Flush() {
  Normalise();
  const uint32_t t = (FLow >> Shift) + 1;
  EmitPending(t > 0xFF);
  FOut.push_back(static_cast<uint8_t>(t & 0xFF));
  FOut.insert(FOut.end(), 3, 0x00);
}

void TResidualCoder::Encode(TRangeEncoder& coder, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const uint32_t x = value > 0 ? 2u * v - 1u : 0u - 2u * v;
  const uint32_t pivot = std::max<uint32_t>(FKSum >> 5, 1);
  const uint32_t q = x / pivot;
  const uint32_t base = x - q * pivot;

  if (q < Frequency.size()) {
    coder.EncodeShift(CumulativeFrequency[q], Frequency[q], 16);
  } else if (q < EscapeSymbol) {
    coder.EncodeShift(WideSymbolBase + q, 1, 16);
  } else {
    coder.EncodeShift(WideSymbolBase + EscapeSymbol, 1, 16);
    coder.EncodeShift(q >> 16, 1, 16);
    coder.EncodeShift(q & 0xFFFF, 1, 16);
  }

  if (pivot < 65536) {
    coder.EncodeFreq(base, 1, pivot);
  } else {
    const int bb = std::bit_width(pivot) - 16;
    coder.EncodeFreq(base >> bb, 1, (pivot >> bb) + 1);
    coder.EncodeFreq(base & ((1u << bb) - 1), 1, 1u << bb);
  }

  FKSum = FKSum + (x + 1) / 2 - ((FKSum + 16) >> 5);
}

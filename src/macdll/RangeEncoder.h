#pragma once

// The range coder of version 3990 frames and the adaptive coding of one residual on top of it.
// Bytes come out in the frame's logical order (the word swap happens when the file is written).
// Both run once per coded value, so they live here to be inlined into the frame loop.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

class TRangeEncoder {
public:
  explicit TRangeEncoder(std::vector<uint8_t>& out) : FOut(out) {}

  // Codes a symbol of width `sy` at cumulative frequency `lt` out of 2^shift.
  void EncodeShift(uint32_t lt, uint32_t sy, int shift) {
    Normalise();
    const uint32_t r = FRange >> shift;
    FLow += r * lt;
    FRange = r * sy;
  }

  // The same out of `total`, which need not be a power of two.
  void EncodeFreq(uint32_t lt, uint32_t sy, uint32_t total) {
    Normalise();
    const uint32_t r = FRange / total;
    FLow += r * lt;
    FRange = r * sy;
  }

  // Ends the frame: the coded value becomes unambiguous and the last bytes are written.
  void Flush();

private:
  static constexpr uint32_t Top = 1u << 31;
  static constexpr uint32_t Bottom = 1u << 23;
  static constexpr int Shift = 23;

  void Normalise() {
    while (FRange <= Bottom) {
      ShiftByte();
    }
  }
  void ShiftByte();
  void EmitPending(bool carry);

  std::vector<uint8_t>& FOut;
  uint32_t FLow = 0;
  uint32_t FRange = Top;
  uint32_t FBuffer = 0;  // the byte that a carry may still reach
  uint32_t FHelp = 0;    // 0xFF bytes held back behind FBuffer
};

// Per-channel adaptive state of the residual coder; reset at every frame.
class TResidualCoder {
public:
  void Encode(TRangeEncoder& coder, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    const uint32_t x = value > 0 ? 2u * v - 1u : 0u - 2u * v;  // 0, 1, -1, 2, -2 ... to 0, 1, 2, 3, 4 ...
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

private:
  static constexpr std::array<uint32_t, 21> CumulativeFrequency = {
      0,     19578, 36160, 48417, 56323, 60899, 63265, 64435, 64971, 65232, 65351,
      65416, 65447, 65466, 65476, 65482, 65485, 65488, 65490, 65491, 65492};
  static constexpr std::array<uint32_t, 21> Frequency = {19578, 16582, 12257, 7906, 4576, 2366, 1170,
                                                         536,   261,   119,   65,   31,   19,   10,
                                                         6,     3,     3,     2,    1,    1,    1};
  static constexpr uint32_t WideSymbolBase = 65472;  // symbols 21..62 sit at 65472 + q with width 1
  static constexpr uint32_t EscapeSymbol = 63;

  uint32_t FKSum = 16384;
};

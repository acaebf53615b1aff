#pragma once

// The range coder of version 3990 frames and the adaptive coding of one residual on top of it.
// Bytes come out in the frame's logical order (the word swap happens when the file is written).

#include <cstdint>
#include <vector>

class TRangeEncoder {
public:
  explicit TRangeEncoder(std::vector<uint8_t>& out) : FOut(out) {}

  // Codes a symbol of width `sy` at cumulative frequency `lt` out of 2^shift.
  void EncodeShift(uint32_t lt, uint32_t sy, int shift);
  // The same out of `total`, which need not be a power of two.
  void EncodeFreq(uint32_t lt, uint32_t sy, uint32_t total);
  // Ends the frame: the coded value becomes unambiguous and the last bytes are written.
  void Flush();

private:
  void Normalise();
  void EmitPending(bool carry);

  std::vector<uint8_t>& FOut;
  uint32_t FLow = 0;
  uint32_t FRange = 1u << 31;
  uint32_t FBuffer = 0;  // the byte that a carry may still reach
  uint32_t FHelp = 0;    // 0xFF bytes held back behind FBuffer
};

// Per-channel adaptive state of the residual coder; reset at every frame.
class TResidualCoder {
public:
  void Encode(TRangeEncoder& coder, int32_t value);

private:
  uint32_t FKSum = 16384;
};

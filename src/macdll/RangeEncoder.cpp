#include "macdll/RangeEncoder.h"

void TRangeEncoder::EmitPending(bool carry) {
  FOut.push_back(static_cast<uint8_t>(FBuffer + (carry ? 1 : 0)));
  FOut.insert(FOut.end(), FHelp, carry ? 0x00 : 0xFF);
  FHelp = 0;
}

void TRangeEncoder::ShiftByte() {
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

void TRangeEncoder::Flush() {
  Normalise();
  const uint32_t t = (FLow >> Shift) + 1;
  EmitPending(t > 0xFF);
  FOut.push_back(static_cast<uint8_t>(t & 0xFF));
  FOut.insert(FOut.end(), 3, 0x00);
}

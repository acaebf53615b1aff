#pragma once

// The stage that changes the width or kind of the samples (channels and rate stay). Narrowing
// (a wider integer or float to fewer integer bits) adds triangular (TPDF) dither of one step of
// the target before rounding; widening, and 8-bit to 16-bit, are exact. Every result beyond the
// target's range is clipped, so a float past full scale never wraps round.

#include <cstddef>
#include <cstdint>

#include "pipeline/PcmStage.h"

class TSampleFormatConverter : public TPcmStage {
public:
  // The samples delivered: 8, 16, 24 or 32-bit integer, or 32-bit float.
  int32_t TargetBits() const { return FTargetBits; }
  TSampleKind TargetKind() const { return FTargetKind; }
  void SetTarget(int32_t bits, TSampleKind kind);

protected:
  TPcmFormat OutputFormat(const TPcmFormat& input) const override;
  void Start(const TPcmFormat& input, const TPcmFormat& output) override;
  void Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) override;

private:
  int32_t FTargetBits = 16;
  TSampleKind FTargetKind = TSampleKind::skInteger;
  bool FDither = false;
  // The loop for the run's two formats.
  void (*FConvert)(const uint8_t*, size_t, uint8_t*, bool, uint64_t&) = nullptr;
  uint64_t FNoise = 0;  // the dither's generator; reseeded every run, so runs are reproducible
};

// Whether narrowing `input` to `bits`-bit integers loses resolution and so is dithered.
bool NeedsDither(const TPcmFormat& input, int32_t bits, TSampleKind kind);

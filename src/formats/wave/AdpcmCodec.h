#pragma once

// IMA ADPCM and Microsoft ADPCM on memory: one block at a time, 16-bit samples out (decoders) or
// in (encoders). The WAV source and sink move the blocks; these routines only do the arithmetic.

#include <array>
#include <cstdint>
#include <span>

#include "formats/wave/WaveHeader.h"

struct TDviChannelState {
  int16_t Predictor = 0;
  uint8_t StepIndex = 0;  // 0 to 88
};

struct TMsChannelState {
  uint8_t PredictorIndex = 0;
  int16_t Delta = 0;
  int16_t Sample1 = 0;  // the latest sample
  int16_t Sample2 = 0;  // the one before it
};

constexpr int32_t DviMaxStepIndex = 88;

extern const std::array<int32_t, 89> StepTable;
extern const std::array<int32_t, 16> IndexTable;
extern const std::array<int16_t, 16> AdaptationTable;

// Sizes of one block of B bytes. A stereo IMA block holds whole groups of 8 codes per channel
// only, so a block align that is not 8 + a multiple of 8 leaves its last partial group unused.
constexpr int32_t DviMonoSamplesPerBlock(int32_t blockAlign) { return 2 * (blockAlign - 4) + 1; }
constexpr int32_t DviStereoSamplesPerBlock(int32_t blockAlign) { return (blockAlign - 8) / 8 * 8 + 1; }

// One code through the IMA decoder: updates the state and returns the new sample.
int16_t DviDecodeSample(TDviChannelState& state, uint8_t code);
// One sample through the IMA encoder: returns the code; the state follows the decoder exactly.
uint8_t DviEncodeSample(TDviChannelState& state, int16_t sample);

// Writes 1 + 2 x data.size() samples, the first being the header's Predictor. Returns the count.
int32_t DecodeDviMono(TDviChannelState& state, std::span<const uint8_t> data, std::span<int16_t> output);
// Decodes `perChannel` codes of each channel (whole groups of 8) and writes perChannel + 1
// interleaved frames. Returns the frame count.
int32_t DecodeDviStereo(TDviChannelState& left, TDviChannelState& right, std::span<const uint8_t> data,
                        int32_t perChannel, std::span<int16_t> output);

// Writes Sample2, Sample1, then 2 x (count div 2) samples. Returns the sample count.
int32_t DecodeMsMono(TMsChannelState& state, std::span<const TMsCoefPair> coefs, std::span<const uint8_t> data,
                     int32_t count, std::span<int16_t> output);
// Writes the two header frames, then `count` frames. Returns the frame count.
int32_t DecodeMsStereo(TMsChannelState& left, TMsChannelState& right, std::span<const TMsCoefPair> coefs,
                       std::span<const uint8_t> data, int32_t count, std::span<int16_t> output);

// Encodes one block of block.size() bytes: the header from the state's Predictor (the block's
// first sample, set by the caller) and StepIndex, then 2 x (B - 4) samples from `samples`.
void EncodeDviMono(TDviChannelState& state, std::span<const int16_t> samples, std::span<uint8_t> block);
// Stereo: both headers, then B - 8 interleaved frames from `frames` (B - 8 a multiple of 8).
void EncodeDviStereo(TDviChannelState& left, TDviChannelState& right, std::span<const int16_t> frames,
                     std::span<uint8_t> block);

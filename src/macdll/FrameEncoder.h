#pragma once

// Turns the PCM of one frame into the frame's bytes in logical order: the CRC word, a special code
// for silent and dual-mono frames, then the range-coded residuals of the predictor and the NN
// filter stages of the compression level.

#include <cstdint>
#include <span>
#include <vector>

#include "macdll/NNFilter.h"

// The frame lengths, in blocks, a level codes the stream at (the longest first); the smallest file
// is kept. Every frame restarts the decoder's adaptation, which long frames pay least often, and
// the longer filters of the higher levels take longer to adapt; but a frame is coded nearly for
// free only when it is wholly silent (or its channels are equal), and short frames find far more
// of those in decaying notes, gaps and clicks. Each level also tries the lengths of the level
// below, so it keeps the silent frames a lower level finds.
std::vector<uint32_t> FrameLengthsOfLevel(int level);

struct TStageShape {
  int Order;
  int Shift;
};

// The NN filter stages of a compression level in the decoder's order (level 1000 has none).
std::vector<TStageShape> StagesOfLevel(int level);

class TFrameEncoder {
public:
  // channels 1 or 2, bitsPerSample 8, 16 or 24, level 1000 to 5000.
  TFrameEncoder(int channels, int bitsPerSample, int level);

  // `pcm` holds whole blocks as in a WAV data chunk; the frame's bytes are appended to `out`.
  void Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& out);

private:
  void ReadChannels(std::span<const uint8_t> pcm, size_t blocks);
  // 0, or the special code that lets the frame skip silence or a duplicate channel.
  uint32_t SpecialCode(size_t blocks) const;
  void Predict(size_t blocks, bool mono);
  void Filter(std::vector<TNNFilter>& stages, size_t blocks, std::vector<int32_t>& channel);
  void EntropyCode(size_t blocks, bool mono, std::vector<uint8_t>& out);

  int FChannels;
  int FBitsPerSample;
  std::vector<int32_t> FY;  // mono: the samples; stereo: the difference channel
  std::vector<int32_t> FX;  // stereo: the mid channel
  std::vector<TNNFilter> FStagesY;  // in the encoder's order, the largest stage first
  std::vector<TNNFilter> FStagesX;
};

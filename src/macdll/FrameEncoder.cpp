#include "macdll/FrameEncoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/crc.h>
}

#include "macdll/Predictor.h"
#include "macdll/RangeEncoder.h"

namespace {

std::vector<TNNFilter> EncoderStages(int level) {
  std::vector<TNNFilter> stages;
  const std::vector<TStageShape> shapes = StagesOfLevel(level);
  for (auto shape = shapes.rbegin(); shape != shapes.rend(); ++shape) {
    stages.emplace_back(shape->Order, shape->Shift);
  }
  return stages;
}

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 24));
  out.push_back(static_cast<uint8_t>(value >> 16));
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// The special frame codes: a word after the CRC (flagged by its top bit) that spares the decoder
// residuals of silence, or of a second channel equal to the first.
constexpr uint32_t CodeFollows = 0x80000000u;
constexpr uint32_t CodeSilentLeft = 1;    // in a mono file: the frame is silent
constexpr uint32_t CodeSilentRight = 2;   // only together with CodeSilentLeft: decoders ignore it alone
constexpr uint32_t CodePseudoStereo = 4;  // left equals right; one channel is coded, as mono

uint32_t Crc32(std::span<const uint8_t> bytes) {
  const AVCRC* table = av_crc_get_table(AV_CRC_32_IEEE_LE);
  return av_crc(table, 0xFFFFFFFFu, bytes.data(), bytes.size()) ^ 0xFFFFFFFFu;
}

}  // namespace

std::vector<uint32_t> FrameLengthsOfLevel(int level) {
  constexpr uint32_t Usual = 73728;
  switch (level) {
    case 5000:
      return {16 * Usual, 4 * Usual, Usual, Usual / 4};
    case 4000:
      return {4 * Usual, Usual, Usual / 4};
    default:
      return {Usual, Usual / 4};
  }
}

std::vector<TStageShape> StagesOfLevel(int level) {
  switch (level) {
    case 2000:
      return {{16, 11}};
    case 3000:
      return {{64, 11}};
    case 4000:
      return {{32, 10}, {256, 13}};
    case 5000:
      return {{16, 11}, {256, 13}, {1280, 15}};
    default:
      return {};
  }
}

TFrameEncoder::TFrameEncoder(int channels, int bitsPerSample, int level)
    : FChannels(channels), FBitsPerSample(bitsPerSample), FStagesY(EncoderStages(level)),
      FStagesX(EncoderStages(level)) {}

void TFrameEncoder::ReadChannels(std::span<const uint8_t> pcm, size_t blocks) {
  const auto sample = [&](size_t i) -> int32_t {
    switch (FBitsPerSample) {
      case 8:
        return static_cast<int32_t>(pcm[i]) - 128;
      case 16:
        return static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
      default: {
        const uint32_t raw = pcm[3 * i] | (pcm[3 * i + 1] << 8) | (static_cast<uint32_t>(pcm[3 * i + 2]) << 16);
        return static_cast<int32_t>(raw << 8) >> 8;  // sign-extend the 24-bit value
      }
    }
  };
  FY.resize(blocks);
  if (FChannels == 1) {
    for (size_t n = 0; n < blocks; ++n) {
      FY[n] = sample(n);
    }
    return;
  }
  // Left waits in FX and right in FY until Predict turns them into mid and difference.
  FX.resize(blocks);
  for (size_t n = 0; n < blocks; ++n) {
    FX[n] = sample(2 * n);
    FY[n] = sample(2 * n + 1);
  }
}

void TFrameEncoder::Predict(size_t blocks, bool mono) {
  // Local predictors start afresh with the frame, and the compiler may keep them in registers.
  TPredictor predictorY;
  TPredictor predictorX;
  int32_t* const y = FY.data();
  int32_t* const x = FX.data();
  if (mono) {
    for (size_t n = 0; n < blocks; ++n) {
      y[n] = predictorY.CompressMono(y[n]);
    }
    return;
  }
  for (size_t n = 0; n < blocks; ++n) {
    const int32_t left = x[n];
    const int32_t right = y[n];
    const int32_t difference = right - left;
    const int32_t mid = left + difference / 2;  // truncating, as the decoder undoes it
    y[n] = predictorY.CompressStereo(difference, predictorX.Output());
    x[n] = predictorX.CompressStereo(mid, predictorY.Output());
  }
}

void TFrameEncoder::Filter(std::vector<TNNFilter>& stages, size_t blocks, std::vector<int32_t>& channel) {
  for (TNNFilter& stage : stages) {
    stage.Compress(std::span<int32_t>(channel.data(), blocks));
  }
}

void TFrameEncoder::EntropyCode(size_t blocks, bool mono, std::vector<uint8_t>& out) {
  TRangeEncoder coder(out);
  TResidualCoder codeY;
  TResidualCoder codeX;
  for (size_t n = 0; n < blocks; ++n) {
    codeY.Encode(coder, FY[n]);
    if (!mono) {
      codeX.Encode(coder, FX[n]);
    }
  }
  coder.Flush();
}

uint32_t TFrameEncoder::SpecialCode(size_t blocks) const {
  const auto zero = [](const std::vector<int32_t>& channel, size_t count) {
    return std::all_of(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(count),
                       [](int32_t v) { return v == 0; });
  };
  if (FChannels == 1) {
    return zero(FY, blocks) ? CodeSilentLeft : 0;
  }
  if (!std::equal(FX.begin(), FX.begin() + static_cast<std::ptrdiff_t>(blocks), FY.begin())) {
    return 0;
  }
  // Left equals right: silent in both, or one channel through the mono path.
  return zero(FY, blocks) ? CodeSilentLeft | CodeSilentRight : CodePseudoStereo;
}

void TFrameEncoder::Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& out) {
  const size_t blocks = pcm.size() / (static_cast<size_t>(FChannels) * (FBitsPerSample / 8));
  ReadChannels(pcm, blocks);
  const uint32_t code = SpecialCode(blocks);
  const uint32_t crc = Crc32(pcm) >> 1;
  if (code == 0) {
    AppendBigEndian32(out, crc);
  } else {
    AppendBigEndian32(out, crc | CodeFollows);
    AppendBigEndian32(out, code);
  }
  if ((code & (CodeSilentLeft | CodeSilentRight)) != 0) {
    TRangeEncoder(out).Flush();  // the decoder starts its range decoder even for silence
    return;
  }
  const bool mono = FChannels == 1 || code == CodePseudoStereo;
  Predict(blocks, mono);
  Filter(FStagesY, blocks, FY);
  if (!mono) {
    Filter(FStagesX, blocks, FX);
  }
  EntropyCode(blocks, mono, out);
}

#include "macdll/FrameEncoder.h"

#include <array>
#include <utility>

extern "C" {
#include <libavutil/crc.h>
}

#include "macdll/RangeEncoder.h"

namespace {

struct TStageShape {
  int Order;
  int Shift;
};

// The NN stages of each level in the decoder's order (1000 has none).
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

uint32_t Crc32(std::span<const uint8_t> bytes) {
  const AVCRC* table = av_crc_get_table(AV_CRC_32_IEEE_LE);
  return av_crc(table, 0xFFFFFFFFu, bytes.data(), bytes.size()) ^ 0xFFFFFFFFu;
}

}  // namespace

uint32_t BlocksPerFrame(int level) {
  switch (level) {
    case 4000:
      return 73728 * 4;
    case 5000:
      return 73728 * 16;
    default:
      return 73728;
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

void TFrameEncoder::Predict(size_t blocks) {
  FPredictorY.Reset();
  FPredictorX.Reset();
  if (FChannels == 1) {
    for (size_t n = 0; n < blocks; ++n) {
      FY[n] = FPredictorY.CompressMono(FY[n]);
    }
    return;
  }
  for (size_t n = 0; n < blocks; ++n) {
    const int32_t left = FX[n];
    const int32_t right = FY[n];
    const int32_t difference = right - left;
    const int32_t mid = left + difference / 2;  // truncating, as the decoder undoes it
    FY[n] = FPredictorY.CompressStereo(difference, FPredictorX.Output());
    FX[n] = FPredictorX.CompressStereo(mid, FPredictorY.Output());
  }
}

void TFrameEncoder::Filter(std::vector<TNNFilter>& stages, size_t blocks, std::vector<int32_t>& channel) {
  for (TNNFilter& stage : stages) {
    stage.Reset();
    for (size_t n = 0; n < blocks; ++n) {
      channel[n] = stage.Compress(channel[n]);
    }
  }
}

void TFrameEncoder::EntropyCode(size_t blocks, std::vector<uint8_t>& out) {
  TRangeEncoder coder(out);
  TResidualCoder codeY;
  TResidualCoder codeX;
  for (size_t n = 0; n < blocks; ++n) {
    codeY.Encode(coder, FY[n]);
    if (FChannels == 2) {
      codeX.Encode(coder, FX[n]);
    }
  }
  coder.Flush();
}

void TFrameEncoder::Encode(std::span<const uint8_t> pcm, std::vector<uint8_t>& out) {
  const size_t blocks = pcm.size() / (static_cast<size_t>(FChannels) * (FBitsPerSample / 8));
  AppendBigEndian32(out, Crc32(pcm) >> 1);
  ReadChannels(pcm, blocks);
  Predict(blocks);
  Filter(FStagesY, blocks, FY);
  if (FChannels == 2) {
    Filter(FStagesX, blocks, FX);
  }
  EntropyCode(blocks, out);
}

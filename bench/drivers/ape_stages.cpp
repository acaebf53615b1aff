// Shows where the Monkey's Audio compressor's bits go. For each frame of a PCM WAV and each coded
// channel it prints the mean magnitude of the signal after every prediction stage (the channel
// itself, the first-order filter, the adaptive predictor, each NN stage), the best plain
// fixed-order predictor (orders 0 to 4, as FLAC's fixed subframes) on the same channel for
// comparison, and the bits per sample the range coder spent. A stage that does not lower the
// magnitude is not adapting; coded bits far above log2 of the magnitude mean the coder is not.
//
// The stage figures follow the stereo path even where the encoder codes a frame of left equal to
// right as mono; each frame's last line gives the bits per block the library's frame encoder
// really spends on it, special codes included.
//
//   ape_stages IN.wav [LEVEL [BLOCKS]]   (LEVEL 1000 to 5000, default 2000; BLOCKS per frame,
//                                         default the level's longest)

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "PcmWav.h"
#include "macdll/FrameEncoder.h"
#include "macdll/NNFilter.h"
#include "macdll/Predictor.h"
#include "macdll/RangeEncoder.h"

namespace {

double MeanMagnitude(const std::vector<int32_t>& v) {
  double sum = 0;
  for (int32_t x : v) {
    sum += std::fabs(static_cast<double>(x));
  }
  return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

// The smallest mean magnitude of the fixed polynomial predictors of orders 0 to 4.
double BestFixed(const std::vector<int32_t>& v, int& order) {
  std::vector<double> d(v.begin(), v.end());
  double best = MeanMagnitude(v);
  order = 0;
  for (int o = 1; o <= 4; ++o) {
    for (size_t n = d.size(); n-- > static_cast<size_t>(o);) {
      d[n] -= d[n - 1];
    }
    double sum = 0;
    for (size_t n = static_cast<size_t>(o); n < d.size(); ++n) {
      sum += std::fabs(d[n]);
    }
    const double mean = d.size() > static_cast<size_t>(o) ? sum / static_cast<double>(d.size() - o) : 0;
    if (mean < best) {
      best = mean;
      order = o;
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ape_stages IN.wav [LEVEL [BLOCKS]]\n");
    return 2;
  }
  const int level = argc > 2 ? std::atoi(argv[2]) : 2000;
  TPcmWav wav;
  if (!ReadPcmWav(argv[1], wav)) {
    std::fprintf(stderr, "ape_stages: %s: not a mono or stereo PCM WAV\n", argv[1]);
    return 1;
  }
  const size_t total = wav.Samples() / static_cast<size_t>(wav.Channels);
  const size_t frameBlocks = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : FrameLengthsOfLevel(level).front();
  TFrameEncoder encoder(wav.Channels, wav.Bits, level);
  uint64_t coded = 0;
  const std::vector<TStageShape> shapes = StagesOfLevel(level);
  std::printf("frame ch  blocks   input  stage1  pred");
  for (auto s = shapes.rbegin(); s != shapes.rend(); ++s) {
    std::printf("  nn%-5d", s->Order);
  }
  std::printf("  fixed(o)  bits/s  log2|e|\n");

  for (size_t first = 0, frame = 0; first < total; first += frameBlocks, ++frame) {
    const size_t blocks = std::min(frameBlocks, total - first);
    std::vector<std::vector<int32_t>> input(static_cast<size_t>(wav.Channels), std::vector<int32_t>(blocks));
    std::vector<std::vector<int32_t>> filtered = input;
    std::vector<std::vector<int32_t>> residual = input;
    TPredictor predictors[2];
    int32_t previous[2] = {0, 0};
    for (size_t n = 0; n < blocks; ++n) {
      const size_t at = (first + n) * static_cast<size_t>(wav.Channels);
      int32_t values[2];
      if (wav.Channels == 1) {
        values[0] = wav.Sample(at);
        residual[0][n] = predictors[0].CompressMono(values[0]);
      } else {
        const int32_t left = wav.Sample(at);
        values[0] = wav.Sample(at + 1) - left;  // Y, the difference
        values[1] = left + values[0] / 2;       // X, the mid
        residual[0][n] = predictors[0].CompressStereo(values[0], predictors[1].Output());
        residual[1][n] = predictors[1].CompressStereo(values[1], predictors[0].Output());
      }
      for (int c = 0; c < wav.Channels; ++c) {
        input[static_cast<size_t>(c)][n] = values[c];
        filtered[static_cast<size_t>(c)][n] =
            values[c] - static_cast<int32_t>((static_cast<int64_t>(previous[c]) * 31) >> 5);
        previous[c] = values[c];
      }
    }
    for (int c = 0; c < wav.Channels; ++c) {
      const auto ch = static_cast<size_t>(c);
      std::vector<int32_t> channel = residual[ch];
      std::vector<double> afterStage;
      for (auto s = shapes.rbegin(); s != shapes.rend(); ++s) {
        TNNFilter(s->Order, s->Shift).Compress(channel);
        afterStage.push_back(MeanMagnitude(channel));
      }
      // Each channel is coded on its own here, so its bits can be counted apart.
      std::vector<uint8_t> bytes;
      TRangeEncoder coder(bytes);
      TResidualCoder values;
      for (int32_t v : channel) {
        values.Encode(coder, v);
      }
      coder.Flush();
      const double bits = 8.0 * static_cast<double>(bytes.size()) / static_cast<double>(blocks);
      int order = 0;
      const double fixed = BestFixed(input[ch], order);
      std::printf("%5zu %2s %7zu %7.1f %7.1f %5.1f", frame, wav.Channels == 1 ? "M" : c == 0 ? "Y" : "X", blocks,
                  MeanMagnitude(input[ch]), MeanMagnitude(filtered[ch]), MeanMagnitude(residual[ch]));
      for (double m : afterStage) {
        std::printf("  %7.1f", m);
      }
      const double last = MeanMagnitude(channel);
      std::printf("  %6.1f(%d)  %6.2f  %7.2f\n", fixed, order, bits, last > 0 ? std::log2(last) : 0.0);
    }
    const size_t align = static_cast<size_t>(wav.Channels * wav.Bits / 8);
    const std::span<const uint8_t> pcm(wav.Data.data() + first * align, blocks * align);
    std::vector<uint8_t> frameBytes;
    encoder.Encode(pcm, frameBytes);
    coded += frameBytes.size();
    std::printf("%5zu frame: %.3f bits per block\n", frame, 8.0 * static_cast<double>(frameBytes.size()) / blocks);
  }
  std::printf("frames: %llu bytes\n", static_cast<unsigned long long>(coded));
  return 0;
}

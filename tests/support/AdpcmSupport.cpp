#include "support/AdpcmSupport.h"

#include <future>
#include <memory>

#include "formats/wave/AdpcmCodec.h"
#include "support/TestSupport.h"

namespace testing_support {

const std::vector<std::pair<int16_t, int16_t>> StandardMsCoefs = {{256, 0},   {512, -256}, {0, 0},    {192, 64},
                                                                  {240, 0},   {460, -208}, {392, -232}};

std::vector<uint8_t> DviFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t blockAlign,
                                   uint16_t samplesPerBlock, uint16_t bitsPerSample) {
  std::vector<uint8_t> body;
  AppendLe16(body, 0x0011);
  AppendLe16(body, channels);
  AppendLe32(body, sampleRate);
  AppendLe32(body, sampleRate / samplesPerBlock * blockAlign);
  AppendLe16(body, blockAlign);
  AppendLe16(body, bitsPerSample);
  AppendLe16(body, 2);
  AppendLe16(body, samplesPerBlock);
  return body;
}

std::vector<uint8_t> MsFormatBody(uint16_t channels, uint32_t sampleRate, uint16_t blockAlign, uint16_t samplesPerBlock,
                                  const std::vector<std::pair<int16_t, int16_t>>& coefs) {
  std::vector<uint8_t> body;
  AppendLe16(body, 0x0002);
  AppendLe16(body, channels);
  AppendLe32(body, sampleRate);
  AppendLe32(body, sampleRate / samplesPerBlock * blockAlign);
  AppendLe16(body, blockAlign);
  AppendLe16(body, 4);
  AppendLe16(body, static_cast<uint16_t>(4 + 4 * coefs.size()));
  AppendLe16(body, samplesPerBlock);
  AppendLe16(body, static_cast<uint16_t>(coefs.size()));
  for (const auto& [c1, c2] : coefs) {
    AppendLe16(body, static_cast<uint16_t>(c1));
    AppendLe16(body, static_cast<uint16_t>(c2));
  }
  return body;
}

std::vector<uint8_t> FactBody(uint32_t frames) {
  std::vector<uint8_t> body;
  AppendLe32(body, frames);
  return body;
}

std::vector<uint8_t> EncodeDviBlocks(const std::vector<int16_t>& samples, int channels, int blockAlign) {
  const int perBlock = channels == 1 ? DviMonoSamplesPerBlock(blockAlign) : DviStereoSamplesPerBlock(blockAlign);
  const size_t blockSamples = static_cast<size_t>(perBlock) * channels;
  std::vector<uint8_t> out;
  TDviChannelState left, right;
  for (size_t start = 0; start < samples.size(); start += blockSamples) {
    std::vector<int16_t> pcm(blockSamples, 0);
    std::copy(samples.begin() + static_cast<std::ptrdiff_t>(start),
              samples.begin() + static_cast<std::ptrdiff_t>(std::min(samples.size(), start + blockSamples)), pcm.begin());
    std::vector<uint8_t> block(static_cast<size_t>(blockAlign));
    left.Predictor = pcm[0];
    if (channels == 1) {
      EncodeDviMono(left, std::span<const int16_t>(pcm).subspan(1), block);
    } else {
      right.Predictor = pcm[1];
      EncodeDviStereo(left, right, std::span<const int16_t>(pcm).subspan(2), block);
    }
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

std::vector<uint8_t> ReadAllPcm(TACSInput& source, size_t piece) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(piece);
  source.Init();
  for (;;) {
    const int32_t got = source.GetData(buffer);
    if (got <= 0) {
      break;
    }
    all.insert(all.end(), buffer.begin(), buffer.begin() + got);
  }
  source.Flush();
  return all;
}

std::vector<int32_t> DeliverySizes(TACSInput& source) {
  std::vector<int32_t> sizes;
  std::vector<uint8_t> buffer(65536);
  source.Init();
  for (int32_t got = source.GetData(buffer); got > 0; got = source.GetData(buffer)) {
    sizes.push_back(got);
  }
  source.Flush();
  return sizes;
}

std::string RunToEnd(TACSOutput& sink) {
  // The handlers own the promise: the worker may still be leaving one when this returns.
  auto ended = std::make_shared<std::promise<std::string>>();
  std::future<std::string> result = ended->get_future();
  sink.SetOnDone([ended](TComponent*) { ended->set_value(""); });
  sink.SetOnThreadException([ended](TComponent*, const std::exception& error) { ended->set_value(error.what()); });
  sink.Run();
  return result.get();
}

}  // namespace testing_support

#include "support/ApeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>

#include "formats/ape/MACDll.h"

namespace testing_support {

MACDllBinding::MACDllBinding() {
  MACDll::Startup();
  // Every test after this calls through the entry points.
  if (!MACDll::Loaded()) {
    throw std::runtime_error(std::string(MACDll::LibraryName) + " could not be loaded");
  }
}
MACDllBinding::~MACDllBinding() { MACDll::Shutdown(); }

int CompressPcm(const std::string& fileName, const std::vector<uint8_t>& pcm, const ApeEncodeOptions& options) {
  int error = 0;
  APE_COMPRESS_HANDLE handle = MACDll::c_APECompress_Create(&error);
  if (error != 0) {
    return error;
  }
  TMACWaveFormatEx format{};
  MACDll::FillWaveFormatEx(&format, options.SampleRate, options.BitsPerSample, options.Channels);
  int result = MACDll::c_APECompress_Start(handle, fileName.c_str(), &format, options.MaxAudioBytes, options.Level,
                                           nullptr, -1);
  size_t placed = 0;
  while (result == 0 && placed < pcm.size()) {
    int available = 0;
    unsigned char* target = MACDll::c_APECompress_LockBuffer(handle, &available);
    size_t n = std::min(static_cast<size_t>(available), pcm.size() - placed);
    if (options.PieceBytes > 0) {
      n = std::min(n, static_cast<size_t>(options.PieceBytes));
    }
    std::memcpy(target, pcm.data() + placed, n);
    result = MACDll::c_APECompress_UnlockBuffer(handle, static_cast<int>(n), 1);
    placed += n;
  }
  if (result == 0) {
    result = MACDll::c_APECompress_Finish(handle, nullptr, 0, 0);
  }
  MACDll::c_APECompress_Destroy(handle);
  return result;
}

std::vector<uint8_t> DecompressPcm(const std::string& fileName) {
  int error = 0;
  APE_DECOMPRESS_HANDLE handle = MACDll::c_APEDecompress_Create(fileName.c_str(), &error);
  EXPECT_EQ(error, 0) << fileName;
  if (handle == nullptr) {
    return {};
  }
  const int align = MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_BLOCK_ALIGN, 0, 0);
  std::vector<uint8_t> pcm;
  std::vector<char> piece(static_cast<size_t>(align) * 1000);
  while (true) {
    int blocks = 0;
    const int result = MACDll::c_APEDecompress_GetData(handle, piece.data(), 1000, &blocks);
    EXPECT_EQ(result, 0) << fileName;
    if (result != 0 || blocks == 0) {
      break;
    }
    pcm.insert(pcm.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(blocks) * align);
  }
  MACDll::c_APEDecompress_Destroy(handle);
  return pcm;
}

std::vector<uint8_t> MakeSignal(TestSignal signal, int blocks, int channels, int bitsPerSample, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::uniform_int_distribution<int> full(-32768, 32767);
  std::vector<uint8_t> pcm;
  double colour[2] = {0, 0};
  for (int n = 0; n < blocks; ++n) {
    const size_t blockStart = pcm.size();
    for (int c = 0; c < channels; ++c) {
      if (signal == TestSignal::DualMono && c > 0) {
        const std::vector<uint8_t> first(pcm.begin() + static_cast<std::ptrdiff_t>(blockStart), pcm.end());
        pcm.insert(pcm.end(), first.begin(), first.end());
        continue;
      }
      int value = 0;  // on a 16-bit scale
      switch (signal) {
        case TestSignal::Silence:
          break;
        case TestSignal::Sine:
          value = static_cast<int>(std::lround(30000.0 * std::sin(2.0 * M_PI * 440.0 * (1 + 0.25 * c) * n / 44100.0)));
          break;
        case TestSignal::MusicLike:
        case TestSignal::DualMono:
          // Two tones over low-passed noise: what real recordings look like to a predictor.
          colour[c] = 0.97 * colour[c] + 300.0 * gauss(random);
          value = static_cast<int>(std::clamp(8000.0 * std::sin(2.0 * M_PI * 220.0 * n / 44100.0) +
                                                  5000.0 * std::sin(2.0 * M_PI * (660.0 + 7 * c) * n / 44100.0) +
                                                  colour[c],
                                              -32768.0, 32767.0));
          break;
        case TestSignal::FullScaleNoise:
          value = full(random);
          break;
      }
      if (bitsPerSample == 8) {
        pcm.push_back(static_cast<uint8_t>((value >> 8) + 128));
      } else if (bitsPerSample == 24) {
        // The low byte carries detail a 16-bit signal does not have (none in silence).
        const int low = signal == TestSignal::Silence ? 0 : static_cast<int>(random() & 0xFF);
        const auto wide = static_cast<uint32_t>(value * 256 + low);
        pcm.push_back(static_cast<uint8_t>(wide));
        pcm.push_back(static_cast<uint8_t>(wide >> 8));
        pcm.push_back(static_cast<uint8_t>(wide >> 16));
      } else {
        pcm.push_back(static_cast<uint8_t>(value & 0xFF));
        pcm.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
      }
    }
  }
  return pcm;
}

}  // namespace testing_support

// Compressing and decompressing five minutes of 16-bit stereo audio through our Monkey's Audio
// library at each level. KESTRUNE_APE_BENCH_WAV names a canonical PCM WAV to use instead of the
// generated audio; KESTRUNE_APE_BENCH_OUT a folder that keeps the compressed files.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "formats/ape/MACDll.h"

namespace {

constexpr int SampleRate = 44100;
constexpr double Seconds = 300.0;

std::vector<uint8_t> GeneratedAudio() {
  const auto blocks = static_cast<size_t>(SampleRate * Seconds);
  std::vector<uint8_t> pcm(blocks * 4);
  std::mt19937 random(5);
  std::normal_distribution<double> gauss(0.0, 1.0);
  double colour[2] = {0, 0};
  for (size_t n = 0; n < blocks; ++n) {
    for (int c = 0; c < 2; ++c) {
      colour[c] = 0.98 * colour[c] + 400.0 * gauss(random);
      const double t = static_cast<double>(n) / SampleRate;
      const double value = 6000.0 * std::sin(2 * M_PI * (196.0 + c) * t) * (1 + std::sin(t)) +
                           3000.0 * std::sin(2 * M_PI * 587.3 * t) + colour[c];
      const auto sample = static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
      std::memcpy(&pcm[n * 4 + 2 * c], &sample, 2);
    }
  }
  return pcm;
}

const std::vector<uint8_t>& Audio() {
  static const std::vector<uint8_t> pcm = [] {
    const char* name = std::getenv("KESTRUNE_APE_BENCH_WAV");
    if (name == nullptr) {
      return GeneratedAudio();
    }
    std::ifstream in(name, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return std::vector<uint8_t>(bytes.begin() + std::min<size_t>(44, bytes.size()), bytes.end());
  }();
  return pcm;
}

std::string OutputFile(int level) {
  const char* folder = std::getenv("KESTRUNE_APE_BENCH_OUT");
  const std::filesystem::path base = folder != nullptr ? folder : std::filesystem::temp_directory_path().string();
  return (base / ("kestrune-bench-" + std::to_string(level) + ".ape")).string();
}

void Compress(const std::vector<uint8_t>& pcm, int level, const std::string& file) {
  int error = 0;
  APE_COMPRESS_HANDLE handle = MACDll::c_APECompress_Create(&error);
  TMACWaveFormatEx format{};
  MACDll::FillWaveFormatEx(&format, SampleRate, 16, 2);
  MACDll::c_APECompress_Start(handle, file.c_str(), &format, -1, level, nullptr, -1);
  // The same pieces the sink hands over.
  for (size_t at = 0; at < pcm.size(); at += 65536) {
    MACDll::c_APECompress_AddData(handle, const_cast<uint8_t*>(pcm.data() + at),
                                  static_cast<int>(std::min<size_t>(65536, pcm.size() - at)));
  }
  MACDll::c_APECompress_Finish(handle, nullptr, 0, 0);
  MACDll::c_APECompress_Destroy(handle);
}

void BM_Compress(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  const std::vector<uint8_t>& pcm = Audio();
  const std::string file = OutputFile(level);
  for (auto _ : state) {
    Compress(pcm, level, file);
  }
  const double audioSeconds = static_cast<double>(pcm.size()) / (4.0 * SampleRate);
  state.counters["x_realtime"] = benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
  state.counters["ratio_pct"] = 100.0 * static_cast<double>(std::filesystem::file_size(file)) /
                                static_cast<double>(pcm.size());
}

void BM_Decompress(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  const std::string file = OutputFile(level);
  if (!std::filesystem::exists(file)) {
    Compress(Audio(), level, file);
  }
  std::vector<char> piece(4096 * 4);
  int64_t blocksRead = 0;
  for (auto _ : state) {
    int error = 0;
    APE_DECOMPRESS_HANDLE handle = MACDll::c_APEDecompress_Create(file.c_str(), &error);
    for (int blocks = 1; blocks > 0;) {
      MACDll::c_APEDecompress_GetData(handle, piece.data(), 4096, &blocks);
      blocksRead += blocks;
    }
    MACDll::c_APEDecompress_Destroy(handle);
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(blocksRead) / SampleRate, benchmark::Counter::kIsRate);
}

struct TBinding {
  TBinding() { MACDll::Startup(); }
  ~TBinding() {
    MACDll::Shutdown();
    // Files in the temporary folder are only the benchmark's own; a named folder keeps them.
    if (std::getenv("KESTRUNE_APE_BENCH_OUT") == nullptr) {
      for (int level = 1000; level <= 5000; level += 1000) {
        std::filesystem::remove(OutputFile(level));
      }
    }
  }
} binding;

}  // namespace

BENCHMARK(BM_Compress)->DenseRange(1000, 5000, 1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Decompress)->DenseRange(1000, 5000, 1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_MAIN();

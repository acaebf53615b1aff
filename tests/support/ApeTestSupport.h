#pragma once

// Helpers for the Monkey's Audio tests: compressing raw PCM through the library's own calls, and
// images of generated test signals.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Binds libMACDll.so for the lifetime of the object.
class MACDllBinding {
public:
  MACDllBinding();
  ~MACDllBinding();
};

struct ApeEncodeOptions {
  int Channels = 2;
  int BitsPerSample = 16;
  int SampleRate = 44100;
  int Level = 2000;
  int MaxAudioBytes = -1;
  int PieceBytes = 0;  // 0: hand over whatever the library's buffer takes at once
};

// Compresses interleaved PCM (as in a WAV data chunk) into `fileName`; the library's result.
int CompressPcm(const std::string& fileName, const std::vector<uint8_t>& pcm, const ApeEncodeOptions& options);

// Decompresses the whole file through the library; empty and a failed assertion on any error.
std::vector<uint8_t> DecompressPcm(const std::string& fileName);

// DualMono is MusicLike with every channel equal to the first.
enum class TestSignal { Silence, Sine, MusicLike, FullScaleNoise, DualMono };
// `blocks` blocks of interleaved PCM of the given shape.
std::vector<uint8_t> MakeSignal(TestSignal signal, int blocks, int channels, int bitsPerSample, uint32_t seed = 7);

}  // namespace testing_support

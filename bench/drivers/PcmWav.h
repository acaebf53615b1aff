#pragma once

// The PCM of a WAV file for the bench drivers: the format and the bytes of the data chunk, found
// by walking the chunks (so extensible headers and extra chunks are fine).

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

struct TPcmWav {
  int Channels = 0;
  int Bits = 0;
  int Rate = 0;
  std::vector<uint8_t> Data;  // interleaved, as in the file

  size_t Samples() const { return Bits == 0 ? 0 : Data.size() / static_cast<size_t>(Bits / 8); }

  // Sample i (interleaved) as a signed value; 8-bit samples are stored unsigned.
  int32_t Sample(size_t i) const {
    const size_t at = i * static_cast<size_t>(Bits / 8);
    switch (Bits) {
      case 8:
        return static_cast<int32_t>(Data[at]) - 128;
      case 16:
        return static_cast<int16_t>(Data[at] | (Data[at + 1] << 8));
      default:
        return static_cast<int32_t>((Data[at] | (Data[at + 1] << 8) | (static_cast<uint32_t>(Data[at + 2]) << 16)) << 8) >> 8;
    }
  }
};

// False unless the file is mono or stereo PCM of 8, 16 or 24 bits.
inline bool ReadPcmWav(const char* name, TPcmWav& wav) {
  std::ifstream in(name, std::ios::binary);
  const std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto le = [&](size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
      v = (v << 8) | b[at + static_cast<size_t>(i)];
    }
    return v;
  };
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = le(at + 4, 4);
    if (std::memcmp(&b[at], "fmt ", 4) == 0 && at + 24 <= b.size()) {
      wav.Channels = static_cast<int>(le(at + 10, 2));
      wav.Rate = static_cast<int>(le(at + 12, 4));
      wav.Bits = static_cast<int>(le(at + 22, 2));
    } else if (std::memcmp(&b[at], "data", 4) == 0) {
      const size_t end = std::min<size_t>(b.size(), at + 8 + size);
      wav.Data.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 8), b.begin() + static_cast<std::ptrdiff_t>(end));
      const bool shape = (wav.Channels == 1 || wav.Channels == 2) && (wav.Bits == 8 || wav.Bits == 16 || wav.Bits == 24);
      if (shape) {
        wav.Data.resize(wav.Data.size() / static_cast<size_t>(wav.Channels * wav.Bits / 8) *
                        static_cast<size_t>(wav.Channels * wav.Bits / 8));
      }
      return shape;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

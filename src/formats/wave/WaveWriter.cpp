#include "formats/wave/WaveWriter.h"

#include <algorithm>
#include <cstring>

void PutLe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value & 0xFF);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    at[i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

uint32_t ClampToUint32(int64_t value) { return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 0xFFFFFFFFll)); }

uint32_t AnnouncedSize32(int64_t value) { return value < 0 ? static_cast<uint32_t>(value) : ClampToUint32(value); }

std::array<uint8_t, 44> BuildPcmHeader(const TWaveFormat& format, int64_t dataSize) {
  std::array<uint8_t, 44> header{};
  const auto blockAlign = static_cast<uint16_t>(format.Channels * format.BitsPerSample / 8);
  const uint32_t data = AnnouncedSize32(dataSize);
  std::memcpy(header.data(), "RIFF", 4);
  PutLe32(header.data() + 4, data + 36);
  std::memcpy(header.data() + 8, "WAVEfmt ", 8);
  PutLe32(header.data() + 16, 16);
  PutLe16(header.data() + 20, 1);
  PutLe16(header.data() + 22, format.Channels);
  PutLe32(header.data() + 24, format.SampleRate);
  PutLe32(header.data() + 28, format.SampleRate * blockAlign);
  PutLe16(header.data() + 32, blockAlign);
  PutLe16(header.data() + 34, format.BitsPerSample);
  std::memcpy(header.data() + 36, "data", 4);
  PutLe32(header.data() + 40, data);
  return header;
}

void WriteLe32At(TStream& stream, int64_t position, uint32_t value) {
  std::array<uint8_t, 4> bytes{};
  PutLe32(bytes.data(), value);
  stream.Seek(position);
  stream.Write(bytes);
}

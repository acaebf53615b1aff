// Arbitrary bytes through the WAV source. The first byte picks how the rest is used: as a whole
// file, or as the body of a file whose header is built here for one of the four readable types
// (PCM, IMA ADPCM, MS ADPCM, MPEG data), with header fields taken from the input, so every
// decoder is reached at once instead of after the fuzzer has found a valid header by itself.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/wave/ACS_Wave.h"

namespace {

class TInput {
public:
  TInput(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  uint8_t Byte() { return FPosition < FSize ? FData[FPosition++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
  std::vector<uint8_t> Rest() { return {FData + FPosition, FData + FSize}; }

private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPosition = 0;
};

void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

void PutChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> BuildFile(uint8_t kind, TInput& input) {
  static const uint16_t tags[] = {0x0001, 0x0011, 0x0002, 0x0055};
  static const uint32_t rates[] = {8000, 11025, 22050, 44100};
  const uint16_t tag = tags[kind % 4];
  const uint8_t shape = input.Byte();
  const uint16_t channels = static_cast<uint16_t>(1 + (shape & 1) + ((shape & 0x80) ? 1 : 0));
  const uint32_t rate = rates[(shape >> 1) & 3];
  std::vector<uint8_t> fmt;
  Put16(fmt, tag);
  Put16(fmt, channels);
  Put32(fmt, rate);
  Put32(fmt, rate * 2u);
  Put16(fmt, input.Word() % 4200);  // block align, sometimes above the 4096 limit
  Put16(fmt, tag == 0x0001 ? static_cast<uint16_t>((shape & 8) ? 16 : 8) : static_cast<uint16_t>(input.Byte() % 6));
  if (tag != 0x0001) {
    Put16(fmt, 2);
    Put16(fmt, input.Word());  // samples per block
  }
  if (tag == 0x0002) {
    const uint8_t count = input.Byte() % 9;
    Put16(fmt, count);
    for (uint8_t i = 0; i < 2 * count; ++i) {
      Put16(fmt, input.Word());
    }
  }
  std::vector<uint8_t> fact;
  Put32(fact, static_cast<uint32_t>(input.Word()) * 3u);
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  PutChunk(file, "fmt ", fmt);
  if (tag != 0x0001 || (shape & 0x10)) {
    PutChunk(file, "fact", fact);
  }
  PutChunk(file, "data", input.Rest());
  if (shape & 0x20) {
    file[file.size() - input.Rest().size() - 2] ^= 0x40;  // a data size that overstates the chunk
  }
  return file;
}

void Drain(TWaveIn& source, bool smallReads) {
  std::vector<uint8_t> buffer(smallReads ? 333 : 65536);
  source.Init();
  for (int pass = 0; pass < 100000 && source.GetData(buffer) > 0; ++pass) {
  }
  source.Flush();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  TInput input(data, size);
  const uint8_t mode = input.Byte();
  TMemoryStream stream(mode < 64 ? input.Rest() : BuildFile(mode, input));
  TWaveIn source;
  source.SetStream(&stream);
  source.GetTotalTime();
  Drain(source, (mode & 2) != 0);
  source.SetStartSample(mode & 0x3F);
  Drain(source, false);
  return 0;
}

// Arbitrary bytes through the WAV source. The first byte picks how the rest is used: as a whole
// file, or as the body of a file whose header is built here, with header fields taken from the
// input, so every decoder is reached at once instead of after the fuzzer has found a valid header
// by itself. The built headers are the four coded types (PCM, IMA ADPCM, MS ADPCM, MPEG data) and
// the wide layouts: 8- to 32-bit and odd integer widths, float, WAVE_FORMAT_EXTENSIBLE with any
// mask and a sound or broken subformat, up to 10 channels, and RF64 with its ds64 sizes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "formats/wave/ACS_Wave.h"

namespace {

class TInput {
public:
  TInput(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  uint8_t Byte() { return FPosition < FSize ? FData[FPosition++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
  uint32_t Long() { return Word() | (static_cast<uint32_t>(Word()) << 16); }
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

void Put64(std::vector<uint8_t>& out, uint64_t value) {
  Put32(out, static_cast<uint32_t>(value));
  Put32(out, static_cast<uint32_t>(value >> 32));
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

std::vector<uint8_t> WideFormatBody(bool extensible, bool isFloat, TInput& input) {
  static const uint16_t widths[] = {8, 16, 24, 32, 20, 12, 64, 0};
  static const uint32_t rates[] = {8000, 44100, 96000, 384000, 0, 1, 768001, 0xFFFFFFFFu};
  const uint8_t shape = input.Byte();
  const auto channels = static_cast<uint16_t>(1 + input.Byte() % 10);  // 9 and 10 must be refused
  const uint16_t bits = isFloat && (shape & 1) ? 32 : widths[shape & 7];
  const uint32_t rate = rates[(shape >> 3) & 7];
  const uint16_t align = (shape & 0x40) ? input.Word() : static_cast<uint16_t>(channels * ((bits + 7) / 8));
  std::vector<uint8_t> fmt;
  Put16(fmt, extensible ? 0xFFFE : (isFloat ? 0x0003 : 0x0001));
  Put16(fmt, channels);
  Put32(fmt, rate);
  Put32(fmt, rate * align);
  Put16(fmt, align);
  Put16(fmt, bits);
  if (!extensible) {
    return fmt;
  }
  static const uint8_t guidTail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  Put16(fmt, 22);
  Put16(fmt, (shape & 0x80) ? static_cast<uint16_t>(input.Byte() % 40) : bits);  // valid bits
  Put32(fmt, (shape & 0x80) ? input.Long() : 0);                                     // channel mask
  Put16(fmt, isFloat ? 0x0003 : ((shape & 0x80) ? input.Word() : 0x0001));
  fmt.insert(fmt.end(), std::begin(guidTail), std::end(guidTail));
  if (shape & 0x20) {
    fmt[fmt.size() - 1 - input.Byte() % 14] ^= 0x01;  // not an audio subformat
  }
  if (shape & 0x04) {
    fmt.resize(fmt.size() - 1 - input.Byte() % 30);  // an extensible body cut short
  }
  return fmt;
}

std::vector<uint8_t> BuildWideFile(uint8_t kind, TInput& input) {
  const bool rf64 = kind == 7 || (input.Byte() & 1);
  const std::vector<uint8_t> fmt = WideFormatBody(kind == 6 || kind == 7, kind == 5, input);
  const uint8_t sizes = input.Byte();
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  std::vector<uint8_t> data = input.Rest();
  if (rf64) {
    std::memcpy(file.data(), "RF64", 4);
    std::memset(file.data() + 4, 0xFF, 4);
    // The ds64 sizes are sound, or huge: past the file, up to 2^64 - 1.
    const uint64_t dataSize = (sizes & 1) ? ~uint64_t{0} >> (sizes >> 2) : data.size();
    std::vector<uint8_t> ds64;
    Put64(ds64, dataSize + 36);
    Put64(ds64, dataSize);
    Put64(ds64, 0);  // the sample count, which readers take from the data size instead
    Put32(ds64, 0);
    if (sizes & 2) {
      ds64.resize(sizes % 16);  // a ds64 too short for its sizes
    }
    PutChunk(file, "ds64", ds64);
  }
  PutChunk(file, "fmt ", fmt);
  PutChunk(file, "data", data);
  if (rf64) {
    std::memset(file.data() + file.size() - data.size() - 4, 0xFF, 4);
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
  const uint8_t kind = mode % 8;
  TMemoryStream stream(mode < 64 ? input.Rest() : (kind < 4 ? BuildFile(kind, input) : BuildWideFile(kind, input)));
  TWaveIn source;
  source.SetStream(&stream);
  source.GetTotalTime();
  Drain(source, (mode & 2) != 0);
  source.SetStartSample(mode & 0x3F);
  Drain(source, false);
  return 0;
}

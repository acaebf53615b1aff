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

namespace {

constexpr uint32_t Ds64BodySize = 28;  // RIFF size, data size, sample count (64 bits each), table length
constexpr uint16_t ExtensibleBodySize = 40;
constexpr std::array<uint8_t, 14> SubFormatGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

void AppendBytes(std::vector<uint8_t>& out, const void* bytes, size_t count) {
  const auto* first = static_cast<const uint8_t*>(bytes);
  out.insert(out.end(), first, first + count);
}

void Append16(std::vector<uint8_t>& out, uint16_t value) {
  uint8_t bytes[2];
  PutLe16(bytes, value);
  AppendBytes(out, bytes, 2);
}

void Append32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  PutLe32(bytes, value);
  AppendBytes(out, bytes, 4);
}

void AppendExtensibleFormat(std::vector<uint8_t>& out, const TPcmFormat& format) {
  const auto blockAlign = static_cast<uint16_t>(format.BytesPerFrame());
  const uint16_t code = format.Kind == TSampleKind::skFloat ? 0x0003 : 0x0001;
  AppendBytes(out, "fmt ", 4);
  Append32(out, ExtensibleBodySize);
  Append16(out, 0xFFFE);
  Append16(out, static_cast<uint16_t>(format.Channels));
  Append32(out, static_cast<uint32_t>(format.SampleRate));
  Append32(out, static_cast<uint32_t>(format.SampleRate) * blockAlign);
  Append16(out, blockAlign);
  Append16(out, static_cast<uint16_t>(format.BitsPerSample));
  Append16(out, ExtensibleBodySize - 18);  // the extension's size
  Append16(out, static_cast<uint16_t>(format.BitsPerSample));  // every bit of the container is valid
  Append32(out, format.ChannelMask != 0 ? format.ChannelMask : DefaultChannelMask(format.Channels));
  Append16(out, code);
  AppendBytes(out, SubFormatGuidTail.data(), SubFormatGuidTail.size());
}

}  // namespace

bool NeedsExtensibleHeader(const TPcmFormat& format) {
  return format.Kind == TSampleKind::skFloat || format.BitsPerSample > 16 || format.Channels > 2;
}

TWaveHeaderImage BuildWaveHeader(const TPcmFormat& format, int64_t dataSize) {
  TWaveHeaderImage header;
  const bool extensible = NeedsExtensibleHeader(format);
  if (!extensible && !NeedsRf64(dataSize + CanonicalPcmHeaderSize)) {
    const auto plain = BuildPcmHeader({static_cast<uint16_t>(format.Channels), static_cast<uint32_t>(format.SampleRate),
                                       static_cast<uint16_t>(format.BitsPerSample)},
                                      dataSize);
    header.Bytes.assign(plain.begin(), plain.end());
    return header;
  }
  std::vector<uint8_t>& out = header.Bytes;
  AppendBytes(out, "RIFF", 4);
  Append32(out, 0);  // set once the length is known
  AppendBytes(out, "WAVE", 4);
  header.Ds64Offset = static_cast<int64_t>(out.size());
  AppendBytes(out, "JUNK", 4);
  Append32(out, Ds64BodySize);
  out.resize(out.size() + Ds64BodySize, 0);
  if (extensible) {
    AppendExtensibleFormat(out, format);
  } else {
    const auto plain = BuildPcmHeader({static_cast<uint16_t>(format.Channels), static_cast<uint32_t>(format.SampleRate),
                                       static_cast<uint16_t>(format.BitsPerSample)},
                                      0);
    out.insert(out.end(), plain.begin() + 12, plain.begin() + 36);  // its "fmt " chunk
  }
  AppendBytes(out, "data", 4);
  header.DataSizeOffset = static_cast<int64_t>(out.size());
  Append32(out, AnnouncedSize32(dataSize));
  PutLe32(out.data() + RiffSizeOffset, AnnouncedSize32(dataSize < 0 ? dataSize : dataSize + static_cast<int64_t>(out.size()) - 8));
  return header;
}

bool NeedsRf64(int64_t fileLength) { return fileLength - 8 > 0xFFFFFFFFll; }

void WriteRf64Sizes(TStream& stream, const TWaveHeaderImage& header, int64_t dataStart, int32_t blockAlign) {
  const int64_t length = stream.Size();
  const auto dataBytes = static_cast<uint64_t>(length - dataStart);
  std::vector<uint8_t> ds64;
  AppendBytes(ds64, "ds64", 4);
  Append32(ds64, Ds64BodySize);
  for (const uint64_t value : {static_cast<uint64_t>(length - 8), dataBytes, dataBytes / static_cast<uint64_t>(blockAlign)}) {
    Append32(ds64, static_cast<uint32_t>(value));
    Append32(ds64, static_cast<uint32_t>(value >> 32));
  }
  Append32(ds64, 0);  // no table of other chunk sizes
  stream.Seek(header.Ds64Offset);
  stream.Write(ds64);
  stream.Seek(0);
  stream.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("RF64"), 4));
  WriteLe32At(stream, RiffSizeOffset, 0xFFFFFFFFu);
  WriteLe32At(stream, header.DataSizeOffset, 0xFFFFFFFFu);
}

void WriteLe32At(TStream& stream, int64_t position, uint32_t value) {
  std::array<uint8_t, 4> bytes{};
  PutLe32(bytes.data(), value);
  stream.Seek(position);
  stream.Write(bytes);
}

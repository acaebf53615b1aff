#include "formats/wave/WaveHeader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t ScanLimit = 8192;
constexpr size_t FmtBodyKept = 256;  // enough for the fields and 32 coefficient pairs

constexpr uint16_t ExtensibleTag = 0xFFFE;
constexpr uint16_t FloatTag = 0x0003;
constexpr uint32_t ExtensibleBodySize = 40;
constexpr uint32_t Ds64BodyNeeded = 16;  // the RIFF and data sizes; the sample count and table are not read
// The bytes of a subformat GUID after its leading format code: the base every audio subformat shares.
constexpr std::array<uint8_t, 14> SubFormatGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const uint8_t* p) { return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

// Reads the stream while counting the bytes consumed and keeping the last four of them.
class TScanReader {
public:
  explicit TScanReader(TStream& stream) : FStream(stream), FStreamSize(stream.Size()) {}

  bool ConsumeByte() {
    uint8_t byte = 0;
    if (FStream.Read(std::span<uint8_t>(&byte, 1)) != 1) {
      FEnded = true;
      return false;
    }
    ++FConsumed;
    std::memmove(FLast.data(), FLast.data() + 1, 3);
    FLast[3] = byte;
    return true;
  }

  // Consumes four bytes and returns them as a little-endian number.
  uint32_t Consume4() {
    for (int i = 0; i < 4; ++i) {
      if (!ConsumeByte()) {
        return 0;
      }
    }
    return Le32(FLast.data());
  }

  // Consumes `size` body bytes, keeping up to `kept.size()` of them; false when they run past the end.
  bool ConsumeBody(uint32_t size, std::span<uint8_t> kept) {
    const int64_t remaining = FStreamSize - FStream.Position();
    if (static_cast<int64_t>(size) > remaining) {
      FEnded = true;
      return false;
    }
    const size_t keep = std::min<size_t>(kept.size(), size);
    if (keep > 0 && FStream.Read(kept.first(keep)) != static_cast<int64_t>(keep)) {
      FEnded = true;
      return false;
    }
    FStream.Seek(FStream.Position() + (static_cast<int64_t>(size) - static_cast<int64_t>(keep)));
    FConsumed += size;
    return true;
  }

  bool Is(const char* id) const { return SameIdentifier(FLast.data(), id); }
  bool Ended() const { return FEnded; }
  int64_t Consumed() const { return FConsumed; }
  bool MayContinue() const { return !FEnded && FStream.Position() < FStreamSize && FConsumed < ScanLimit; }
  int64_t Position() const { return FStream.Position(); }

private:
  TStream& FStream;
  int64_t FStreamSize;
  int64_t FConsumed = 0;
  std::array<uint8_t, 4> FLast{};
  bool FEnded = false;
};

// The format code an extensible body stands for: its subformat when the GUID is an audio one, 0 otherwise.
uint16_t ExtensibleSubFormat(const uint8_t* body, uint32_t bodySize) {
  if (bodySize < ExtensibleBodySize || !std::equal(SubFormatGuidTail.begin(), SubFormatGuidTail.end(), body + 26)) {
    return 0;
  }
  return Le16(body + 24);
}

TWavType TypeOfTag(uint16_t tag, TWaveScanPurpose purpose) {
  switch (tag) {
    case 0x0001:
    case FloatTag:
      return wtPCM;
    case 0x0011:
      return wtDVIADPCM;
    case 0x0002:
      return purpose == TWaveScanPurpose::Read ? wtMSADPCM : wtUnsupported;
    case 0x0055:
      return purpose == TWaveScanPurpose::Read ? wtACM : wtUnsupported;
    default:
      return wtUnsupported;
  }
}

// Fills the format fields from the "fmt " body; false when the body cannot hold what the type needs.
bool TakeFormat(TWaveHeaderInfo& info, const uint8_t* body, uint32_t bodySize) {
  info.FormatTag = Le16(body);
  info.Channels = Le16(body + 2);
  info.SampleRate = Le32(body + 4);
  info.AvgBytesPerSec = Le32(body + 8);
  info.BlockAlign = Le16(body + 12);
  info.BitsPerSample = Le16(body + 14);
  if (bodySize < 16) {
    return false;
  }
  if (info.Extensible) {
    info.ChannelMask = Le32(body + 20);
  }
  info.Kind = info.SubFormat == FloatTag || info.FormatTag == FloatTag ? TSampleKind::skFloat : TSampleKind::skInteger;
  if (info.WavType == wtDVIADPCM || info.WavType == wtMSADPCM || info.WavType == wtACM) {
    if (bodySize < 20) {
      return false;
    }
    info.SamplesPerBlock = Le16(body + 18);
  }
  if (info.WavType == wtMSADPCM) {
    if (bodySize < 22) {
      return false;
    }
    info.CoefCount = Le16(body + 20);
    if (info.CoefCount > info.Coefs.size() || 22u + 4u * info.CoefCount > bodySize) {
      return false;
    }
    for (uint16_t i = 0; i < info.CoefCount; ++i) {
      info.Coefs[i].Coef1 = static_cast<int16_t>(Le16(body + 22 + 4 * i));
      info.Coefs[i].Coef2 = static_cast<int16_t>(Le16(body + 24 + 4 * i));
    }
  }
  return true;
}

}  // namespace

uint64_t DeclaredDataSize(const TWaveHeaderInfo& info) {
  return info.Rf64 && info.DataSize == 0xFFFFFFFFu ? info.Ds64DataSize : info.DataSize;
}

bool SameIdentifier(const uint8_t* a, const char* b) {
  for (int i = 0; i < 4; ++i) {
    const int difference = a[i] - static_cast<uint8_t>(b[i]);
    if (difference != 0 && difference != 32 && difference != -32) {
      return false;
    }
  }
  return true;
}

TWaveHeaderInfo ScanWaveHeader(TStream& stream, TWaveScanPurpose purpose) {
  TWaveHeaderInfo info;
  TScanReader reader(stream);
  reader.Consume4();
  if (reader.Ended()) {
    return info;
  }
  int state = 0;
  TWavType found = wtUnsupported;
  auto skipChunk = [&] {
    const uint32_t size = reader.Consume4();
    if (reader.Ended() || !reader.ConsumeBody(size, {})) {
      info.Damaged = true;
      return;
    }
    reader.Consume4();
  };
  auto takeDs64 = [&] {
    const uint32_t size = reader.Consume4();
    std::array<uint8_t, Ds64BodyNeeded> body{};
    if (reader.Ended() || size < Ds64BodyNeeded || !reader.ConsumeBody(size, body)) {
      info.Damaged = true;
      return;
    }
    info.Ds64DataSize = Le64(body.data() + 8);
    reader.Consume4();
  };
  do {
    if (state >= 2 && info.Rf64 && reader.Is("ds64")) {
      takeDs64();
      continue;
    }
    switch (state) {
      case 0:
      case 1:
        if (state == 0 && purpose == TWaveScanPurpose::Read && reader.Is("RF64")) {
          info.Rf64 = true;
          reader.Consume4();
          ++state;
        } else if (reader.Is(state == 0 ? "RIFF" : "WAVE")) {
          reader.Consume4();
          ++state;
        } else {
          reader.ConsumeByte();
        }
        break;
      case 2: {
        if (!reader.Is("fmt ")) {
          skipChunk();
          break;
        }
        const uint32_t size = reader.Consume4();
        std::array<uint8_t, FmtBodyKept> body{};
        if (reader.Ended() || !reader.ConsumeBody(size, body)) {
          info.Damaged = true;
          return info;
        }
        uint16_t tag = Le16(body.data());
        if (tag == ExtensibleTag) {
          info.Extensible = true;
          info.SubFormat = ExtensibleSubFormat(body.data(), size);
          // Only PCM and float samples are carried in the extensible form; other codes are unknown here.
          tag = info.SubFormat == 0x0001 || info.SubFormat == FloatTag ? info.SubFormat : ExtensibleTag;
        }
        found = tag == ExtensibleTag ? wtUnsupported : TypeOfTag(tag, purpose);
        if (found == wtUnsupported) {
          info.FormatTag = Le16(body.data());
          return info;
        }
        info.WavType = found;
        if (!TakeFormat(info, body.data(), size)) {
          info.Damaged = true;
        }
        info.WavType = wtUnsupported;
        reader.Consume4();
        // PCM goes straight to "data"; the compressed types need "fact" first.
        state = found == wtPCM ? 4 : 3;
        break;
      }
      case 3: {
        if (!reader.Is("fact")) {
          skipChunk();
          break;
        }
        const uint32_t size = reader.Consume4();
        std::array<uint8_t, 4> body{};
        const int64_t valuePosition = reader.Position();
        if (reader.Ended() || size < 4 || !reader.ConsumeBody(size, body)) {
          info.Damaged = true;
          return info;
        }
        info.FactSamples = static_cast<int32_t>(Le32(body.data()));
        info.FactValuePosition = valuePosition;
        reader.Consume4();
        state = 4;
        break;
      }
      case 4: {
        if (!reader.Is("data")) {
          skipChunk();
          break;
        }
        info.DataSizePosition = reader.Position();
        info.DataSize = reader.Consume4();
        if (reader.Ended()) {
          return info;
        }
        info.DataOffset = reader.Consumed();
        info.WavType = found;
        return info;
      }
    }
  } while (reader.MayContinue() && !info.Damaged);
  return info;
}

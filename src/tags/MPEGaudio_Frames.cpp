#include <algorithm>
#include <cstring>

#include "tags/MPEGaudio.h"
#include "tags/TagText.h"

namespace mpeg_frames {

namespace {

// Bit rates in kbit/s by version, layer and index; reserved versions and layers give 0.
constexpr uint16_t BitRates[4][4][16] = {
    {{0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{0}, {0}, {0}, {0}},
    {{0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}}};

constexpr uint16_t SampleRates[4][4] = {
    {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};

constexpr uint8_t MPEG1 = 3;
constexpr uint8_t LayerI = 3;
constexpr uint8_t Mono = 3;

void ParseVBR(std::span<const uint8_t> buffer, size_t at, TVBRData& vbr) {
  vbr = TVBRData{};
  const auto header = buffer.subspan(at);
  if (HasMarker(header, "Xing") && header.size() >= 128) {
    vbr.Found = true;
    vbr.ID = "Xing";
    vbr.Frames = static_cast<int32_t>(BigEndian32(&header[8]));
    vbr.Bytes = static_cast<int32_t>(BigEndian32(&header[12]));
    vbr.Scale = header[119];
    vbr.VendorID = BytesToString(header.subspan(120, 8));
  } else if (HasMarker(header, "VBRI") && header.size() >= 18) {
    vbr.Found = true;
    vbr.ID = "VBRI";
    vbr.Scale = header[9];
    vbr.Bytes = static_cast<int32_t>(BigEndian32(&header[10]));
    vbr.Frames = static_cast<int32_t>(BigEndian32(&header[14]));
  }
}

size_t VBROffset(const TFrameData& frame) {
  if (frame.VersionID == MPEG1) {
    return frame.ModeID == Mono ? 21 : 36;
  }
  return frame.ModeID == Mono ? 13 : 21;
}

}  // namespace

bool IsFrameHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) {
    return false;
  }
  const uint8_t version = (bytes[1] >> 3) & 3;
  const uint8_t layer = (bytes[1] >> 1) & 3;
  const uint8_t bitRate = bytes[2] >> 4;
  const uint8_t sampleRate = (bytes[2] >> 2) & 3;
  return bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0 && version != 1 && layer != 0 && bitRate != 15 &&
         bitRate != 0 && sampleRate != 3 && (bytes[3] & 3) != 2;
}

TFrameData DecodeHeader(std::span<const uint8_t> bytes) {
  TFrameData frame;
  std::memcpy(frame.Data.data(), bytes.data(), 4);
  frame.VersionID = (bytes[1] >> 3) & 3;
  frame.LayerID = (bytes[1] >> 1) & 3;
  frame.ProtectionBit = (bytes[1] & 1) == 0;
  frame.BitRateID = bytes[2] >> 4;
  frame.SampleRateID = (bytes[2] >> 2) & 3;
  frame.PaddingBit = (bytes[2] >> 1) & 1;
  frame.PrivateBit = bytes[2] & 1;
  frame.ModeID = bytes[3] >> 6;
  frame.ModeExtensionID = (bytes[3] >> 4) & 3;
  frame.CopyrightBit = (bytes[3] >> 3) & 1;
  frame.OriginalBit = (bytes[3] >> 2) & 1;
  frame.EmphasisID = bytes[3] & 3;
  return frame;
}

uint16_t TableBitRate(const TFrameData& frame) {
  return BitRates[frame.VersionID & 3][frame.LayerID & 3][frame.BitRateID & 15];
}

uint16_t TableSampleRate(const TFrameData& frame) { return SampleRates[frame.VersionID & 3][frame.SampleRateID & 3]; }

uint16_t Coefficient(const TFrameData& frame) {
  if (frame.VersionID == MPEG1) {
    return frame.LayerID == LayerI ? 48 : 144;
  }
  return frame.LayerID == LayerI ? 24 : 72;
}

uint8_t PaddingSize(const TFrameData& frame) {
  if (frame.PaddingBit == 0) {
    return 0;
  }
  return frame.LayerID == LayerI ? 4 : 1;
}

uint16_t FrameLength(const TFrameData& frame) {
  const uint32_t sampleRate = TableSampleRate(frame);
  if (sampleRate == 0) {
    return 0;
  }
  return static_cast<uint16_t>(uint32_t{Coefficient(frame)} * TableBitRate(frame) * 1000 / sampleRate +
                               PaddingSize(frame));
}

bool FindFrame(std::span<const uint8_t> buffer, TFrameData& frame, TVBRData& vbr) {
  frame = TFrameData{};
  const size_t positions = BufferSize / 2 + 1;
  for (size_t position = 0; position < positions && position + 4 <= buffer.size(); ++position) {
    const auto candidate = buffer.subspan(position);
    if (!IsFrameHeader(candidate)) {
      continue;
    }
    TFrameData decoded = DecodeHeader(candidate);
    const uint16_t length = FrameLength(decoded);
    if (position + length + 4 > buffer.size() || !IsFrameHeader(buffer.subspan(position + length))) {
      continue;
    }
    decoded.Found = true;
    decoded.Position = static_cast<int32_t>(position);
    decoded.Size = length;
    decoded.Xing = position + 10 <= buffer.size() &&
                   std::all_of(candidate.begin() + 4, candidate.begin() + 10, [](uint8_t b) { return b == 0; });
    frame = decoded;
    ParseVBR(buffer, position + VBROffset(frame), vbr);
    return true;
  }
  return false;
}

std::string FindVendor(std::span<const uint8_t> buffer, uint16_t frameSize) {
  if (buffer.size() < BufferSize) {
    return {};
  }
  for (int i = 0; i <= 2 * frameSize && 3450 - i >= 0; ++i) {
    const auto at = buffer.subspan(static_cast<size_t>(3450 - i));
    if (HasMarker(at, "LAME")) {
      return BytesToString(at.first(8));
    }
    if (HasMarker(at, "GOGO")) {
      return "GOGO";
    }
  }
  return {};
}

}  // namespace mpeg_frames

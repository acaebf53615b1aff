#pragma once

// Stream parameters of an MPEG audio file read from its first frame header, an optional Xing or
// VBRI header and an encoder signature near the end of the file; nothing is decoded.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/Streams.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

struct TVBRData {
  bool Found = false;
  std::string ID;  // "Xing" or "VBRI"
  int32_t Frames = 0;
  int32_t Bytes = 0;
  uint8_t Scale = 0;
  std::string VendorID;  // encoder string stored after a Xing header
};

struct TFrameData {
  bool Found = false;
  int32_t Position = 0;  // within the buffer the header was found in
  uint16_t Size = 0;     // frame length in bytes
  bool Xing = false;     // the six bytes after the header are zero
  std::array<uint8_t, 4> Data{};
  uint8_t VersionID = 1;  // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
  uint8_t LayerID = 0;    // 0 reserved, 1 Layer III, 2 Layer II, 3 Layer I
  bool ProtectionBit = false;
  uint16_t BitRateID = 0;
  uint16_t SampleRateID = 3;
  uint8_t PaddingBit = 0;
  uint8_t PrivateBit = 0;
  uint8_t ModeID = 4;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono, 4 unknown
  uint8_t ModeExtensionID = 4;
  uint8_t CopyrightBit = 0;
  uint8_t OriginalBit = 0;
  uint8_t EmphasisID = 2;
};

enum TMPEGEncoder { meUnknown, meXing, meFhG, meLAME, meBlade, meGoGo, meShine };

class TMPEGaudio {
public:
  TMPEGaudio() { Reset(); }

  // False when the file cannot be read (one under 128 bytes included).
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(TStream& stream);

  int64_t FileLength() const { return FFileLength; }
  const std::string& VendorID() const { return FVendorID; }
  const TVBRData& VBR() const { return FVBR; }
  const TFrameData& Frame() const { return FFrame; }
  const TID3v1& ID3v1() const { return FID3v1; }
  const TID3v2& ID3v2() const { return FID3v2; }

  std::string Version() const;
  std::string Layer() const;
  uint16_t BitRate() const;     // kbit/s
  uint16_t SampleRate() const;  // Hz
  std::string ChannelMode() const;
  std::string Emphasis() const;
  int32_t FramesCount() const;
  double Duration() const;  // seconds
  uint8_t EncoderID() const;
  std::string Encoder() const;
  bool Valid() const;

private:
  void Reset();
  void ReadStream(TStream& stream);
  bool HasVBRFrames() const { return FVBR.Found && FVBR.Frames > 0; }
  int64_t AudioLength() const;
  uint8_t VBREncoderID() const;
  uint8_t CBREncoderID() const;

  int64_t FFileLength;
  int64_t FAudioEnd;  // before the tags that follow the audio
  std::string FVendorID;
  TVBRData FVBR;
  TFrameData FFrame;
  TID3v1 FID3v1;
  TID3v2 FID3v2;
};

// The pieces of the reader that work on one buffer, apart so that they can be tested alone.
namespace mpeg_frames {
inline constexpr size_t BufferSize = 3458;  // twice the longest frame
bool IsFrameHeader(std::span<const uint8_t> bytes);
TFrameData DecodeHeader(std::span<const uint8_t> bytes);
uint16_t TableBitRate(const TFrameData& frame);
uint16_t TableSampleRate(const TFrameData& frame);
uint16_t Coefficient(const TFrameData& frame);
uint8_t PaddingSize(const TFrameData& frame);
uint16_t FrameLength(const TFrameData& frame);
// The first of two consecutive valid headers, and the VBR header of that frame.
bool FindFrame(std::span<const uint8_t> buffer, TFrameData& frame, TVBRData& vbr);
// "LAME" and four more characters, or "GOGO", searched backwards from the end of the buffer.
std::string FindVendor(std::span<const uint8_t> buffer, uint16_t frameSize);
}  // namespace mpeg_frames

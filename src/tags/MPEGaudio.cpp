#include "tags/MPEGaudio.h"

#include <cmath>
#include <vector>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"
#include "tags/TrailingTags.h"

using namespace mpeg_frames;

namespace {

constexpr std::array<const char*, 4> VersionNames = {"MPEG 2.5", "MPEG ?", "MPEG 2", "MPEG 1"};
constexpr std::array<const char*, 4> LayerNames = {"Layer ?", "Layer III", "Layer II", "Layer I"};
constexpr std::array<const char*, 5> ChannelModeNames = {"Stereo", "Joint Stereo", "Dual Channel", "Mono",
                                                         "Unknown"};
constexpr std::array<const char*, 4> EmphasisNames = {"None", "50/15 ms", "Unknown", "CCIT J.17"};
constexpr std::array<const char*, 7> EncoderNames = {"Unknown", "Xing", "FhG", "LAME", "Blade", "GoGo", "Shine"};

template <size_t N>
std::string NameAt(const std::array<const char*, N>& names, size_t index, const char* otherwise = "") {
  return index < N ? names[index] : otherwise;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<uint8_t> ReadBuffer(TStream& stream, int64_t position, int64_t& got) {
  std::vector<uint8_t> buffer(BufferSize);
  got = ReadAt(stream, position, buffer);
  return buffer;
}

}  // namespace

void TMPEGaudio::Reset() {
  FFileLength = 0;
  FAudioEnd = 0;
  FVendorID.clear();
  FVBR = TVBRData{};
  FFrame = TFrameData{};
  FID3v1 = TID3v1{};
  FID3v2 = TID3v2{};
}

bool TMPEGaudio::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TMPEGaudio::LoadFromStream(TStream& stream) {
  Reset();
  const bool tagsRead = FID3v1.LoadFromStream(stream) && FID3v2.LoadFromStream(stream);
  if (tagsRead) {
    ReadStream(stream);
  }
  if (!FFrame.Found) {
    Reset();
  }
  return tagsRead;
}

void TMPEGaudio::ReadStream(TStream& stream) {
  FFileLength = stream.Size();
  FAudioEnd = AudioEndBeforeTrailingTags(stream, FID3v2.Size());
  int64_t got = 0;
  std::vector<uint8_t> buffer = ReadBuffer(stream, FID3v2.Size(), got);
  bool found = FindFrame(buffer, FFrame, FVBR);
  if (!found && got == static_cast<int64_t>(BufferSize)) {
    // Junk at the start: try again from the middle of the audio.
    buffer = ReadBuffer(stream, (FFileLength - FID3v2.Size()) / 2, got);
    found = FindFrame(buffer, FFrame, FVBR);
  }
  if (!found || FVBR.Found) {
    return;
  }
  const int64_t tail = FAudioEnd - static_cast<int64_t>(BufferSize);
  if (tail >= 0) {
    buffer = ReadBuffer(stream, tail, got);
    FVendorID = FindVendor(buffer, FFrame.Size);
  }
}

std::string TMPEGaudio::Version() const { return NameAt(VersionNames, FFrame.VersionID); }

std::string TMPEGaudio::Layer() const { return NameAt(LayerNames, FFrame.LayerID); }

uint16_t TMPEGaudio::SampleRate() const { return TableSampleRate(FFrame); }

std::string TMPEGaudio::ChannelMode() const { return NameAt(ChannelModeNames, FFrame.ModeID, "Unknown"); }

std::string TMPEGaudio::Emphasis() const { return NameAt(EmphasisNames, FFrame.EmphasisID, "Unknown"); }

uint16_t TMPEGaudio::BitRate() const {
  if (!HasVBRFrames() || SampleRate() == 0) {
    return TableBitRate(FFrame);
  }
  const double frameBytes = static_cast<double>(FVBR.Bytes) / FVBR.Frames - PaddingSize(FFrame);
  return RoundTo16(frameBytes * SampleRate() / Coefficient(FFrame) / 1000);
}

int64_t TMPEGaudio::AudioLength() const { return FAudioEnd - FID3v2.Size() - FFrame.Position; }

int32_t TMPEGaudio::FramesCount() const {
  if (FVBR.Found) {
    return FVBR.Frames;
  }
  return FFrame.Size == 0 ? 0 : static_cast<int32_t>(AudioLength() / FFrame.Size);
}

double TMPEGaudio::Duration() const {
  if (!FFrame.Found) {
    return 0;
  }
  if (HasVBRFrames()) {
    return SampleRate() == 0 ? 0 : double(Coefficient(FFrame)) * FVBR.Frames * 8 / SampleRate();
  }
  const uint16_t bitRate = TableBitRate(FFrame);
  return bitRate == 0 ? 0 : static_cast<double>(AudioLength()) * 8 / bitRate / 1000;
}

bool TMPEGaudio::Valid() const {
  return FFrame.Found && BitRate() >= 8 && BitRate() <= 448 && Duration() >= 0.1;
}

uint8_t TMPEGaudio::VBREncoderID() const {
  const std::string& vendor = FVBR.VendorID;
  const bool gogo = vendor.starts_with("GOGO") || vendor.starts_with("MPGE");
  const bool lame = vendor.starts_with("LAME");
  uint8_t id = gogo ? meGoGo : lame ? meLAME : meUnknown;
  if (FVBR.ID == "Xing" && !gogo && !lame) {
    id = meXing;
  }
  if (FVBR.ID == "VBRI") {
    id = meFhG;
  }
  return id;
}

uint8_t TMPEGaudio::CBREncoderID() const {
  uint8_t id = FFrame.OriginalBit && FFrame.ProtectionBit ? meLAME : meFhG;
  if (TableBitRate(FFrame) <= 160 && FFrame.ModeID == 0) {
    id = meBlade;
  }
  if (FFrame.CopyrightBit && FFrame.OriginalBit && !FFrame.ProtectionBit) {
    id = meXing;
  }
  if (FFrame.Xing && FFrame.OriginalBit) {
    id = meXing;
  }
  if (FFrame.ModeID == 2 && FFrame.ProtectionBit) {
    id = meShine;
  }
  if (FVendorID.starts_with("GOGO")) {
    id = meGoGo;
  } else if (FVendorID.starts_with("LAME")) {
    id = meLAME;
  }
  return id;
}

uint8_t TMPEGaudio::EncoderID() const {
  if (!FFrame.Found) {
    return meUnknown;
  }
  return FVBR.Found ? VBREncoderID() : CBREncoderID();
}

std::string TMPEGaudio::Encoder() const {
  const uint8_t id = EncoderID();
  std::string text = NameAt(EncoderNames, id);
  const std::string& vendor = FVendorID.empty() ? FVBR.VendorID : FVendorID;
  if (id == meLAME && vendor.size() > 7 && IsDigit(vendor[4]) && vendor[5] == '.' && IsDigit(vendor[6]) &&
      IsDigit(vendor[7])) {
    text += " " + vendor.substr(4, 4);
  }
  return text;
}

#include "formats/directshow/ACS_DX9.h"

#include <algorithm>

namespace {

constexpr int64_t TicksPerSecond = 10000000;

}  // namespace

std::string DX9StartupMessage(const std::function<std::string()>& missingDecoders) { return missingDecoders(); }

TDX9In::~TDX9In() = default;

void TDX9In::OpenFile() {
  FValid = true;
  if (FOpenCount == 0) {
    try {
      FReader = std::make_unique<TcbAudioFileReader>(FFileName);
    } catch (...) {
      FValid = false;
      throw;
    }
    const TWaveFormatEx& format = FReader->WaveFormat();
    FSR = static_cast<int32_t>(format.SamplesPerSec);
    FBPS = format.BitsPerSample;
    FChan = format.Channels;
    // The exact playing time in whole frames, so Progress ends at 100 rather than past it.
    const int64_t frames = (FReader->StreamDuration() * FSR + TicksPerSecond / 2) / TicksPerSecond;
    FSize = frames * FrameBytes();
    FTotalSamples = Size() / FrameBytes();
    FSeekable = true;
  }
  ++FOpenCount;
}

void TDX9In::CloseFile() {
  if (FOpenCount == 1) {
    FReader.reset();
  }
  if (FOpenCount > 0) {
    --FOpenCount;
  }
}

void TDX9In::Init() {
  TACSFileIn::Init();
  FDecodeBuffer.resize(DecodeBufferSize);
}

void TDX9In::Flush() {
  TACSFileIn::Flush();
  FDecodeBuffer.clear();
  FDecodeBuffer.shrink_to_fit();
  FSeekRequest = 0;
}

bool TDX9In::Seek(int64_t sampleNumber) {
  FSeekRequest = sampleNumber;
  return false;
}

void TDX9In::ApplySeekRequest() {
  const int64_t bytes = std::clamp<int64_t>(FSeekRequest * FrameBytes(), 0, Size());
  FPosition = bytes;
  // The time comes from the frame and the rate: a whole number of time units per byte would
  // drift by up to a percent over a long stream.
  FReader->SetPosition(bytes / FrameBytes() * TicksPerSecond / FSR);
  FSeekRequest = 0;
}

int32_t TDX9In::Refill() {
  if (FSeekRequest != 0) {
    ApplySeekRequest();
  }
  FBufStart = 1;
  int32_t n = FReader->ReadData(FDecodeBuffer);
  if (n == 0 && FLoop) {
    // Once only: a stream with no audio at all would otherwise loop for ever.
    FReader->SetPosition(0);
    n = FReader->ReadData(FDecodeBuffer);
  }
  FBufEnd = n;
  // The playing time in a file's header is an estimate for some files (an MP3 file's encoder
  // delay, a WMA file's last packet); once the end is in the buffer, Size is made exact so
  // Progress ends at 100.
  if (!FLoop && FReader->EndOfStream()) {
    FSize = Position() + n;
  }
  if (FReadFault.empty()) {
    FReadFault = FReader->ReadFault();
  }
  return n;
}

int64_t TDX9In::SizeSlack() {
  // A stated length still counts the encoder's padding, up to a few frames; a second covers it.
  return FReader && FReader->LengthStated() ? static_cast<int64_t>(FSR) * FrameBytes() : -1;
}

int32_t TDX9In::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw std::runtime_error("The Stream is not opened");
  }
  if (BufferUsedUp() && Refill() == 0) {
    return 0;
  }
  const int32_t n = CopyFromBuffer(FDecodeBuffer.data(), buffer);
  // A stream longer than its estimated length delivers everything it has; its Size follows.
  if (!FLoop && Size() > 0 && Position() > Size()) {
    FSize = Position();
  }
  return n;
}

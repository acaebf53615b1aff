#include "formats/ffmpeg/ACS_FFmpeg.h"

#include <algorithm>

#include "platform/StreamError.h"

namespace {

// Why a file cannot be opened for reading ("<file>: cannot open (...)"); empty when it can. A
// pipe or a device is refused here, before FFmpeg would wait on it.
std::string OpenProblem(const std::string& fileName) {
  try {
    TFileStream probe(fileName, fmOpenRead);
  } catch (const EStreamError& error) {
    return error.what();
  }
  return {};
}

}  // namespace

TFFmpegIn::~TFFmpegIn() = default;

void TFFmpegIn::ClearFormat() {
  FFormat = TPcmFormat{};
  FChan = FSR = FBPS = 0;
  FSize = 0;
  FTotalSamples = 0;
}

void TFFmpegIn::OpenFile() {
  if (FOpenCount == 0) {
    ClearFormat();
    FInvalidReason = OpenProblem(FFileName);
    FValid = FInvalidReason.empty();
    if (FValid) {
      auto reader = std::make_unique<TMediaStream>();
      if (reader->OpenFile(FFileName, moNative) != MR_OK) {
        FValid = false;
        throw EACSException(FFileName + ": " + reader->Problem());
      }
      FReader = std::move(reader);
      FFormat = FReader->PcmFormat();
      FSR = FFormat.SampleRate;
      FBPS = FFormat.BitsPerSample;
      FChan = FFormat.Channels;
      FTotalSamples = FReader->TotalFrames();
      FSize = FTotalSamples * FFormat.BytesPerFrame();
      FSeekable = true;
    }
  }
  ++FOpenCount;
}

void TFFmpegIn::CloseFile() {
  if (FOpenCount == 1) {
    FReader.reset();
  }
  if (FOpenCount > 0) {
    --FOpenCount;
  }
}

TPcmFormat TFFmpegIn::GetFormat() {
  OpenFile();
  const TPcmFormat format = FFormat;
  CloseFile();
  return format;
}

void TFFmpegIn::Init() {
  TACSFileIn::Init();
  if (!FValid || !FReader) {
    const std::string reason = FInvalidReason;
    Flush();
    throw EACSException(reason.empty() ? FFileName + ": cannot open" : reason);
  }
  FDecodeBuffer.resize(static_cast<size_t>(DecodeBufferSize / FFormat.BytesPerFrame() * FFormat.BytesPerFrame()));
}

void TFFmpegIn::Flush() {
  TACSFileIn::Flush();
  FDecodeBuffer.clear();
  FDecodeBuffer.shrink_to_fit();
}

bool TFFmpegIn::Seek(int64_t sampleNumber) {
  if (!FReader || FReader->SeekFrame(sampleNumber) != MR_OK) {
    return false;
  }
  FPosition = sampleNumber * FFormat.BytesPerFrame();
  FBufStart = 1;
  FBufEnd = 0;
  return true;
}

int32_t TFFmpegIn::ReadDecoded() {
  size_t room = FDecodeBuffer.size();
  // Only a range the caller asked for ends before the stream does.
  if (FEndSample != -1) {
    room = static_cast<size_t>(std::clamp<int64_t>(Size() - Position(), 0, static_cast<int64_t>(room)));
  }
  if (room == 0) {
    return 0;
  }
  int32_t filled = 0;
  int64_t startTime = 0;
  int64_t endTime = 0;
  const TMediaResult result = FReader->Update(std::span(FDecodeBuffer.data(), room), filled, startTime, endTime);
  if (result == MS_S_ENDOFSTREAM) {
    return 0;
  }
  if (result != MR_OK) {
    throw EACSException(FFileName + ": " + FReader->Problem());
  }
  return filled;
}

int32_t TFFmpegIn::Refill() {
  FBufStart = 1;
  int32_t n = ReadDecoded();
  if (n == 0 && FLoop) {
    // Once only: a stream with no audio at all would otherwise loop for ever.
    FReader->SeekFrame(FStartSample);
    FPosition = 0;
    n = ReadDecoded();
  }
  FBufEnd = n;
  // The length the container states may be an estimate; once the end is in the buffer, Size is
  // made exact so Progress ends at 100.
  if (!FLoop && FEndSample == -1 && FReader->EndOfStream()) {
    FSize = Position() + n;
  }
  if (FReadFault.empty()) {
    FReadFault = FReader->ReadFault();
  }
  return n;
}

int64_t TFFmpegIn::SizeSlack() {
  if (!FReader || !FReader->LengthStated()) {
    return -1;
  }
  // A stated length that is not exact still counts the encoder's padding; a second covers it.
  return FReader->LengthExact() ? 0 : static_cast<int64_t>(FSR) * FFormat.BytesPerFrame();
}

int32_t TFFmpegIn::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  if (BufferUsedUp() && Refill() == 0) {
    return 0;
  }
  const int32_t n = CopyFromBuffer(FDecodeBuffer.data(), buffer);
  if (!FLoop && Size() >= 0 && Position() > Size()) {
    FSize = Position();
  }
  return n;
}

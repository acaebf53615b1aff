#include "support/FakeComponents.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace testing_support {

TMemorySource::TMemorySource(std::vector<uint8_t> bytes, int32_t bitsPerSample, int32_t channels, int32_t sampleRate)
    : FBytes(std::move(bytes)), FBits(bitsPerSample), FChannels(channels), FRate(sampleRate),
      FFormat{bitsPerSample, TSampleKind::skInteger, channels, sampleRate, 0} {}

TMemorySource::TMemorySource(std::vector<uint8_t> bytes, const TPcmFormat& format)
    : FBytes(std::move(bytes)), FBits(format.BitsPerSample), FChannels(format.Channels), FRate(format.SampleRate),
      FFormat(format) {}

int32_t TMemorySource::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  ++GetDataCalls;
  if (FailAfter && FOffset >= *FailAfter) {
    throw EACSException("source failed");
  }
  const size_t count = std::min({buffer.size(), FBytes.size() - FOffset, static_cast<size_t>(MaxPerCall)});
  std::memcpy(buffer.data(), FBytes.data() + FOffset, count);
  FOffset += count;
  FPosition += static_cast<int32_t>(count);
  return static_cast<int32_t>(count);
}

void TMemorySource::Init() {
  ++InitCount;
  FOffset = 0;
  FPosition = 0;
  FSize = AnnouncedSize.value_or(static_cast<int64_t>(FBytes.size()));
  FBusy = true;
}

void TMemorySource::Flush() {
  ++FlushCount;
  FBusy = false;
}

TMemorySink::~TMemorySink() { EndWorker(); }

bool TMemorySink::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  std::vector<uint8_t> chunk(static_cast<size_t>(ChunkSize));
  const int32_t count = ReadInput(chunk);
  if (count <= 0) {
    return false;
  }
  Received.insert(Received.end(), chunk.begin(), chunk.begin() + count);
  return true;
}

void TMemorySink::Done() {
  ++DoneCount;
  FlushInput();
  if (FailInDone) {
    throw EACSException("done failed");
  }
}

void TMemorySink::Prepare() {
  ++PrepareCount;
  if (FailInPrepare) {
    throw EACSException("prepare failed");
  }
  Received.clear();
  Input()->Init();
}

TSinkWaiter::TSinkWaiter(TACSOutput& sink) {
  sink.SetOnDone([this](TComponent*) {
    std::lock_guard lock(FMutex);
    FDone = true;
    FEnded.notify_all();
  });
  sink.SetOnThreadException([this](TComponent*, const std::exception& error) {
    std::lock_guard lock(FMutex);
    FDone = true;
    FFailed = true;
    FError = error.what();
    FEnded.notify_all();
  });
}

bool TSinkWaiter::Wait(int milliseconds) {
  std::unique_lock lock(FMutex);
  return FEnded.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return FDone; });
}

void TSinkWaiter::Reset() {
  std::lock_guard lock(FMutex);
  FDone = false;
  FFailed = false;
  FError.clear();
}

}  // namespace testing_support

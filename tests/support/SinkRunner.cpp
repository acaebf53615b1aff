#include "support/SinkRunner.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace testing_support {

TRunOutcome RunToEnd(TACSOutput& sink, std::chrono::seconds timeout) {
  // Shared with the handlers, which stay set after the run and may still be returning.
  struct TState {
    std::mutex Mutex;
    std::condition_variable Ended;
    TRunOutcome Outcome;
    bool Finished = false;
  };
  auto state = std::make_shared<TState>();
  sink.SetOnDone([state](TComponent*) {
    std::lock_guard lock(state->Mutex);
    state->Outcome.Done = true;
    state->Finished = true;
    state->Ended.notify_all();
  });
  sink.SetOnThreadException([state](TComponent*, const std::exception& error) {
    std::lock_guard lock(state->Mutex);
    state->Outcome.Failed = true;
    state->Outcome.Error = error.what();
    state->Finished = true;
    state->Ended.notify_all();
  });
  sink.Run();
  std::unique_lock lock(state->Mutex);
  if (!state->Ended.wait_for(lock, timeout, [&] { return state->Finished; })) {
    throw std::runtime_error("the run did not end in time");
  }
  return state->Outcome;
}

TMemoryPcmSource::TMemoryPcmSource(std::vector<uint8_t> pcm, int32_t channels, int32_t sampleRate, int32_t bitsPerSample)
    : FPcm(std::move(pcm)), FChannels(channels), FRate(sampleRate), FBits(bitsPerSample) {
  FSize = static_cast<int32_t>(FPcm.size());
}

int32_t TMemoryPcmSource::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  const size_t n = std::min({buffer.size(), FPcm.size() - FNext, static_cast<size_t>(PieceSize)});
  std::copy_n(FPcm.begin() + static_cast<std::ptrdiff_t>(FNext), n, buffer.begin());
  FNext += n;
  FPosition += static_cast<int32_t>(n);
  return static_cast<int32_t>(n);
}

void TMemoryPcmSource::Init() {
  FBusy = true;
  FNext = 0;
  FPosition = 0;
}

void TMemoryPcmSource::Flush() {
  FBusy = false;
  ++FlushCount;
}

}  // namespace testing_support

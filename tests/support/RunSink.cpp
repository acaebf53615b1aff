#include "support/RunSink.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "formats/wave/ACS_Wave.h"

namespace testing_support {

namespace {

struct TRunState {
  std::mutex Mutex;
  std::condition_variable Finished;
  TRunOutcome Outcome;
  bool Over = false;
  bool Called = false;
};

}  // namespace

TRunOutcome RunToEnd(TACSOutput& sink, std::function<void()> duringRun) {
  // The handlers may outlive this call on the worker, so they share their state by ownership.
  auto state = std::make_shared<TRunState>();
  sink.SetOnDone([state](TComponent*) {
    std::lock_guard lock(state->Mutex);
    state->Outcome.Done = true;
    state->Over = true;
    state->Finished.notify_all();
  });
  sink.SetOnThreadException([state](TComponent*, const std::exception& error) {
    std::lock_guard lock(state->Mutex);
    state->Outcome.Failed = true;
    state->Outcome.Message = error.what();
    state->Over = true;
    state->Finished.notify_all();
  });
  sink.SetOnProgress([state, duringRun](TComponent*) {
    if (duringRun && !state->Called) {
      state->Called = true;
      duringRun();
    }
  });
  sink.Run();
  std::unique_lock lock(state->Mutex);
  state->Finished.wait_for(lock, std::chrono::seconds(120), [&] { return state->Over; });
  return state->Outcome;
}

TRunOutcome ConvertWave(const std::string& wavFile, TACSFileOut& sink, const std::string& outFile,
                        std::function<void()> duringRun) {
  TWaveIn source;
  source.SetFileName(wavFile);
  sink.SetInput(&source);
  sink.SetFileName(outFile);
  TRunOutcome outcome = RunToEnd(sink, std::move(duringRun));
  sink.SetInput(nullptr);
  return outcome;
}

std::vector<uint8_t> DrainSource(TACSInput& source, size_t request) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(request);
  while (true) {
    const int32_t count = source.GetData(buffer);
    if (count <= 0) {
      break;
    }
    all.insert(all.end(), buffer.begin(), buffer.begin() + count);
  }
  return all;
}

std::vector<uint8_t> ReadWavePcm(const std::string& wavFile) {
  TWaveIn source;
  source.SetFileName(wavFile);
  source.Init();
  std::vector<uint8_t> pcm = DrainSource(source, 16384);
  source.Flush();
  return pcm;
}

}  // namespace testing_support

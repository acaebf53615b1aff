// Copies a PCM WAV file through the WAV source, the sink's worker and the WAV sink.
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "formats/wave/ACS_Wave.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: wav_copy IN.wav OUT.wav\n");
    return 2;
  }
  TWaveIn source;
  source.SetFileName(argv[1]);
  TWaveOut sink;
  sink.SetFileName(argv[2]);
  sink.SetInput(&source);
  std::mutex mutex;
  std::condition_variable ended;
  bool finished = false;
  std::string failure;
  auto finish = [&](const std::string& message) {
    std::lock_guard lock(mutex);
    failure = message;
    finished = true;
    ended.notify_all();
  };
  sink.SetOnDone([&](TComponent*) { finish(""); });
  sink.SetOnThreadException([&](TComponent*, const std::exception& error) { finish(error.what()); });
  sink.Run();
  std::unique_lock lock(mutex);
  ended.wait(lock, [&] { return finished; });
  if (!failure.empty()) {
    std::fprintf(stderr, "wav_copy: %s\n", failure.c_str());
    return 1;
  }
  return 0;
}

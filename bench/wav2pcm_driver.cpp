// wav2pcm_driver IN.wav OUT.wav: decodes any WAV file the source reads into a 16-bit or 8-bit PCM
// WAV file through the pipeline (source, sink, worker thread), as the converter does.

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "formats/wave/ACS_Wave.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s IN.wav OUT.wav\n", argv[0]);
    return 2;
  }
  TWaveIn source;
  source.SetFileName(argv[1]);
  source.OpenFile();
  const bool valid = source.Valid();
  source.CloseFile();
  if (!valid) {
    std::fprintf(stderr, "%s: not a WAV file this program can read\n", argv[1]);
    return 1;
  }
  TWaveOut sink;
  sink.SetFileName(argv[2]);
  sink.SetInput(&source);
  std::mutex mutex;
  std::condition_variable ended;
  bool finished = false;
  std::string failure;
  auto finish = [&](const std::string& text) {
    std::lock_guard lock(mutex);
    failure = text;
    finished = true;
    ended.notify_all();
  };
  sink.SetOnDone([&](TComponent*) { finish(""); });
  sink.SetOnThreadException([&](TComponent*, const std::exception& error) { finish(error.what()); });
  sink.Run();
  std::unique_lock lock(mutex);
  ended.wait(lock, [&] { return finished; });
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    return 1;
  }
  return 0;
}

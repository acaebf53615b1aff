// Decodes one file through TFFmpegIn into a WAV file, as a conversion does: ffmpeg_in in.m4a out.wav

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "formats/ffmpeg/ACS_FFmpeg.h"
#include "formats/wave/ACS_Wave.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s input output.wav\n", argv[0]);
    return 2;
  }
  TFFmpegIn source;
  source.SetFileName(argv[1]);
  TWaveOut sink;
  sink.SetInput(&source);
  sink.SetFileName(argv[2]);
  std::mutex mutex;
  std::condition_variable ended;
  bool finished = false;
  std::string failure;
  sink.SetOnDone([&](TComponent*) {
    std::lock_guard lock(mutex);
    finished = true;
    ended.notify_all();
  });
  sink.SetOnThreadException([&](TComponent*, const std::exception& error) {
    std::lock_guard lock(mutex);
    failure = error.what();
    finished = true;
    ended.notify_all();
  });
  sink.Run();
  std::unique_lock lock(mutex);
  ended.wait(lock, [&] { return finished; });
  if (!failure.empty()) {
    std::fprintf(stderr, "%s: %s\n", argv[1], failure.c_str());
    return 1;
  }
  return 0;
}

// Converts one WAV file with one of the codec sinks, the way a conversion does it: the benchmark
// scripts time it against the reference encoders.
//
//   codec_convert mp3 IN.wav OUT.mp3 [kbit/s] [quality]
//   codec_convert ogg IN.wav OUT.ogg [compression]
//   codec_convert flac IN.wav OUT.flac

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "formats/flac/ACS_FLAC.h"
#include "formats/mp3/ACS_LAME.h"
#include "formats/vorbis/ACS_Vorbis.h"
#include "formats/wave/ACS_Wave.h"

namespace {

TMP3BitRate BitRateFor(int kbps) {
  for (int member = TMP3BitRate::br8; member <= TMP3BitRate::br320; ++member) {
    if (MP3KbitPerSecond(static_cast<TMP3BitRate>(member)) == kbps) {
      return static_cast<TMP3BitRate>(member);
    }
  }
  return TMP3BitRate::br128;
}

std::unique_ptr<TACSFileOut> MakeSink(const std::string& format, int argc, char** argv) {
  if (format == "mp3") {
    auto sink = std::make_unique<TMP3Out>();
    sink->SetBitRate(BitRateFor(argc > 4 ? std::atoi(argv[4]) : 192));
    sink->SetQuality(static_cast<TMP3Quality>(argc > 5 ? std::atoi(argv[5]) : 5));
    return sink;
  }
  if (format == "ogg") {
    auto sink = std::make_unique<TVorbisOut>();
    sink->SetCompression(argc > 4 ? std::strtof(argv[4], nullptr) : 0.75f);
    return sink;
  }
  if (format == "flac") {
    return std::make_unique<TFLACOut>();
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s mp3|ogg|flac IN.wav OUT [settings]\n", argv[0]);
    return 2;
  }
  try {
    TWaveIn source;
    source.SetFileName(argv[2]);
    std::unique_ptr<TACSFileOut> sink = MakeSink(argv[1], argc, argv);
    if (!sink) {
      std::fprintf(stderr, "unknown format %s\n", argv[1]);
      return 2;
    }
    sink->SetFileName(argv[3]);
    sink->SetInput(&source);
    std::mutex mutex;
    std::condition_variable finished;
    bool over = false;
    std::string failure;
    sink->SetOnDone([&](TComponent*) {
      std::lock_guard lock(mutex);
      over = true;
      finished.notify_all();
    });
    sink->SetOnThreadException([&](TComponent*, const std::exception& error) {
      std::lock_guard lock(mutex);
      failure = error.what();
      over = true;
      finished.notify_all();
    });
    sink->Run();
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return over; });
    lock.unlock();
    sink.reset();
    if (!failure.empty()) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}

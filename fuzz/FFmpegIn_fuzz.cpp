// Any file given to the general FFmpeg source (a broken M4A, Opus, WavPack, AIFF, ... container)
// is refused with a message or decodes to an end; it never crashes or hangs the source.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/ffmpeg/ACS_FFmpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kestrune-ffmpeg-in-fuzz-" + std::to_string(::getpid()) + ".m4a";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return 0;
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  TFFmpegIn source;
  source.SetFileName(path);
  try {
    source.SetStartSample(source.GetFormat().Channels > 0 ? 3 : 0);
    source.Init();
    std::vector<uint8_t> buffer(16384);
    // Enough for any sensible input of this size; stops a stream that decodes without end.
    for (int pieces = 0; pieces < 256 && source.GetData(buffer) > 0; ++pieces) {
    }
    source.Seek(1);
    source.GetData(buffer);
    source.Flush();
  } catch (const EACSException&) {
  }
  std::remove(path.c_str());
  return 0;
}

// Any file given as MP3 or WMA input either fails to open or decodes to an end; it never crashes
// or hangs the reader.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/MediaReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kestrune-reader-fuzz-" + std::to_string(::getpid()) + ".mp3";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return 0;
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  TMediaStream stream;
  if (stream.OpenFile(path) == MR_OK) {
    std::vector<uint8_t> buffer(32768);
    // Enough for any sensible input of this size; stops a stream that decodes without end.
    for (int pieces = 0; pieces < 256; ++pieces) {
      int32_t filled = 0;
      int64_t start = 0;
      int64_t end = 0;
      if (stream.Update(buffer, filled, start, end) != MR_OK) {
        break;
      }
    }
    stream.SetPosition(10000000);
  }
  std::remove(path.c_str());
  return 0;
}

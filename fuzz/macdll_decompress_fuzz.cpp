// Arbitrary bytes as an APE file for our library's decompressor: open, ask every information
// field, read, seek and read again. Nothing may crash, leak or run away.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "formats/ape/MACDll.h"

namespace {

// Enough to cross a few of the decoder's chunks; a file may claim far more blocks than it holds.
constexpr int MaxBlocksRead = 1 << 16;

const std::string& InputFile() {
  static const std::string name = "/tmp/macdll-fuzz-" + std::to_string(getpid()) + ".ape";
  return name;
}

void ReadSome(APE_DECOMPRESS_HANDLE handle, int limit) {
  std::vector<char> piece(4096 * 8);
  for (int total = 0; total < limit;) {
    int blocks = 0;
    if (MACDll::c_APEDecompress_GetData(handle, piece.data(), 4096, &blocks) != 0 || blocks <= 0) {
      return;
    }
    total += blocks;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  av_log_set_level(AV_LOG_QUIET);
  std::atexit([] { std::remove(InputFile().c_str()); });
  MACDll::Startup();
  return MACDll::Loaded() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(InputFile().c_str(), "wb");
  if (file == nullptr) {
    return 0;
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  int error = 0;
  APE_DECOMPRESS_HANDLE handle = MACDll::c_APEDecompress_Create(InputFile().c_str(), &error);
  if (handle == nullptr) {
    return 0;
  }
  for (int field = 1000; field <= 1017; ++field) {
    MACDll::c_APEDecompress_GetInfo(handle, field, 0, 0);
  }
  for (int field = 2000; field <= 2003; ++field) {
    MACDll::c_APEDecompress_GetInfo(handle, field, 0, 0);
  }
  ReadSome(handle, MaxBlocksRead);
  const int total = MACDll::c_APEDecompress_GetInfo(handle, APE_DECOMPRESS_TOTAL_BLOCKS, 0, 0);
  MACDll::c_APEDecompress_Seek(handle, total / 2);
  ReadSome(handle, MaxBlocksRead / 4);
  MACDll::c_APEDecompress_Destroy(handle);
  return 0;
}

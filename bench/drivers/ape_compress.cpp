// Compresses a PCM WAV into a Monkey's Audio file through our library's exported calls, in the
// pieces a sink hands over, at any level 1000 to 5000 (the program's own settings stop at 4000).
//
//   ape_compress IN.wav OUT.ape LEVEL

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "PcmWav.h"
#include "formats/ape/MACDll.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: ape_compress IN.wav OUT.ape LEVEL\n");
    return 2;
  }
  TPcmWav wav;
  if (!ReadPcmWav(argv[1], wav)) {
    std::fprintf(stderr, "ape_compress: %s: not a mono or stereo PCM WAV of 8, 16 or 24 bits\n", argv[1]);
    return 1;
  }
  MACDll::Startup();
  int error = 0;
  APE_COMPRESS_HANDLE handle = MACDll::c_APECompress_Create(&error);
  TMACWaveFormatEx format{};
  MACDll::FillWaveFormatEx(&format, wav.Rate, wav.Bits, wav.Channels);
  error = MACDll::c_APECompress_Start(handle, argv[2], &format, static_cast<int>(wav.Data.size()), std::atoi(argv[3]),
                                      nullptr, -1);
  for (size_t at = 0; error == 0 && at < wav.Data.size(); at += 65536) {
    error = MACDll::c_APECompress_AddData(handle, wav.Data.data() + at,
                                          static_cast<int>(std::min<size_t>(65536, wav.Data.size() - at)));
  }
  if (error == 0) {
    error = MACDll::c_APECompress_Finish(handle, nullptr, 0, 0);
  }
  MACDll::c_APECompress_Destroy(handle);
  MACDll::Shutdown();
  if (error != 0) {
    std::fprintf(stderr, "ape_compress: %s: the library failed with code %d\n", argv[2], error);
    return 1;
  }
  return 0;
}

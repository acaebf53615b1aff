#include "FuzzStream.h"
#include "tags/WAVfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TWAVfile wav;
  wav.LoadFromStream(stream);
  Use(wav.Duration());
  Use(wav.ChannelMode());
  Use(wav.Info()[wiTitle]);
  Use(wav.ID3v2Chunk().size());
  return 0;
}

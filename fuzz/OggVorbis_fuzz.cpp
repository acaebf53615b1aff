#include "FuzzStream.h"
#include "tags/OggVorbis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TOggVorbis ogg;
  ogg.LoadFromStream(stream);
  Use(ogg.Valid());
  Use(ogg.ChannelMode());
  return 0;
}

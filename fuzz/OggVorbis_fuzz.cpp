#include "FuzzStream.h"
#include "tags/CoverArt.h"
#include "tags/OggVorbis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TOggVorbis ogg;
  ogg.LoadFromStream(stream);
  Use(ogg.Valid());
  Use(ogg.ChannelMode());
  const TCoverRead cover = ReadOggCover(stream);
  Use(cover.Picture ? cover.Picture->Data.size() : 0);
  return 0;
}

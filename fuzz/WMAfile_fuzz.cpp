#include "FuzzStream.h"
#include "tags/CoverArt.h"
#include "tags/WMAfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TWMAfile wma;
  wma.LoadFromStream(stream);
  Use(wma.ChannelMode());
  const TCoverRead cover = ReadWMACover(stream);
  Use(cover.Picture ? cover.Picture->Data.size() : 0);
  return 0;
}

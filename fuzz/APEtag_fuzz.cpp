#include "FuzzStream.h"
#include "tags/CoverArt.h"
#include "tags/APEtag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TAPEtag tag;
  tag.LoadFromStream(stream);
  Use(tag.Track());
  const TCoverRead cover = ReadAPECover(stream);
  Use(cover.Picture ? cover.Picture->Data.size() : 0);
  return 0;
}

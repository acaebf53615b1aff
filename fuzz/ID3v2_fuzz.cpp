#include "FuzzStream.h"
#include "tags/CoverArt.h"
#include "tags/ID3v2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TID3v2 tag;
  tag.LoadFromStream(stream);
  Use(tag.Genre());
  Use(tag.Comment());
  const TCoverRead cover = ReadID3v2Cover(stream);
  Use(cover.Picture ? cover.Picture->Data.size() : 0);
  return 0;
}

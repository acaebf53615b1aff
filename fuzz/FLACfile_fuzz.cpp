#include "FuzzStream.h"
#include "tags/CoverArt.h"
#include "tags/FLACfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TFLACfile flac;
  flac.LoadFromStream(stream);
  Use(flac.Duration());
  Use(flac.Artist());
  Use(flac.Comments().Values[vkTotalTracks]);
  const TCoverRead cover = ReadFLACCover(stream);
  Use(cover.Picture ? cover.Picture->Data.size() : 0);
  return 0;
}

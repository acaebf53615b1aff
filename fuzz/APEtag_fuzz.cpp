#include "FuzzStream.h"
#include "tags/APEtag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TAPEtag tag;
  tag.LoadFromStream(stream);
  Use(tag.Track());
  return 0;
}

#include "FuzzStream.h"
#include "tags/ID3v1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TID3v1 tag;
  tag.LoadFromStream(stream);
  Use(tag.Genre());
  return 0;
}

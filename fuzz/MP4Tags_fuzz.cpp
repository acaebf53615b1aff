#include "FuzzStream.h"
#include "tags/MP4Tags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TMP4Texts texts;
  Use(ReadMP4Tags(stream, texts));
  Use(texts[miArtist]);
  return 0;
}

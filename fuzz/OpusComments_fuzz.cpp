#include "FuzzStream.h"
#include "tags/OpusComments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TVorbisComments comments;
  Use(ReadOpusComments(stream, comments));
  Use(comments.Values[vkArtist]);
  return 0;
}

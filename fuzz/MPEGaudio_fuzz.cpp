#include "FuzzStream.h"
#include "tags/MPEGaudio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TMPEGaudio mpeg;
  mpeg.LoadFromStream(stream);
  Use(mpeg.Valid());
  Use(mpeg.Encoder());
  Use(mpeg.FramesCount());
  Use(mpeg.Version() + mpeg.Layer() + mpeg.ChannelMode() + mpeg.Emphasis());
  return 0;
}

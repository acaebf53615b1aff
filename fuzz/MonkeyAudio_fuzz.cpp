#include "FuzzStream.h"
#include "tags/MonkeyAudio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream = FuzzStream(data, size);
  TMonkeyAudio monkey;
  monkey.LoadFromStream(stream);
  Use(monkey.Duration());
  return 0;
}

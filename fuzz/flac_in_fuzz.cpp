// Arbitrary bytes as a FLAC file: the source must refuse or decode them, never crash or hang.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/flac/ACS_FLAC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  TFLACIn source;
  source.SetStream(&stream);
  try {
    source.Init();
  } catch (const EACSException&) {
    return 0;
  }
  std::vector<uint8_t> buffer(4096);
  try {
    while (source.GetData(buffer) > 0) {
    }
  } catch (const EACSException&) {
  }
  source.Flush();
  return 0;
}

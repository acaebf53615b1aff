// The settings file as arbitrary text: parsing never crashes, and whatever parses is written
// back in a form that parses to the same text again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An odd first byte puts the header and a key in front, so the values are reached at once.
  const std::string body(reinterpret_cast<const char*>(data), size);
  const bool framed = size > 0 && (data[0] & 1) != 0;
  const std::string text = framed ? "REGEDIT4\n[HKEY_CURRENT_USER\\Key]\n\"" + body.substr(1) : body;
  try {
    const std::string written = TRegistryHive::Parse(text).Format();
    if (TRegistryHive::Parse(written).Format() != written) {
      std::abort();
    }
  } catch (const ERegistryException&) {
  }
  return 0;
}

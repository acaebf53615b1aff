// Profile files are read as UTF-16 text and parsed; no document may crash or hang the parser.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/SimpleXml.h"
#include "platform/WmProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  ParseXml(std::string_view(reinterpret_cast<const char*>(data), size), error);
  std::u16string text;
  for (size_t i = 0; i + 1 < size && i < 3000; i += 2) {
    text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  std::shared_ptr<const TWMProfile> profile;
  TWMProfileManager().LoadProfileByData(text, profile, error);
  return 0;
}

#include "tags/ID3v2Bytes.h"

uint32_t SyncSafe32(const uint8_t* bytes) {
  return uint32_t{bytes[0] & 0x7Fu} << 21 | uint32_t{bytes[1] & 0x7Fu} << 14 | uint32_t{bytes[2] & 0x7Fu} << 7 |
         (bytes[3] & 0x7Fu);
}

std::vector<uint8_t> Resynchronise(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.reserve(data.size());
  for (size_t i = 0; i < data.size(); ++i) {
    out.push_back(data[i]);
    if (data[i] == 0xFF && i + 1 < data.size() && data[i + 1] == 0) {
      ++i;
    }
  }
  return out;
}

#pragma once

// The fuzz input as a stream a reader can load from.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Streams.h"

inline TMemoryStream FuzzStream(const uint8_t* data, size_t size) {
  return TMemoryStream(std::vector<uint8_t>(data, data + size));
}

// Keeps a computed value alive so that the computation is not optimised away.
template <class T>
void Use(const T& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

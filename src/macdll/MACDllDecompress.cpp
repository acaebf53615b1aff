// The c_APEDecompress_* entry points: a handle is a TApeDecompressor.

#include <new>

#include "macdll/ApeDecompressor.h"
#include "macdll/Export.h"

namespace {

TApeDecompressor* Decompressor(APE_DECOMPRESS_HANDLE handle) { return static_cast<TApeDecompressor*>(handle); }

}  // namespace

MACDLL_EXPORT APE_DECOMPRESS_HANDLE c_APEDecompress_Create(const char* fileName, int* errorCode) {
  auto* decompressor = new (std::nothrow) TApeDecompressor();
  int result = decompressor != nullptr ? decompressor->Open(fileName) : MAC_ERROR_INSUFFICIENT_MEMORY;
  if (result != MAC_ERROR_SUCCESS) {
    delete decompressor;
    decompressor = nullptr;
  }
  if (errorCode != nullptr) {
    *errorCode = result;
  }
  return decompressor;
}

MACDLL_EXPORT void c_APEDecompress_Destroy(APE_DECOMPRESS_HANDLE handle) { delete Decompressor(handle); }

MACDLL_EXPORT int c_APEDecompress_GetData(APE_DECOMPRESS_HANDLE handle, char* buffer, int blocks,
                                          int* blocksRetrieved) {
  int retrieved = 0;
  const int result = handle != nullptr
                         ? Decompressor(handle)->GetData(reinterpret_cast<uint8_t*>(buffer), blocks, retrieved)
                         : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  if (blocksRetrieved != nullptr) {
    *blocksRetrieved = retrieved;
  }
  return result;
}

MACDLL_EXPORT int c_APEDecompress_GetInfo(APE_DECOMPRESS_HANDLE handle, int field, int /*parameter1*/,
                                          int /*parameter2*/) {
  return handle != nullptr ? Decompressor(handle)->GetInfo(field) : 0;
}

MACDLL_EXPORT int c_APEDecompress_Seek(APE_DECOMPRESS_HANDLE handle, int blockOffset) {
  return handle != nullptr ? Decompressor(handle)->Seek(blockOffset) : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
}

// The c_APECompress_* entry points: a handle is a TApeCompressor.

#include <cerrno>
#include <new>

#include "macdll/ApeCompressor.h"
#include "macdll/Export.h"

namespace {

TApeCompressor* Compressor(APE_COMPRESS_HANDLE handle) { return static_cast<TApeCompressor*>(handle); }

// A call that failed on the file leaves the system's reason in errno for the caller.
int Reported(const TApeCompressor& compressor, int result) {
  if (result != MAC_ERROR_SUCCESS && compressor.SystemError() != 0) {
    errno = compressor.SystemError();
  }
  return result;
}

}  // namespace

MACDLL_EXPORT APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode) {
  auto* compressor = new (std::nothrow) TApeCompressor();
  if (errorCode != nullptr) {
    *errorCode = compressor != nullptr ? MAC_ERROR_SUCCESS : MAC_ERROR_INSUFFICIENT_MEMORY;
  }
  return compressor;
}

MACDLL_EXPORT void c_APECompress_Destroy(APE_COMPRESS_HANDLE handle) { delete Compressor(handle); }

MACDLL_EXPORT int c_APECompress_Start(APE_COMPRESS_HANDLE handle, const char* outputFile,
                                      const TMACWaveFormatEx* waveFormat, int maxAudioBytes, int compressionLevel,
                                      const void* headerData, int headerBytes) {
  if (handle == nullptr) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  TApeCompressor& compressor = *Compressor(handle);
  return Reported(compressor,
                  compressor.Start(outputFile, waveFormat, maxAudioBytes, compressionLevel, headerData, headerBytes));
}

MACDLL_EXPORT unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE handle, int* bytesAvailable) {
  int available = 0;
  unsigned char* buffer = handle != nullptr ? Compressor(handle)->LockBuffer(available) : nullptr;
  if (bytesAvailable != nullptr) {
    *bytesAvailable = available;
  }
  return buffer;
}

// Full frames are coded as soon as they are complete, so there is nothing to defer when the caller
// asks not to process yet.
MACDLL_EXPORT int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE handle, int bytesAdded, int /*process*/) {
  return handle != nullptr ? Reported(*Compressor(handle), Compressor(handle)->UnlockBuffer(bytesAdded))
                           : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
}

MACDLL_EXPORT int c_APECompress_AddData(APE_COMPRESS_HANDLE handle, unsigned char* data, int bytes) {
  return handle != nullptr ? Reported(*Compressor(handle), Compressor(handle)->AddData(data, bytes))
                           : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
}

MACDLL_EXPORT int c_APECompress_GetBufferBytesAvailable(APE_COMPRESS_HANDLE handle) {
  return handle != nullptr ? Compressor(handle)->BufferBytesAvailable() : 0;
}

// The stored WAV trailer is `terminatingData`; the count of trailing bytes the source WAV had is
// not needed, since nothing of the source file beyond them is kept.
MACDLL_EXPORT int c_APECompress_Finish(APE_COMPRESS_HANDLE handle, unsigned char* terminatingData,
                                       int terminatingBytes, int /*wavTerminatingBytes*/) {
  return handle != nullptr ? Reported(*Compressor(handle), Compressor(handle)->Finish(terminatingData, terminatingBytes))
                           : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
}

MACDLL_EXPORT int c_APECompress_Kill(APE_COMPRESS_HANDLE handle) {
  if (handle == nullptr) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  Compressor(handle)->Kill();
  return MAC_ERROR_SUCCESS;
}

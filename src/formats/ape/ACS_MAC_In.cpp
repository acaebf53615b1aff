#include <algorithm>
#include <climits>

#include "formats/ape/ACS_MAC.h"

TMACIn::TMACIn() {
  MACDll::RequireEntries(
      {{"c_APEDecompress_Create", reinterpret_cast<const void*>(MACDll::c_APEDecompress_Create)},
       {"c_APEDecompress_Destroy", reinterpret_cast<const void*>(MACDll::c_APEDecompress_Destroy)},
       {"c_APEDecompress_GetData", reinterpret_cast<const void*>(MACDll::c_APEDecompress_GetData)},
       {"c_APEDecompress_GetInfo", reinterpret_cast<const void*>(MACDll::c_APEDecompress_GetInfo)},
       {"c_APEDecompress_Seek", reinterpret_cast<const void*>(MACDll::c_APEDecompress_Seek)}});
}

TMACIn::~TMACIn() = default;

void TMACIn::OpenFile() {
  FValid = true;
  if (FOpenCount == 0) {
    FEndOfStream = false;
    try {
      FAPEDecompress = std::make_unique<TAPEDecompress>(FFileName);
    } catch (...) {
      FValid = false;
      throw;
    }
    FSize = FAPEDecompress->InfoWavTotalBytes();
    FSR = FAPEDecompress->InfoSampleRate();
    FBPS = FAPEDecompress->InfoBitsPerSample();
    FChan = FAPEDecompress->InfoChannels();
    const int32_t frameBytes = FBPS / 8 * FChan;
    FTotalSamples = frameBytes > 0 ? Size() / frameBytes : 0;
  }
  ++FOpenCount;
}

void TMACIn::CloseFile() {
  if (FOpenCount == 1) {
    FAPEDecompress.reset();
  }
  if (FOpenCount > 0) {
    --FOpenCount;
  }
}

int32_t TMACIn::CachedFormat(const int32_t& value) {
  OpenFile();
  const int32_t result = value;
  CloseFile();
  return result;
}

int32_t TMACIn::GetBitsPerSample() { return CachedFormat(FBPS); }
int32_t TMACIn::GetChannels() { return CachedFormat(FChan); }
int32_t TMACIn::GetSampleRate() { return CachedFormat(FSR); }

int32_t TMACIn::GetTotalTime() {
  OpenFile();
  const int32_t seconds = FAPEDecompress ? FAPEDecompress->InfoLengthMs() / 1000 : 0;
  CloseFile();
  return seconds;
}

void TMACIn::Refill() {
  FBufStart = 1;
  FBufEnd = 0;
  const int32_t frameBytes = FBPS / 8 * FChan;
  if (FEndOfStream || frameBytes <= 0) {
    FEndOfStream = true;
    return;
  }
  while (FBufEnd < DecodeBufferSize) {
    const int32_t wanted = (DecodeBufferSize - FBufEnd) / frameBytes;
    if (wanted == 0) {
      break;  // the rest of the buffer is smaller than one block
    }
    const int32_t bytes =
        FAPEDecompress->GetData(reinterpret_cast<char*>(FBuffer.data() + FBufEnd), wanted) * frameBytes;
    if (bytes <= 0) {
      FEndOfStream = true;
      break;
    }
    FBufEnd += bytes;
    if (FEndSample != -1) {
      const int64_t limit = (FEndSample - FStartSample) * frameBytes;
      const int64_t reached = Position() + FBufEnd;
      if (reached >= limit) {
        FBufEnd = static_cast<int32_t>(std::max<int64_t>(limit - Position(), 0));
        FEndOfStream = true;
        break;
      }
    }
  }
}

int32_t TMACIn::GetData(std::span<uint8_t> buffer) {
  if (!Busy()) {
    throw EACSException("The Stream is not opened");
  }
  if (BufferUsedUp()) {
    Refill();
    if (BufferUsedUp() && FEndOfStream && FLoop) {
      Flush();
      Init();
      FEndOfStream = false;
      Refill();
    }
  }
  return CopyFromBuffer(FBuffer.data(), buffer);
}

bool TMACIn::Seek(int64_t sampleNumber) {
  if (!FSeekable) {
    return false;
  }
  OpenFile();
  // The library's block numbers are 32-bit.
  FAPEDecompress->Seek(static_cast<int>(std::clamp<int64_t>(sampleNumber, INT32_MIN, INT32_MAX)));
  CloseFile();
  return true;
}

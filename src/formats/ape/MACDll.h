#pragma once

// Run-time binding of our Monkey's Audio library (libMACDll.so): the process-wide entry-point
// table, the thin wrappers around its compressor and decompressor handles, and its error texts.

#include <memory>
#include <string>
#include <vector>

#include "macdll/MACDllApi.h"
#include "pipeline/ACS_Classes.h"

namespace MACDll {

inline constexpr const char* LibraryName = "libMACDll.so";

// One pointer per entry point, null until the library is loaded or when it lacks the name.
inline decltype(&::ProgressCallback) ProgressCallback = nullptr;
inline decltype(&::RemoveTag) RemoveTag = nullptr;
inline decltype(&::CompressFile) CompressFile = nullptr;
inline decltype(&::ConvertFile) ConvertFile = nullptr;
inline decltype(&::DecompressFile) DecompressFile = nullptr;
inline decltype(&::FillWaveFormatEx) FillWaveFormatEx = nullptr;
inline decltype(&::FillWaveHeader) FillWaveHeader = nullptr;
inline decltype(&::GetID3Tag) GetID3Tag = nullptr;
inline decltype(&::GetInterfaceCompatibility) GetInterfaceCompatibility = nullptr;
inline decltype(&::GetVersionNumber) GetVersionNumber = nullptr;
inline decltype(&::ShowFileInfoDialog) ShowFileInfoDialog = nullptr;
inline decltype(&::TagFileSimple) TagFileSimple = nullptr;
inline decltype(&::TagFileCover) TagFileCover = nullptr;
inline decltype(&::VerifyFile) VerifyFile = nullptr;
inline decltype(&::c_APECompress_AddData) c_APECompress_AddData = nullptr;
inline decltype(&::c_APECompress_Create) c_APECompress_Create = nullptr;
inline decltype(&::c_APECompress_Destroy) c_APECompress_Destroy = nullptr;
inline decltype(&::c_APECompress_Finish) c_APECompress_Finish = nullptr;
inline decltype(&::c_APECompress_GetBufferBytesAvailable) c_APECompress_GetBufferBytesAvailable = nullptr;
inline decltype(&::c_APECompress_Kill) c_APECompress_Kill = nullptr;
inline decltype(&::c_APECompress_LockBuffer) c_APECompress_LockBuffer = nullptr;
inline decltype(&::c_APECompress_Start) c_APECompress_Start = nullptr;
inline decltype(&::c_APECompress_UnlockBuffer) c_APECompress_UnlockBuffer = nullptr;
inline decltype(&::c_APEDecompress_Create) c_APEDecompress_Create = nullptr;
inline decltype(&::c_APEDecompress_Destroy) c_APEDecompress_Destroy = nullptr;
inline decltype(&::c_APEDecompress_GetData) c_APEDecompress_GetData = nullptr;
inline decltype(&::c_APEDecompress_GetInfo) c_APEDecompress_GetInfo = nullptr;
inline decltype(&::c_APEDecompress_Seek) c_APEDecompress_Seek = nullptr;

// Loads the library at the first call and looks up every entry point; later calls only count.
void Startup();
// Frees the library when the count of Startup calls returns to zero.
void Shutdown();
bool Loaded();

// "MACDll.dll library could not be loaded." (with our file name) when the library is missing, or
// a message naming the first of `entries` the library lacks.
void RequireEntries(const std::vector<std::pair<const char*, const void*>>& entries);

}  // namespace MACDll

// The text of a library error code; "undefined (<code>)" for a code without one.
std::string MACDllErrorText(int code);

class EAPEException : public EACSException {
public:
  explicit EAPEException(int code) : EACSException("MACDll error: " + MACDllErrorText(code)) {}
};

class TAPECompress {
public:
  TAPECompress();  // EAPEException when the library cannot create a compressor
  ~TAPECompress();
  TAPECompress(const TAPECompress&) = delete;
  TAPECompress& operator=(const TAPECompress&) = delete;

  int Start(const std::string& outputFile, const TMACWaveFormatEx* waveFormat, int maxAudioBytes, int level,
            const void* headerData, int headerBytes);
  int Finish(unsigned char* terminatingData, int terminatingBytes, int wavTerminatingBytes);
  unsigned char* LockBuffer(int& bytesAvailable);
  int UnlockBuffer(int bytesAdded);  // always asks the library to process the data

private:
  APE_COMPRESS_HANDLE FHandle = nullptr;
  int FErrorCode = 0;
};

class TAPEDecompress {
public:
  explicit TAPEDecompress(const std::string& fileName);  // EAPEException when the file cannot be read
  ~TAPEDecompress();
  TAPEDecompress(const TAPEDecompress&) = delete;
  TAPEDecompress& operator=(const TAPEDecompress&) = delete;

  // Blocks delivered; EAPEException when the library reports a damaged frame.
  int GetData(char* buffer, int blocks);
  int GetInfo(int field, int parameter1 = 0, int parameter2 = 0);
  int Seek(int blockOffset);

  int InfoSampleRate() { return GetInfo(APE_INFO_SAMPLE_RATE); }
  int InfoBitsPerSample() { return GetInfo(APE_INFO_BITS_PER_SAMPLE); }
  int InfoChannels() { return GetInfo(APE_INFO_CHANNELS); }
  int InfoWavTotalBytes() { return GetInfo(APE_INFO_WAV_DATA_BYTES); }
  int InfoLengthMs() { return GetInfo(APE_DECOMPRESS_LENGTH_MS); }

  APE_DECOMPRESS_HANDLE Handle() const { return FHandle; }
  const std::string& FileName() const { return FFileName; }

private:
  APE_DECOMPRESS_HANDLE FHandle = nullptr;
  std::string FFileName;
  int FErrorCode = 0;
};

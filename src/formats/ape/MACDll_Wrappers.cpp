#include <map>

#include "formats/ape/MACDll.h"

std::string MACDllErrorText(int code) {
  static const std::map<int, const char*> texts = {
      {0, "OK"},
      {1000, "I/O read error"},
      {1001, "I/O write error"},
      {1002, "invalid input file"},
      {1003, "invalid output file"},
      {1004, "input file file too large"},
      {1005, "input file unsupported bit depth"},
      {1006, "input file unsupported sample rate"},
      {1007, "input file unsupported channel count"},
      {1008, "input file too small"},
      {1009, "invalid checksum"},
      {1010, "decompressing frame"},
      {1011, "initializing unmac"},
      {1012, "invalid function parameter"},
      {1013, "unsupported file type"},
      {2000, "insufficient memory"},
      {3000, "loading MAC.dll"},
      {3001, "loading MACinfo.dll"},
      {3002, "loading UnMAC.dll"},
      {4000, "user stopped processing"},
      {4001, "skipped..."},
      {5000, "bad parameter"},
      {6000, "APE compress too much data"},
  };
  const auto text = texts.find(code);
  return text != texts.end() ? text->second : "undefined (" + std::to_string(code) + ")";
}

// ---- TAPECompress ------------------------------------------------------------------------------

TAPECompress::TAPECompress() {
  FHandle = MACDll::c_APECompress_Create(&FErrorCode);
  if (FErrorCode != 0) {
    if (FHandle != nullptr) {
      MACDll::c_APECompress_Destroy(FHandle);
    }
    throw EAPEException(FErrorCode);
  }
}

TAPECompress::~TAPECompress() {
  if (FHandle != nullptr) {
    MACDll::c_APECompress_Destroy(FHandle);
  }
}

int TAPECompress::Start(const std::string& outputFile, const TMACWaveFormatEx* waveFormat, int maxAudioBytes,
                        int level, const void* headerData, int headerBytes) {
  return MACDll::c_APECompress_Start(FHandle, outputFile.c_str(), waveFormat, maxAudioBytes, level, headerData,
                                     headerBytes);
}

int TAPECompress::Finish(unsigned char* terminatingData, int terminatingBytes, int wavTerminatingBytes) {
  return MACDll::c_APECompress_Finish(FHandle, terminatingData, terminatingBytes, wavTerminatingBytes);
}

unsigned char* TAPECompress::LockBuffer(int& bytesAvailable) {
  return MACDll::c_APECompress_LockBuffer(FHandle, &bytesAvailable);
}

int TAPECompress::UnlockBuffer(int bytesAdded) { return MACDll::c_APECompress_UnlockBuffer(FHandle, bytesAdded, 1); }

// ---- TAPEDecompress ----------------------------------------------------------------------------

TAPEDecompress::TAPEDecompress(const std::string& fileName) : FFileName(fileName) {
  FHandle = MACDll::c_APEDecompress_Create(fileName.c_str(), &FErrorCode);
  if (FErrorCode != 0) {
    if (FHandle != nullptr) {
      MACDll::c_APEDecompress_Destroy(FHandle);
    }
    throw EAPEException(FErrorCode);
  }
}

TAPEDecompress::~TAPEDecompress() {
  if (FHandle != nullptr) {
    MACDll::c_APEDecompress_Destroy(FHandle);
  }
}

int TAPEDecompress::GetData(char* buffer, int blocks) {
  int retrieved = 0;
  const int result = MACDll::c_APEDecompress_GetData(FHandle, buffer, blocks, &retrieved);
  // A damaged frame fails the run instead of ending the audio early as if it were complete.
  if (result != 0) {
    throw EAPEException(result);
  }
  return retrieved;
}

int TAPEDecompress::GetInfo(int field, int parameter1, int parameter2) {
  return MACDll::c_APEDecompress_GetInfo(FHandle, field, parameter1, parameter2);
}

int TAPEDecompress::Seek(int blockOffset) { return MACDll::c_APEDecompress_Seek(FHandle, blockOffset); }

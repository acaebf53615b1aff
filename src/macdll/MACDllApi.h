#pragma once

// The calling surface of libMACDll.so: the 27 exported entry points with C linkage, their records,
// error codes and information fields. The library and its run-time binding both read this file.

#include <cstdint>

extern "C" {

// The 18-byte wave-format record (tag, channels, rate, byte rate, block align, bits, extra size).
#pragma pack(push, 1)
struct TMACWaveFormatEx {
  uint16_t wFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;
  uint16_t wBitsPerSample;
  uint16_t cbSize;
};

// The canonical 44-byte PCM WAV header that FillWaveHeader fills.
struct TMACWaveHeader {
  char cRIFFHeader[4];
  uint32_t nRIFFBytes;
  char cDataTypeID[4];
  char cFormatHeader[4];
  uint32_t nFormatBytes;
  uint16_t nFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;
  uint16_t nBitsPerSample;
  char cDataHeader[4];
  uint32_t nDataBytes;
};
#pragma pack(pop)
static_assert(sizeof(TMACWaveFormatEx) == 18);
static_assert(sizeof(TMACWaveHeader) == 44);

using APE_COMPRESS_HANDLE = void*;
using APE_DECOMPRESS_HANDLE = void*;
using TMACProgressCallback = void (*)(int percentDone);

// Error codes; the texts live with the binding. A call that fails on a file (I/O read, I/O write,
// invalid output file) leaves the system's reason in errno.
enum : int {
  MAC_ERROR_SUCCESS = 0,
  MAC_ERROR_IO_READ = 1000,
  MAC_ERROR_IO_WRITE = 1001,
  MAC_ERROR_INVALID_INPUT_FILE = 1002,
  MAC_ERROR_INVALID_OUTPUT_FILE = 1003,
  MAC_ERROR_INPUT_FILE_TOO_LARGE = 1004,
  MAC_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH = 1005,
  MAC_ERROR_INPUT_FILE_UNSUPPORTED_SAMPLE_RATE = 1006,
  MAC_ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT = 1007,
  MAC_ERROR_INPUT_FILE_TOO_SMALL = 1008,
  MAC_ERROR_INVALID_CHECKSUM = 1009,
  MAC_ERROR_DECOMPRESSING_FRAME = 1010,
  MAC_ERROR_INITIALIZING_UNMAC = 1011,
  MAC_ERROR_INVALID_FUNCTION_PARAMETER = 1012,
  MAC_ERROR_UNSUPPORTED_FILE_TYPE = 1013,
  MAC_ERROR_INSUFFICIENT_MEMORY = 2000,
  MAC_ERROR_USER_STOPPED_PROCESSING = 4000,
  MAC_ERROR_BAD_PARAMETER = 5000,
  MAC_ERROR_APE_COMPRESS_TOO_MUCH_DATA = 6000,
};

// Information fields of c_APEDecompress_GetInfo.
enum : int {
  APE_INFO_FILE_VERSION = 1000,
  APE_INFO_COMPRESSION_LEVEL = 1001,
  APE_INFO_FORMAT_FLAGS = 1002,
  APE_INFO_SAMPLE_RATE = 1003,
  APE_INFO_BITS_PER_SAMPLE = 1004,
  APE_INFO_BYTES_PER_SAMPLE = 1005,
  APE_INFO_CHANNELS = 1006,
  APE_INFO_BLOCK_ALIGN = 1007,
  APE_INFO_BLOCKS_PER_FRAME = 1008,
  APE_INFO_FINAL_FRAME_BLOCKS = 1009,
  APE_INFO_TOTAL_FRAMES = 1010,
  APE_INFO_WAV_DATA_BYTES = 1014,
  APE_INFO_TOTAL_BLOCKS = 1016,
  APE_INFO_LENGTH_MS = 1017,
  APE_DECOMPRESS_CURRENT_BLOCK = 2000,
  APE_DECOMPRESS_CURRENT_MS = 2001,
  APE_DECOMPRESS_TOTAL_BLOCKS = 2002,
  APE_DECOMPRESS_LENGTH_MS = 2003,
};

enum : int { MAC_COMPRESSION_FAST = 1000, MAC_COMPRESSION_NORMAL = 2000, MAC_COMPRESSION_HIGH = 3000,
             MAC_COMPRESSION_EXTRA_HIGH = 4000, MAC_COMPRESSION_INSANE = 5000 };

// The 27 entry points, in the order the binding looks them up.
void ProgressCallback(int percentDone);
int RemoveTag(const char* fileName);
int CompressFile(const char* inputFile, const char* outputFile, int compressionLevel, int* percentDone,
                 TMACProgressCallback callback, int* killFlag);
int ConvertFile(const char* inputFile, const char* outputFile, int compressionLevel, int* percentDone,
                TMACProgressCallback callback, int* killFlag);
int DecompressFile(const char* inputFile, const char* outputFile, int* percentDone, TMACProgressCallback callback,
                   int* killFlag);
int FillWaveFormatEx(TMACWaveFormatEx* waveFormat, int sampleRate, int bitsPerSample, int channels);
int FillWaveHeader(TMACWaveHeader* waveHeader, int audioBytes, const TMACWaveFormatEx* waveFormat,
                   int terminatingBytes);
int GetID3Tag(const char* fileName, void* id3Tag);
int GetInterfaceCompatibility(int version, int displayWarningDialog, void* window);
int GetVersionNumber();
int ShowFileInfoDialog(const char* fileName, void* window);
int TagFileSimple(const char* fileName, const char* artist, const char* album, const char* title,
                  const char* comment, const char* genre, const char* year, const char* track, int clearFirst,
                  int useOldID3);
// Adds (or replaces) the "Cover Art (Front)" item of the file's APE tag, keeping its other items:
// `pictureName`, a zero byte, then `size` bytes of the image.
int TagFileCover(const char* fileName, const char* pictureName, const unsigned char* data, int size);
int VerifyFile(const char* fileName, int* percentDone, TMACProgressCallback callback, int* killFlag);
int c_APECompress_AddData(APE_COMPRESS_HANDLE handle, unsigned char* data, int bytes);
APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode);
void c_APECompress_Destroy(APE_COMPRESS_HANDLE handle);
int c_APECompress_Finish(APE_COMPRESS_HANDLE handle, unsigned char* terminatingData, int terminatingBytes,
                         int wavTerminatingBytes);
int c_APECompress_GetBufferBytesAvailable(APE_COMPRESS_HANDLE handle);
int c_APECompress_Kill(APE_COMPRESS_HANDLE handle);
unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE handle, int* bytesAvailable);
int c_APECompress_Start(APE_COMPRESS_HANDLE handle, const char* outputFile, const TMACWaveFormatEx* waveFormat,
                        int maxAudioBytes, int compressionLevel, const void* headerData, int headerBytes);
int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE handle, int bytesAdded, int process);
APE_DECOMPRESS_HANDLE c_APEDecompress_Create(const char* fileName, int* errorCode);
void c_APEDecompress_Destroy(APE_DECOMPRESS_HANDLE handle);
int c_APEDecompress_GetData(APE_DECOMPRESS_HANDLE handle, char* buffer, int blocks, int* blocksRetrieved);
int c_APEDecompress_GetInfo(APE_DECOMPRESS_HANDLE handle, int field, int parameter1, int parameter2);
int c_APEDecompress_Seek(APE_DECOMPRESS_HANDLE handle, int blockOffset);
}

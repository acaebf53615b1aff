// The entry points that work on whole files or records: wave-format records, tags, verification
// and decompression to WAV, the version queries, and the calls this library does not offer.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "macdll/ApeDecompressor.h"
#include "macdll/ApeTag.h"
#include "macdll/Export.h"
#include "macdll/RawFile.h"

namespace {

constexpr int LibraryVersion = 3990;

std::string Text(const char* value) { return value != nullptr ? value : ""; }

void ReportProgress(int percent, int* percentDone, TMACProgressCallback callback) {
  if (percentDone != nullptr) {
    *percentDone = percent;
  }
  if (callback != nullptr) {
    callback(percent);
  }
}

// Decodes the whole file, handing every piece to `sink` (which may be empty); stops at the first
// failure or when the caller sets the kill flag.
template <class TSink>
int DecodeAll(const char* fileName, int* percentDone, TMACProgressCallback callback, int* killFlag,
              TApeDecompressor& decoder, TSink&& sink) {
  int result = decoder.Open(fileName);
  const int align = decoder.GetInfo(APE_INFO_BLOCK_ALIGN);
  const int64_t total = decoder.GetInfo(APE_INFO_TOTAL_BLOCKS);
  constexpr int BlocksPerPiece = 4096;
  std::vector<uint8_t> piece(static_cast<size_t>(BlocksPerPiece) * 8);
  int64_t done = 0;
  while (result == MAC_ERROR_SUCCESS) {
    if (killFlag != nullptr && *killFlag != 0) {
      return MAC_ERROR_USER_STOPPED_PROCESSING;
    }
    int blocks = 0;
    result = decoder.GetData(piece.data(), BlocksPerPiece, blocks);
    if (result != MAC_ERROR_SUCCESS || blocks == 0) {
      break;
    }
    result = sink(piece.data(), static_cast<size_t>(blocks) * static_cast<size_t>(align));
    done += blocks;
    ReportProgress(total > 0 ? static_cast<int>(done * 100 / total) : 100, percentDone, callback);
  }
  return result;
}

}  // namespace

MACDLL_EXPORT void ProgressCallback(int /*percentDone*/) {}

MACDLL_EXPORT int GetVersionNumber() { return LibraryVersion; }

MACDLL_EXPORT int GetInterfaceCompatibility(int version, int /*displayWarningDialog*/, void* /*window*/) {
  return version <= LibraryVersion ? MAC_ERROR_SUCCESS : MAC_ERROR_UNSUPPORTED_FILE_TYPE;
}

MACDLL_EXPORT int FillWaveFormatEx(TMACWaveFormatEx* waveFormat, int sampleRate, int bitsPerSample, int channels) {
  if (waveFormat == nullptr || sampleRate <= 0 || bitsPerSample <= 0 || channels <= 0) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  waveFormat->wFormatTag = 1;
  waveFormat->nChannels = static_cast<uint16_t>(channels);
  waveFormat->nSamplesPerSec = static_cast<uint32_t>(sampleRate);
  waveFormat->wBitsPerSample = static_cast<uint16_t>(bitsPerSample);
  waveFormat->nBlockAlign = static_cast<uint16_t>(channels * (bitsPerSample / 8));
  waveFormat->nAvgBytesPerSec = waveFormat->nBlockAlign * waveFormat->nSamplesPerSec;
  waveFormat->cbSize = 0;
  return MAC_ERROR_SUCCESS;
}

MACDLL_EXPORT int FillWaveHeader(TMACWaveHeader* waveHeader, int audioBytes, const TMACWaveFormatEx* waveFormat,
                                 int terminatingBytes) {
  if (waveHeader == nullptr || waveFormat == nullptr || audioBytes < 0 || terminatingBytes < 0) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  std::memcpy(waveHeader->cRIFFHeader, "RIFF", 4);
  waveHeader->nRIFFBytes = static_cast<uint32_t>(audioBytes) + 36 + static_cast<uint32_t>(terminatingBytes);
  std::memcpy(waveHeader->cDataTypeID, "WAVE", 4);
  std::memcpy(waveHeader->cFormatHeader, "fmt ", 4);
  waveHeader->nFormatBytes = 16;
  waveHeader->nFormatTag = waveFormat->wFormatTag;
  waveHeader->nChannels = waveFormat->nChannels;
  waveHeader->nSamplesPerSec = waveFormat->nSamplesPerSec;
  waveHeader->nAvgBytesPerSec = waveFormat->nAvgBytesPerSec;
  waveHeader->nBlockAlign = waveFormat->nBlockAlign;
  waveHeader->nBitsPerSample = waveFormat->wBitsPerSample;
  std::memcpy(waveHeader->cDataHeader, "data", 4);
  waveHeader->nDataBytes = static_cast<uint32_t>(audioBytes);
  return MAC_ERROR_SUCCESS;
}

MACDLL_EXPORT int TagFileSimple(const char* fileName, const char* artist, const char* album, const char* title,
                                const char* comment, const char* genre, const char* year, const char* track,
                                int clearFirst, int useOldID3) {
  if (fileName == nullptr) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  if (useOldID3 != 0) {
    return MAC_ERROR_UNSUPPORTED_FILE_TYPE;
  }
  const std::vector<TApeTagItem> items = {{"Title", Text(title)},     {"Artist", Text(artist)},
                                          {"Album", Text(album)},     {"Year", Text(year)},
                                          {"Track", Text(track)},     {"Comment", Text(comment)},
                                          {"Genre", Text(genre)}};
  return WriteApeTag(fileName, items, clearFirst == 0);
}

MACDLL_EXPORT int TagFileCover(const char* fileName, const char* pictureName, const unsigned char* data, int size) {
  if (fileName == nullptr || data == nullptr || size <= 0) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  std::string value = Text(pictureName);
  value.push_back('\0');
  value.append(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
  return WriteApeTag(fileName, {{"Cover Art (Front)", value, true}}, true);
}

MACDLL_EXPORT int RemoveTag(const char* fileName) {
  return fileName != nullptr ? RemoveApeTag(fileName) : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
}

MACDLL_EXPORT int VerifyFile(const char* fileName, int* percentDone, TMACProgressCallback callback, int* killFlag) {
  TApeDecompressor decoder;
  return DecodeAll(fileName, percentDone, callback, killFlag, decoder,
                   [](const uint8_t*, size_t) { return MAC_ERROR_SUCCESS; });
}

MACDLL_EXPORT int DecompressFile(const char* inputFile, const char* outputFile, int* percentDone,
                                 TMACProgressCallback callback, int* killFlag) {
  if (inputFile == nullptr || outputFile == nullptr) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  TRawFile output;
  if (!output.Create(outputFile)) {
    return MAC_ERROR_INVALID_OUTPUT_FILE;
  }
  int64_t written = sizeof(TMACWaveHeader);
  TApeDecompressor decoder;
  int result = DecodeAll(inputFile, percentDone, callback, killFlag, decoder, [&](const uint8_t* data, size_t bytes) {
    if (!output.WriteAt(written, std::span<const uint8_t>(data, bytes))) {
      return static_cast<int>(MAC_ERROR_IO_WRITE);
    }
    written += static_cast<int64_t>(bytes);
    return static_cast<int>(MAC_ERROR_SUCCESS);
  });
  if (result == MAC_ERROR_SUCCESS) {
    TMACWaveFormatEx format{};
    TMACWaveHeader header{};
    FillWaveFormatEx(&format, decoder.GetInfo(APE_INFO_SAMPLE_RATE), decoder.GetInfo(APE_INFO_BITS_PER_SAMPLE),
                     decoder.GetInfo(APE_INFO_CHANNELS));
    FillWaveHeader(&header, static_cast<int>(written - static_cast<int64_t>(sizeof header)), &format, 0);
    if (!output.WriteAt(0, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&header), sizeof header))) {
      result = MAC_ERROR_IO_WRITE;
    }
  }
  output.Close();
  if (result != MAC_ERROR_SUCCESS) {
    std::remove(outputFile);
  }
  return result;
}

// Compressing straight from a WAV file, the ID3v1 reading and the information window are not
// offered: callers compress through the c_APECompress_* calls and read tags themselves.
MACDLL_EXPORT int CompressFile(const char*, const char*, int, int*, TMACProgressCallback, int*) {
  return MAC_ERROR_UNSUPPORTED_FILE_TYPE;
}

MACDLL_EXPORT int ConvertFile(const char*, const char*, int, int*, TMACProgressCallback, int*) {
  return MAC_ERROR_UNSUPPORTED_FILE_TYPE;
}

MACDLL_EXPORT int GetID3Tag(const char*, void*) { return MAC_ERROR_UNSUPPORTED_FILE_TYPE; }

MACDLL_EXPORT int ShowFileInfoDialog(const char*, void*) { return MAC_ERROR_UNSUPPORTED_FILE_TYPE; }

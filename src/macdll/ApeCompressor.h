#pragma once

// The streaming compressor behind the c_APECompress_* calls. Audio arrives in pieces through a
// buffer the caller fills in place; each full buffer is coded and written at once, and Finish codes
// the rest and completes the header, the seek table and the MD5.
//
// The stream is coded at each frame length of the level at once, the longest straight into the
// output and the others into scratch files, and the smallest take is kept.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "macdll/CodedTake.h"
#include "macdll/FrameEncoder.h"
#include "macdll/MACDllApi.h"
#include "macdll/RawFile.h"

class TApeCompressor {
public:
  TApeCompressor();
  ~TApeCompressor();  // an unfinished file is removed

  int Start(const char* outputFile, const TMACWaveFormatEx* waveFormat, int maxAudioBytes, int level,
            const void* headerData, int headerBytes);
  // Where the next bytes go, and how many fit; null when not started.
  uint8_t* LockBuffer(int& bytesAvailable);
  int UnlockBuffer(int bytesAdded);
  int AddData(const uint8_t* data, int bytes);
  int BufferBytesAvailable() const;
  int Finish(const uint8_t* terminatingData, int terminatingBytes);
  // Abandons the file: closes and removes it.
  void Kill();
  // The system's reason (an errno value) when a failure came from the file, otherwise 0.
  int SystemError() const { return FSystemError; }

private:
  static constexpr int64_t DescriptorBytes = 52;
  static constexpr int64_t HeaderBytes = 24;

  int Fail(int code);
  int FailOnFile(int code, const TRawFile& file);
  int CodeBuffered();
  TCodedTake& Kept();
  int PlaceFrameData(TCodedTake& take, int64_t firstFrame);
  std::vector<uint8_t> BuildHeader(const TCodedTake& take) const;
  static std::vector<uint8_t> BuildSeekTable(const TCodedTake& take, int64_t firstFrame);
  std::vector<uint8_t> BuildDescriptor(const TCodedTake& take, int terminatingBytes, const uint8_t* md5) const;

  std::string FFileName;
  TRawFile FFile;
  bool FStarted = false;
  int FError = MAC_ERROR_SUCCESS;  // the first failure; every later call reports it
  int FSystemError = 0;
  int FLevel = 0;
  uint16_t FChannels = 0;
  uint16_t FBitsPerSample = 0;
  uint32_t FSampleRate = 0;
  uint32_t FBlockAlign = 0;
  std::vector<uint8_t> FWavHeader;    // stored verbatim when the caller supplies one
  std::vector<uint8_t> FInput;        // one frame of PCM of the longest length
  size_t FFilled = 0;
  uint64_t FTotalBlocks = 0;
  // The first writes into the output file; a scratch take that could not go on is gone.
  std::vector<std::unique_ptr<TCodedTake>> FTakes;
};

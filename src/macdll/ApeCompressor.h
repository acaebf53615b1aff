#pragma once

// The streaming compressor behind the c_APECompress_* calls. Audio arrives in pieces through a
// buffer the caller fills in place; each full frame is coded and written at once, and Finish codes
// the last, shorter frame and completes the header, the seek table and the MD5.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "macdll/FrameEncoder.h"
#include "macdll/MACDllApi.h"
#include "macdll/RawFile.h"

struct AVMD5;

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
  int CodeBufferedFrame();
  int WriteLogical();
  int PlaceFrameData(int64_t firstFrame);
  std::vector<uint8_t> BuildHeader() const;
  std::vector<uint8_t> BuildSeekTable(int64_t firstFrame) const;
  std::vector<uint8_t> BuildDescriptor(int terminatingBytes, const uint8_t* md5) const;

  struct TMD5Deleter {
    void operator()(AVMD5* context) const;
  };

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
  uint32_t FBlocksPerFrame = 0;
  std::vector<uint8_t> FWavHeader;    // stored verbatim when the caller supplies one
  std::unique_ptr<TFrameEncoder> FEncoder;
  std::vector<uint8_t> FInput;        // one frame of PCM
  size_t FFilled = 0;
  uint64_t FTotalBlocks = 0;
  uint32_t FFinalFrameBlocks = 0;
  std::vector<uint8_t> FLogical;      // coded bytes not yet stored (fewer than 4 between frames)
  std::vector<uint64_t> FFrameOffsets;  // logical offset of each frame from the first
  uint64_t FLogicalBytes = 0;
  int64_t FDataStart = 0;             // where frame data is being written
  uint64_t FStoredBytes = 0;          // frame data written so far, whole words only
  std::unique_ptr<AVMD5, TMD5Deleter> FMD5;
};

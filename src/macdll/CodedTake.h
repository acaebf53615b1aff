#pragma once

// One way of cutting the stream into frames: every frame but the last holds the same number of
// blocks. A take codes the audio it is given, stores the coded words in its file as they are
// complete and keeps the seek offsets and the MD5 of what it stored, so the compressor can code
// the stream at several frame lengths at once and keep the smallest file.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "macdll/FrameEncoder.h"
#include "macdll/RawFile.h"

struct AVMD5;

class TCodedTake {
public:
  // The words go to `file` from `dataStart` on; the MD5 starts with the stored WAV header.
  TCodedTake(TFrameEncoder encoder, uint32_t blocksPerFrame, TRawFile& file, int64_t dataStart,
             std::span<const uint8_t> wavHeader);
  // The words go to a scratch file of the take's own beside `outputFile`; Ready() says whether one
  // could be made.
  TCodedTake(TFrameEncoder encoder, uint32_t blocksPerFrame, const std::string& outputFile,
             std::span<const uint8_t> wavHeader);
  ~TCodedTake();

  // Codes `pcm` as frames of BlocksPerFrame() blocks, the last one possibly shorter. Only the final
  // call may hand over a number of blocks that is not a multiple of the frame length.
  // MAC_ERROR_SUCCESS, or the failure (the file's reason is in File().LastError()).
  int Code(std::span<const uint8_t> pcm, uint32_t blockAlign, size_t wavHeaderBytes);
  // Pads the coded bytes to a whole word and stores it.
  int Finish();
  // The MD5 over the stored words followed by `tail`s (terminating data, header, seek table).
  void FinalMD5(std::initializer_list<std::span<const uint8_t>> tail, uint8_t md5[16]);

  bool Ready() const { return FFile.IsOpen(); }
  uint32_t BlocksPerFrame() const { return FBlocksPerFrame; }
  uint32_t FinalFrameBlocks() const { return FFinalFrameBlocks; }
  const std::vector<uint64_t>& FrameOffsets() const { return FFrameOffsets; }
  uint64_t StoredBytes() const { return FStoredBytes; }
  // After Finish: the seek table and the frame data, what the take adds to the fixed headers.
  uint64_t FileBytes() const { return 4 * FFrameOffsets.size() + FStoredBytes; }
  TRawFile& File() { return FFile; }
  int64_t DataStart() const { return FDataStart; }
  void SetDataStart(int64_t value) { FDataStart = value; }

private:
  struct TMD5Deleter {
    void operator()(AVMD5* context) const;
  };

  int Store();

  TFrameEncoder FEncoder;
  uint32_t FBlocksPerFrame;
  TRawFile FScratch;
  TRawFile& FFile;  // the output file or FScratch
  int64_t FDataStart;
  uint32_t FFinalFrameBlocks = 0;
  std::vector<uint8_t> FLogical;        // coded bytes not yet stored (fewer than 4 between frames)
  std::vector<uint64_t> FFrameOffsets;  // logical offset of each frame from the first
  uint64_t FLogicalBytes = 0;
  uint64_t FStoredBytes = 0;            // whole words written so far
  std::unique_ptr<AVMD5, TMD5Deleter> FMD5;
};

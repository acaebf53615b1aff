#pragma once

// The decompressor behind the c_APEDecompress_* calls: FFmpeg's demuxer and decoder read the file
// (every file version they know), and the decoded blocks are handed out interleaved as in a WAV
// data chunk. A file of the current layout that holds no frames is read as empty audio.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "macdll/ApeHeader.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

class TApeDecompressor {
public:
  TApeDecompressor();
  ~TApeDecompressor();

  int Open(const char* fileName);
  int GetData(uint8_t* buffer, int blocks, int& blocksRetrieved);
  int GetInfo(int field) const;
  int Seek(int64_t block);

private:
  struct TFFmpegDeleter {
    void operator()(AVFormatContext* context) const;
    void operator()(AVCodecContext* context) const;
    void operator()(AVFrame* frame) const;
    void operator()(AVPacket* packet) const;
  };

  int OpenDecoder(const char* fileName);
  int DecodeMore();
  int FeedPacket();
  void TakeFrame();
  int64_t LengthMs() const;

  TApeHeaderInfo FHeader;       // filled for files of the current layout
  bool FHeaderKnown = false;
  int FSampleRate = 0;
  int FBitsPerSample = 0;
  int FChannels = 0;
  int64_t FTotalBlocks = 0;
  int64_t FCurrentBlock = 0;    // the next block GetData delivers
  int64_t FDecodedBlock = -1;   // the block the decoder produces next; -1 until a packet says
  bool FEndOfStream = false;
  bool FDraining = false;
  int FStreamIndex = -1;
  std::vector<uint8_t> FPending;  // decoded, interleaved, not yet delivered
  size_t FPendingStart = 0;
  std::unique_ptr<AVFormatContext, TFFmpegDeleter> FFormat;
  std::unique_ptr<AVCodecContext, TFFmpegDeleter> FCodec;
  std::unique_ptr<AVFrame, TFFmpegDeleter> FFrame;
  std::unique_ptr<AVPacket, TFFmpegDeleter> FPacket;
};

#pragma once

// The FFmpeg side of the audio compression service: MPEG audio bytes in, interleaved 16-bit PCM
// in a fixed format out, with the decoded audio that the caller has not taken yet kept here.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct AVCodecContext;
struct AVCodecParserContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

class TAcmMpegDecoder {
public:
  // Null when FFmpeg cannot decode MPEG audio or memory runs out.
  static std::unique_ptr<TAcmMpegDecoder> Create(uint16_t channels, uint32_t sampleRate);
  ~TAcmMpegDecoder();
  TAcmMpegDecoder(const TAcmMpegDecoder&) = delete;
  TAcmMpegDecoder& operator=(const TAcmMpegDecoder&) = delete;

  // Parses and decodes from the start of `data`; returns the bytes used (at least one while data
  // remains). Damaged frames are skipped, as players do.
  size_t Feed(std::span<const uint8_t> data);
  // No more data will come: decodes what the parser and decoder still hold.
  void Drain();
  // Moves decoded PCM into `out`; returns the bytes moved.
  size_t TakeOutput(std::span<uint8_t> out);
  size_t PendingBytes() const { return FPending.size() - FPendingStart; }
  bool DecodedAny() const { return FDecodedAny; }

private:
  TAcmMpegDecoder(uint16_t channels, uint32_t sampleRate) : FChannels(channels), FSampleRate(sampleRate) {}
  bool Open();
  void Decode(const uint8_t* data, int size);
  void ReceiveFrames();
  bool MatchResampler(AVFrame& frame);
  void Resample(const uint8_t* const* input, int samples);

  uint16_t FChannels;
  uint32_t FSampleRate;
  AVCodecContext* FContext = nullptr;
  AVCodecParserContext* FParser = nullptr;
  AVPacket* FPacket = nullptr;
  AVFrame* FFrame = nullptr;
  SwrContext* FResampler = nullptr;
  int FResamplerFormat = -1;
  int FResamplerRate = 0;
  int FResamplerChannels = 0;
  uint64_t FResamplerMask = 0;
  std::vector<uint8_t> FScratch;  // input copied here: FFmpeg reads a little past the end it is given
  std::vector<uint8_t> FPending;
  size_t FPendingStart = 0;
  bool FDecodedAny = false;
};

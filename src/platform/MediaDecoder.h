#pragma once

// The one place that decodes audio with FFmpeg. Compressed packets go in (from a demuxer, or raw
// MPEG audio bytes that FFmpeg's parser cuts into frames) and interleaved PCM comes out, kept here
// until the caller takes it. The PCM is either the stream's own format in the pipeline's layout,
// or 16-bit with a fixed channel count and rate for the readers that promise that.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pipeline/PcmFormat.h"
#include "platform/MediaSamples.h"

struct AVCodecContext;
struct AVCodecParameters;
struct AVCodecParserContext;
struct AVPacket;
struct AVFrame;

enum TMediaOutput {
  moSixteenBit,  // 16-bit: one channel stays one, more are mixed to two
  moNative       // the stream's own sample format, channels and rate
};

class TMediaDecoder {
public:
  TMediaDecoder();
  ~TMediaDecoder();
  TMediaDecoder(const TMediaDecoder&) = delete;
  TMediaDecoder& operator=(const TMediaDecoder&) = delete;

  // For a demuxed stream. False with Problem() telling why when it cannot be decoded.
  bool Open(const AVCodecParameters& stream, TMediaOutput output);
  // For MPEG audio bytes given to Feed, delivered 16-bit in these channels and rate.
  bool OpenMpegAudio(uint16_t channels, uint32_t sampleRate);

  // The format delivered (after a successful open).
  const TPcmFormat& Format() const { return FLayout.Format; }
  const std::string& Problem() const { return FProblem; }

  // Decodes one packet; nullptr says no more will come and drains the decoder. False when the
  // decoder fails (a damaged packet is dropped instead).
  bool Send(const AVPacket* packet);
  // Takes the frames the decoder has ready into the pending PCM. False when a frame cannot be
  // converted; `wantsInput` is set when the decoder needs another packet first.
  bool Receive(bool& wantsInput);
  // True once the drained decoder has given everything.
  bool Ended() const { return FEnded; }

  // Cuts MPEG audio bytes into frames and decodes them; returns the bytes used (at least one
  // while data remains). Damaged frames are skipped, as players do.
  size_t Feed(std::span<const uint8_t> data);
  // No more bytes will come: decodes what the parser and the decoder still hold.
  void FeedEnd();
  bool DecodedAny() const { return FDecodedAny; }
  // Packets and frames the decoder refused as damaged and stepped over.
  int32_t DamagedPackets() const { return FDamagedPackets; }

  size_t PendingBytes() const { return FPending.size() - FPendingStart; }
  // Moves pending PCM into `out`; returns the bytes moved.
  size_t Take(std::span<uint8_t> out);
  // Drops up to `frames` pending frames; returns how many were dropped.
  int64_t Drop(int64_t frames);

private:
  bool OpenCodec(const AVCodecParameters* stream, int codecId, TMediaOutput output);
  bool ConvertFrame();
  bool SetUpConverter();
  bool AppendConverted(const uint8_t* const* input, int frames);
  void Compact();

  struct TCodecFreer {
    void operator()(AVCodecContext* context) const;
  };
  struct TParserCloser {
    void operator()(AVCodecParserContext* parser) const;
  };
  struct TPacketFreer {
    void operator()(AVPacket* packet) const;
  };
  struct TFrameFreer {
    void operator()(AVFrame* frame) const;
  };

  std::unique_ptr<AVCodecContext, TCodecFreer> FCodec;
  std::unique_ptr<AVCodecParserContext, TParserCloser> FParser;
  std::unique_ptr<AVPacket, TPacketFreer> FPacket;
  std::unique_ptr<AVFrame, TFrameFreer> FFrame;
  // The 16-bit converter and what it was set up for; a frame that differs sets it up again.
  struct TConverter;
  std::unique_ptr<TConverter> FConverter;
  TMediaOutput FOutput = moNative;
  TSampleLayout FLayout;
  std::string FProblem;
  std::vector<uint8_t> FScratch;  // parser input: FFmpeg reads a little past the end it is given
  std::vector<uint8_t> FPending;
  size_t FPendingStart = 0;
  bool FEnded = false;
  bool FDecodedAny = false;
  int32_t FDamagedPackets = 0;
};

#pragma once

// The reader layer: demuxes the audio stream of a file FFmpeg reads and decodes it through the
// media decoder, either to 16-bit PCM at the stream's own rate in one or two channels (more are
// mixed down to stereo), or in the stream's own format. Every operation answers with a result
// code; MediaErrorText gives the text of the codes this layer makes itself, Problem a sentence
// on the last failure.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "pipeline/PcmFormat.h"
#include "platform/MediaDecoder.h"

using TMediaResult = uint32_t;

constexpr TMediaResult MR_OK = 0;
constexpr TMediaResult MS_S_ENDOFSTREAM = 0x00040003;   // no more audio; the sample was not filled
constexpr TMediaResult MS_E_NOSTREAM = 0x80040403;      // the file has no audio stream
constexpr TMediaResult MS_E_NOTINIT = 0x80040407;       // no file is open
constexpr TMediaResult MR_E_INVALIDARG = 0x80070057;    // a buffer smaller than one frame
constexpr TMediaResult MR_E_FILE_NOT_FOUND = 0x80070002;
constexpr TMediaResult MR_E_ACCESS_DENIED = 0x80070005;
constexpr TMediaResult MR_E_OUTOFMEMORY = 0x8007000E;
constexpr TMediaResult MR_E_INVALID_FILE_FORMAT = 0x8004022F;
constexpr TMediaResult MR_E_UNSUPPORTED_STREAM = 0x80040265;
constexpr TMediaResult MR_E_READ_FAILED = 0x8004020B;
constexpr TMediaResult MR_E_DECODE_FAILED = 0x80040217;

// The text of a code this layer returns; empty for any other code.
std::string MediaErrorText(TMediaResult code);

// The start-up presence test: empty when FFmpeg's libraries load and offer the MP3 and both WMA
// decoders; otherwise a sentence naming what is missing and the Debian package that brings it.
std::string MissingMediaDecoders();
// That sentence for the library file that could not be loaded (empty when all load) and the
// decoders found.
std::string MissingMediaDecodersText(const std::string& missingLibrary, bool haveMp3, bool haveWma);

// The PCM format of the decoded stream, laid out as the classic wave-format record.
struct TWaveFormatEx {
  uint16_t FormatTag = 0;  // 1: PCM
  uint16_t Channels = 0;
  uint32_t SamplesPerSec = 0;
  uint32_t AvgBytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  uint16_t ExtraSize = 0;
};

// Times are in 100-nanosecond units.
class TMediaStream {
public:
  TMediaStream();
  ~TMediaStream();
  TMediaStream(const TMediaStream&) = delete;
  TMediaStream& operator=(const TMediaStream&) = delete;

  TMediaResult OpenFile(const std::string& fileName, TMediaOutput output = moSixteenBit);
  // Why the last open or decode failed, as the end of a sentence about the file: "it holds no
  // audio stream", "its audio codec (dsd_lsbf) cannot be decoded".
  const std::string& Problem() const;
  TMediaResult GetFormat(TWaveFormatEx& format) const;
  TPcmFormat PcmFormat() const;
  TMediaResult GetDuration(int64_t& duration) const;
  // The playing length in frames: exact when LengthExact, otherwise the container's estimate.
  int64_t TotalFrames() const;
  bool LengthExact() const;
  // True when the file states its playing length (a frame count, the container's duration) rather
  // than leaving it to be estimated from the bit rate.
  bool LengthStated() const;
  // What was stepped over while decoding (a damaged container, damaged packets); empty when
  // nothing was.
  std::string ReadFault() const;
  // Decodes whole frames into the buffer until it is full or the stream ends. `filled` is the
  // bytes written, `startTime` and `endTime` the times of its first and after its last frame.
  // MS_S_ENDOFSTREAM when nothing was left to decode.
  TMediaResult Update(std::span<uint8_t> buffer, int32_t& filled, int64_t& startTime, int64_t& endTime);
  // True when every frame has been delivered (decodes ahead to find out).
  bool EndOfStream();
  // The next Update starts at this time, sample-exact.
  TMediaResult SetPosition(int64_t time);
  // The next Update starts at this frame.
  TMediaResult SeekFrame(int64_t frame);

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

#pragma once

// Reads decoded PCM from a compressed audio file through the media reader layer, piece by piece
// into the caller's buffer, and repositions it by time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "pipeline/ACS_Classes.h"
#include "platform/MediaReader.h"

// The system's own code for a read request of size 0.
constexpr TMediaResult AR_E_INVALID_BUFFER_SIZE = 0x08000001;

class EAudioReadError : public EACSException {
public:
  explicit EAudioReadError(uint32_t errorCode);

  uint32_t ErrorCode() const { return FErrorCode; }

private:
  uint32_t FErrorCode;
};

// The message of a result code: the fixed table, else the layer's text, else "Unrecognized error value.".
std::string AudioReadErrorText(uint32_t code);

// Returns when the code is 0; raises EAudioReadError with it otherwise, success codes included.
void CheckResult(uint32_t code);

class TcbAudioFileReader {
public:
  // Opens the file and starts the stream; EAudioReadError on any failure.
  explicit TcbAudioFileReader(const std::string& fileName);
  ~TcbAudioFileReader();
  TcbAudioFileReader(const TcbAudioFileReader&) = delete;
  TcbAudioFileReader& operator=(const TcbAudioFileReader&) = delete;

  // Bytes of PCM written into the buffer; 0 at the end of the stream.
  int32_t ReadData(std::span<uint8_t> buffer);
  // True when the last ReadData delivered the end of the stream.
  bool EndOfStream() { return FMultiMediaStream->EndOfStream(); }
  bool LengthStated() const { return FMultiMediaStream->LengthStated(); }
  std::string ReadFault() const { return FMultiMediaStream->ReadFault(); }
  // Time in 100-nanosecond units, clamped to the stream.
  void SetPosition(int64_t time);

  const TWaveFormatEx& WaveFormat() const { return FWaveFormat; }
  const std::string& FileName() const { return FFileName; }
  int64_t StreamDuration() const { return FStreamDuration; }
  int64_t CurrentTime() const { return FCurrentTime; }

private:
  TWaveFormatEx FWaveFormat;
  std::string FFileName;
  std::unique_ptr<TMediaStream> FMultiMediaStream;
  int64_t FStreamDuration = 0;
  int64_t FCurrentTime = 0;
};

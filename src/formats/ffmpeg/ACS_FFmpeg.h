#pragma once

// The file source for every input FFmpeg decodes that no other source reads (M4A, Opus, WavPack,
// AIFF, TTA, Musepack, DSF, ...). It delivers the stream's own format: 8- or 16-bit, 24-bit packed
// when the decoder says its 32-bit samples hold 24 bits, 32-bit integer or float, up to 8 channels
// in WAVE channel-mask order, at the stream's rate, for exactly the length the container states.

#include <memory>
#include <vector>

#include "pipeline/ACS_Classes.h"
#include "platform/MediaReader.h"

class TFFmpegIn : public TACSFileIn {
public:
  static constexpr int32_t DecodeBufferSize = 32768;

  TFFmpegIn() = default;
  ~TFFmpegIn() override;

  TPcmFormat GetFormat() override;
  int32_t GetData(std::span<uint8_t> buffer) override;
  // Unlike the base, refuses a file that cannot be opened instead of delivering nothing from it.
  void Init() override;
  int64_t SizeSlack() override;
  void Flush() override;
  // A file that opens but cannot be decoded raises EACSException saying why ("<file>: it has 12
  // channels; at most 8 are read"); a missing or unreadable file only leaves the source not Valid.
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int64_t sampleNumber) override;

protected:
  std::unique_ptr<TMediaStream> FReader;
  TPcmFormat FFormat;
  std::vector<uint8_t> FDecodeBuffer;
  std::string FInvalidReason;

private:
  void ClearFormat();
  int32_t Refill();
  int32_t ReadDecoded();
};

#pragma once

// The file source for MP3 and WMA input: decoding is done by TcbAudioFileReader.

#include <functional>
#include <memory>
#include <vector>

#include "formats/directshow/cbAudioFileRead.h"
#include "pipeline/ACS_Classes.h"

// The start-up presence test, made before any window exists: empty when the MP3 and WMA decoders
// are there, otherwise the message naming what is missing, shown before the program ends.
std::string DX9StartupMessage(const std::function<std::string()>& missingDecoders = MissingMediaDecoders);

class TDX9In : public TACSFileIn {
public:
  static constexpr int32_t DecodeBufferSize = 32768;

  TDX9In() = default;
  ~TDX9In() override;

  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  int64_t SizeSlack() override;
  void Flush() override;
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int64_t sampleNumber) override;

protected:
  std::unique_ptr<TcbAudioFileReader> FReader;
  std::vector<uint8_t> FDecodeBuffer;
  int64_t FSeekRequest = 0;

private:
  int32_t FrameBytes() const { return FChan * (FBPS / 8); }
  void ApplySeekRequest();
  int32_t Refill();
};

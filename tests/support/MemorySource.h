#pragma once

// A source that delivers PCM held in memory, with a chosen format: the input of sink tests that
// need no file.

#include <vector>

#include "pipeline/ACS_Classes.h"

namespace testing_support {

class TMemorySource : public TACSInput {
public:
  TMemorySource(std::vector<uint8_t> pcm, int32_t bitsPerSample, int32_t channels, int32_t sampleRate);

  int32_t GetBitsPerSample() override { return FBits; }
  int32_t GetChannels() override { return FChannels; }
  int32_t GetSampleRate() override { return FRate; }
  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  void Flush() override;

  // Size reported as unknown (-1) instead of the byte count.
  void SetSizeUnknown() { FSizeUnknown = true; }
  int InitCount() const { return FInitCount; }
  int FlushCount() const { return FFlushCount; }

private:
  std::vector<uint8_t> FPcm;
  size_t FOffset = 0;
  int32_t FBits;
  int32_t FChannels;
  int32_t FRate;
  bool FSizeUnknown = false;
  int FInitCount = 0;
  int FFlushCount = 0;
};

}  // namespace testing_support

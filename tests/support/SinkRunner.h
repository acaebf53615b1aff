#pragma once

// Runs a sink to its end on its worker and reports how the run ended; a PCM source in memory.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"

namespace testing_support {

struct TRunOutcome {
  bool Done = false;    // OnDone was raised
  bool Failed = false;  // OnThreadException was raised
  std::string Error;    // its message
};

// Calls Run and waits for OnDone or OnThreadException (replacing any handlers set before).
TRunOutcome RunToEnd(TACSOutput& sink, std::chrono::seconds timeout = std::chrono::seconds(120));

// Delivers the bytes given, in pieces of at most PieceSize bytes, with a stated format.
class TMemoryPcmSource : public TACSInput {
public:
  TMemoryPcmSource(std::vector<uint8_t> pcm, int32_t channels, int32_t sampleRate, int32_t bitsPerSample = 16);

  int32_t GetBitsPerSample() override { return FBits; }
  int32_t GetChannels() override { return FChannels; }
  int32_t GetSampleRate() override { return FRate; }
  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  void Flush() override;

  int32_t PieceSize = 32768;
  int FlushCount = 0;

private:
  std::vector<uint8_t> FPcm;
  int32_t FChannels;
  int32_t FRate;
  int32_t FBits;
  size_t FNext = 0;
};

}  // namespace testing_support

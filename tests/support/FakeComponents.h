#pragma once

// Small pipeline components for tests: a source that delivers bytes from memory and a sink that
// keeps what it receives, each able to fail on request; and a waiter for a sink's end.

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"

namespace testing_support {

class TMemorySource : public TACSInput {
public:
  TMemorySource(std::vector<uint8_t> bytes, int32_t bitsPerSample, int32_t channels, int32_t sampleRate);
  // A source of any format, float or with a channel mask.
  TMemorySource(std::vector<uint8_t> bytes, const TPcmFormat& format);

  int32_t GetBitsPerSample() override { return FBits; }
  int32_t GetChannels() override { return FChannels; }
  int32_t GetSampleRate() override { return FRate; }
  TPcmFormat GetFormat() override { return FFormat; }
  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  void Flush() override;

  // At most this many bytes per GetData call.
  int32_t MaxPerCall = 1 << 30;
  // Size announced after Init; the byte count when unset.
  std::optional<int64_t> AnnouncedSize;
  // GetData throws once this many bytes were delivered.
  std::optional<size_t> FailAfter;
  int InitCount = 0;
  int FlushCount = 0;
  int GetDataCalls = 0;

private:
  std::vector<uint8_t> FBytes;
  size_t FOffset = 0;
  int32_t FBits;
  int32_t FChannels;
  int32_t FRate;
  TPcmFormat FFormat;
};

class TMemorySink : public TACSOutput {
public:
  ~TMemorySink() override;

  std::vector<uint8_t> Received;
  int32_t ChunkSize = 4096;
  bool FailInPrepare = false;
  bool FailInDone = false;
  int PrepareCount = 0;
  int DoneCount = 0;

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;
};

// Waits for a sink's OnDone or OnThreadException (installs both handlers).
class TSinkWaiter {
public:
  explicit TSinkWaiter(TACSOutput& sink);

  // False when the sink did not end within the time.
  bool Wait(int milliseconds = 10000);
  void Reset();
  bool Succeeded() const { return FDone && FError.empty(); }
  const std::string& Error() const { return FError; }

private:
  std::mutex FMutex;
  std::condition_variable FEnded;
  bool FDone = false;
  bool FFailed = false;
  std::string FError;
};

}  // namespace testing_support

#pragma once

// The stage that changes the rate of float frames with libsoxr at its very-high quality; the
// channels and their speakers stay. The library is loaded by name when the stage is made.

#include <memory>

#include "pipeline/PcmStage.h"
#include "platform/DynamicLibrary.h"

struct soxr;

class TResampler : public TPcmStage {
public:
  TResampler();
  ~TResampler() override;

  int32_t TargetRate() const { return FTargetRate; }
  void SetTargetRate(int32_t value) { FTargetRate = value; }

protected:
  TPcmFormat OutputFormat(const TPcmFormat& input) const override;
  void Start(const TPcmFormat& input, const TPcmFormat& output) override;
  void Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) override;
  void Finish(std::vector<uint8_t>& out) override;
  int64_t OutputFrames(int64_t inputFrames) const override;

private:
  struct TSoxrDeleter {
    void operator()(soxr* resampler) const;
  };

  // Runs the library on `frames` input frames (null: the input has ended).
  void Process(const float* input, size_t frames, std::vector<uint8_t>& out);

  TBindingRef FLibrary;
  int32_t FTargetRate = 48000;
  std::unique_ptr<soxr, TSoxrDeleter> FSoxr;
};

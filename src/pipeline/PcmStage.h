#pragma once

// The common shape of the stages that change the PCM's format on its way to a sink (sample
// format, channel mix, rate): whole frames are read from the input, converted into a buffer of
// the stage's own format and handed out from there. The formats are fixed at Init for the run.

#include <vector>

#include "pipeline/ACS_Classes.h"

class TPcmStage : public TACSConverter {
public:
  // Input frames read per refill.
  static constexpr int32_t FramesPerRead = 4096;

  int32_t GetBitsPerSample() override { return GetFormat().BitsPerSample; }
  int32_t GetChannels() override { return GetFormat().Channels; }
  int32_t GetSampleRate() override { return GetFormat().SampleRate; }
  TPcmFormat GetFormat() override;
  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  void Flush() override;

protected:
  // The format this stage makes of `input`; EACSException when it cannot take that input.
  virtual TPcmFormat OutputFormat(const TPcmFormat& input) const = 0;
  // A run begins with these formats.
  virtual void Start(const TPcmFormat& input, const TPcmFormat& output) = 0;
  // Appends the conversion of whole input frames to `out`.
  virtual void Convert(std::span<const uint8_t> frames, std::vector<uint8_t>& out) = 0;
  // The input has ended: appends whatever the stage still holds back.
  virtual void Finish(std::vector<uint8_t>& /*out*/) {}
  // The output frames that `inputFrames` frames become.
  virtual int64_t OutputFrames(int64_t inputFrames) const { return inputFrames; }

  const TPcmFormat& InputFormatOfRun() const { return FIn; }
  const TPcmFormat& OutputFormatOfRun() const { return FOut; }

private:
  bool Refill();

  TPcmFormat FIn;
  TPcmFormat FOut;
  std::vector<uint8_t> FRead;  // input bytes, a partial frame kept at its start
  size_t FReadCarry = 0;
  std::vector<uint8_t> FOutput;
  size_t FOutputStart = 0;
  bool FEndOfInput = false;
};

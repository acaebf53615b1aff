#pragma once

// Converter stages: sample width (8 <-> 16 bits) and channel count (mono <-> stereo), each
// working in place in its one buffer.

#include <array>

#include "pipeline/ACS_Classes.h"

// The buffer and refill loop both stages share.
class TACSBufferedConverter : public TACSConverter {
public:
  static constexpr int32_t BufferSize = 32768;

  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  void Flush() override;

protected:
  // True when the input's samples are the wide ones: a wide input halves the stream.
  virtual bool WideInput() = 0;
  // Converts `total` input bytes at the start of FBuffer in place; returns the bytes that result.
  virtual int32_t ConvertInPlace(int32_t total, bool wide) = 0;

  int32_t FReadSize = 16384;
  bool FEndOfInput = false;
  bool FWide = false;  // asked at Init, as the input's format is fixed for a run
  alignas(4) std::array<uint8_t, BufferSize> FBuffer{};

private:
  int32_t ReadLocked(uint8_t* into, int32_t count);
};

class TSampleConverter : public TACSBufferedConverter {
public:
  int32_t GetBitsPerSample() override;
  int32_t GetChannels() override;
  int32_t GetSampleRate() override;
  TPcmFormat GetFormat() override;

protected:
  bool WideInput() override;
  int32_t ConvertInPlace(int32_t total, bool wide) override;
};

enum TMSConverterMode { msmMonoToBoth, msmMonoToLeft, msmMonoToRight };

class TMSConverter : public TACSBufferedConverter {
public:
  int32_t GetBitsPerSample() override;
  int32_t GetChannels() override;
  int32_t GetSampleRate() override;
  TPcmFormat GetFormat() override;

  TMSConverterMode Mode() const { return FMode; }
  void SetMode(TMSConverterMode value) { FMode = value; }

protected:
  bool WideInput() override;
  int32_t ConvertInPlace(int32_t total, bool wide) override;

private:
  TMSConverterMode FMode = msmMonoToBoth;
};

// The arithmetic of the stages, on plain memory.
namespace SampleArithmetic {
// 8-bit unsigned to 16-bit signed, last byte first; `samples` bytes in, 2 x samples bytes out.
void Widen8To16(uint8_t* buffer, int32_t samples);
// 16-bit signed to 8-bit unsigned, first sample first; 2 x samples bytes in, samples bytes out.
void Narrow16To8(uint8_t* buffer, int32_t samples);
// Stereo frames to mono by the truncating average; 4 x frames bytes in, 2 x frames out.
void StereoToMono(uint8_t* buffer, int32_t frames);
// Mono samples to stereo frames, last sample first; 2 x samples bytes in, 4 x samples out.
void MonoToStereo(uint8_t* buffer, int32_t samples, TMSConverterMode mode);
}  // namespace SampleArithmetic

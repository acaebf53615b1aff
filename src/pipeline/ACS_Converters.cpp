#include "pipeline/ACS_Converters.h"

#include <cstring>

namespace {
int16_t LoadSample(const uint8_t* at) {
  return static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
}

void StoreSample(uint8_t* at, int32_t value) {
  const auto bits = static_cast<uint16_t>(value);
  at[0] = static_cast<uint8_t>(bits & 0xFF);
  at[1] = static_cast<uint8_t>(bits >> 8);
}
}  // namespace

namespace SampleArithmetic {

void Widen8To16(uint8_t* buffer, int32_t samples) {
  for (int32_t i = samples - 1; i >= 0; --i) {
    StoreSample(buffer + 2 * i, buffer[i] * 256 - 32768);
  }
}

void Narrow16To8(uint8_t* buffer, int32_t samples) {
  for (int32_t i = 0; i < samples; ++i) {
    const int32_t s = LoadSample(buffer + 2 * i);
    buffer[i] = static_cast<uint8_t>(((s + 32768) % 65536) / 256);
  }
}

void StereoToMono(uint8_t* buffer, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    const int32_t left = LoadSample(buffer + 4 * i);
    const int32_t right = LoadSample(buffer + 4 * i + 2);
    StoreSample(buffer + 2 * i, (left + right) / 2);
  }
}

void MonoToStereo(uint8_t* buffer, int32_t samples, TMSConverterMode mode) {
  for (int32_t i = samples - 1; i >= 0; --i) {
    const int32_t s = LoadSample(buffer + 2 * i);
    const int32_t left = mode == msmMonoToLeft ? 0 : s;
    const int32_t right = mode == msmMonoToRight ? 0 : s;
    StoreSample(buffer + 4 * i, left);
    StoreSample(buffer + 4 * i + 2, right);
  }
}

}  // namespace SampleArithmetic

// ---- shared refill -----------------------------------------------------------------------------

void TACSBufferedConverter::Init() {
  TACSInput& input = RequireInput();
  input.Init();
  FBusy = true;
  FPosition = 0;
  FBufStart = 1;
  FBufEnd = 0;
  FEndOfInput = false;
  FWide = WideInput();
  FReadSize = FWide ? 32768 : 16384;
  const int64_t inputSize = input.Size();
  if (inputSize < 0) {
    // An unknown size keeps its 32-bit reading: a logical shift gives 0x7FFFFFFF, doubling -2.
    const auto bits = static_cast<uint32_t>(inputSize);
    FSize = static_cast<int32_t>(FWide ? bits >> 1 : bits << 1);
  } else {
    FSize = FWide ? inputSize / 2 : inputSize * 2;
  }
}

void TACSBufferedConverter::Flush() {
  RequireInput().Flush();
  FBusy = false;
}

int32_t TACSBufferedConverter::ReadLocked(uint8_t* into, int32_t count) {
  std::lock_guard lock(FInputLock);
  return RequireInput().GetData(std::span<uint8_t>(into, static_cast<size_t>(count)));
}

int32_t TACSBufferedConverter::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  if (BufferUsedUp()) {
    if (FEndOfInput) {
      return 0;
    }
    FBufStart = 1;
    int32_t last = ReadLocked(FBuffer.data(), FReadSize);
    if (last == 0) {
      FEndOfInput = true;
      return 0;
    }
    int32_t total = last;
    while (last > 0 && total < FReadSize) {
      last = ReadLocked(FBuffer.data() + total, FReadSize - total);
      total += last;
    }
    if (last == 0) {
      FEndOfInput = true;
    }
    FBufEnd = ConvertInPlace(total, FWide);
  }
  const int32_t available = FBufEnd - FBufStart + 1;
  const int32_t n = std::min<int32_t>(static_cast<int32_t>(std::min<size_t>(buffer.size(), INT32_MAX)), available);
  std::memcpy(buffer.data(), FBuffer.data() + (FBufStart - 1), static_cast<size_t>(n));
  FBufStart += n;
  // Follows the input's progress rather than the bytes copied, so a sink's Progress stays right.
  const TACSInput* input = FInput;
  const int64_t inputSize = input != nullptr ? input->Size() : 0;
  if (inputSize > 0) {
    FPosition = RoundHalfEven64(static_cast<double>(Size()) / static_cast<double>(inputSize) *
                                static_cast<double>(input->Position()));
  }
  return n;
}

// ---- TSampleConverter --------------------------------------------------------------------------

int32_t TSampleConverter::GetBitsPerSample() { return RequireInput().GetBitsPerSample() == 16 ? 8 : 16; }
int32_t TSampleConverter::GetChannels() { return RequireInput().GetChannels(); }
int32_t TSampleConverter::GetSampleRate() { return RequireInput().GetSampleRate(); }

TPcmFormat TSampleConverter::GetFormat() {
  TPcmFormat format = RequireInput().GetFormat();
  format.BitsPerSample = format.BitsPerSample == 16 ? 8 : 16;
  format.Kind = TSampleKind::skInteger;
  return format;
}

bool TSampleConverter::WideInput() { return RequireInput().GetBitsPerSample() == 16; }

int32_t TSampleConverter::ConvertInPlace(int32_t total, bool wide) {
  if (wide) {
    SampleArithmetic::Narrow16To8(FBuffer.data(), total / 2);
    return total / 2;
  }
  SampleArithmetic::Widen8To16(FBuffer.data(), total);
  return total * 2;
}

// ---- TMSConverter ------------------------------------------------------------------------------

int32_t TMSConverter::GetBitsPerSample() { return 16; }
int32_t TMSConverter::GetChannels() { return RequireInput().GetChannels() == 1 ? 2 : 1; }
int32_t TMSConverter::GetSampleRate() { return RequireInput().GetSampleRate(); }

TPcmFormat TMSConverter::GetFormat() {
  TPcmFormat format = RequireInput().GetFormat();
  format.BitsPerSample = 16;
  format.Kind = TSampleKind::skInteger;
  format.Channels = format.Channels == 1 ? 2 : 1;
  format.ChannelMask = 0;
  return format;
}

bool TMSConverter::WideInput() { return RequireInput().GetChannels() == 2; }

int32_t TMSConverter::ConvertInPlace(int32_t total, bool wide) {
  if (wide) {
    SampleArithmetic::StereoToMono(FBuffer.data(), total / 4);
    return total / 4 * 2;
  }
  SampleArithmetic::MonoToStereo(FBuffer.data(), total / 2, FMode);
  return total / 2 * 4;
}

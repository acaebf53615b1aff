#include "support/MemorySource.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

TMemorySource::TMemorySource(std::vector<uint8_t> pcm, int32_t bitsPerSample, int32_t channels, int32_t sampleRate)
    : FPcm(std::move(pcm)), FBits(bitsPerSample), FChannels(channels), FRate(sampleRate) {}

void TMemorySource::Init() {
  ++FInitCount;
  FOffset = 0;
  FPosition = 0;
  FSize = FSizeUnknown ? -1 : static_cast<int32_t>(FPcm.size());
  FBusy = true;
}

void TMemorySource::Flush() {
  ++FFlushCount;
  FBusy = false;
}

int32_t TMemorySource::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  const size_t count = std::min(buffer.size(), FPcm.size() - FOffset);
  std::memcpy(buffer.data(), FPcm.data() + FOffset, count);
  FOffset += count;
  FPosition += static_cast<int32_t>(count);
  return static_cast<int32_t>(count);
}

}  // namespace testing_support

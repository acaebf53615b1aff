#include "pipeline/PcmStage.h"

#include <algorithm>
#include <cstring>

TPcmFormat TPcmStage::GetFormat() {
  if (FBusy) {
    return FOut;
  }
  return OutputFormat(RequireInput().GetFormat());
}

void TPcmStage::Init() {
  TACSInput& input = RequireInput();
  input.Init();
  try {
    FIn = input.GetFormat();
    FOut = OutputFormat(FIn);
    Start(FIn, FOut);
  } catch (...) {
    input.Flush();
    throw;
  }
  FRead.resize(static_cast<size_t>(FramesPerRead) * static_cast<size_t>(FIn.BytesPerFrame()));
  FReadCarry = 0;
  FOutput.clear();
  FOutputStart = 0;
  FEndOfInput = false;
  FPosition = 0;
  const int64_t inputSize = input.Size();
  FSize = inputSize < 0 ? -1 : OutputFrames(inputSize / FIn.BytesPerFrame()) * FOut.BytesPerFrame();
  FBusy = true;
}

void TPcmStage::Flush() {
  RequireInput().Flush();
  FBusy = false;
  FRead = {};
  FOutput = {};
}

bool TPcmStage::Refill() {
  FOutput.clear();
  FOutputStart = 0;
  while (FOutput.empty() && !FEndOfInput) {
    int32_t got = 0;
    {
      std::lock_guard lock(FInputLock);
      got = RequireInput().GetData(std::span(FRead).subspan(FReadCarry));
    }
    if (got <= 0) {
      // A partial frame at the very end is no sample and is dropped.
      FEndOfInput = true;
      Finish(FOutput);
      break;
    }
    const size_t held = FReadCarry + static_cast<size_t>(got);
    const size_t frameBytes = static_cast<size_t>(FIn.BytesPerFrame());
    const size_t whole = held / frameBytes * frameBytes;
    Convert(std::span<const uint8_t>(FRead.data(), whole), FOutput);
    FReadCarry = held - whole;
    std::memmove(FRead.data(), FRead.data() + whole, FReadCarry);
  }
  return !FOutput.empty();
}

int32_t TPcmStage::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  if (FOutputStart == FOutput.size() && !Refill()) {
    return 0;
  }
  const size_t n = std::min({buffer.size(), FOutput.size() - FOutputStart, static_cast<size_t>(INT32_MAX)});
  std::memcpy(buffer.data(), FOutput.data() + FOutputStart, n);
  FOutputStart += n;
  // Follows the input's progress rather than the bytes copied, so a sink's Progress stays right.
  const TACSInput* input = FInput;
  const int64_t inputSize = input != nullptr ? input->Size() : 0;
  if (inputSize > 0 && Size() > 0) {
    FPosition = RoundHalfEven64(static_cast<double>(Size()) / static_cast<double>(inputSize) *
                                static_cast<double>(input->Position()));
  }
  return static_cast<int32_t>(n);
}

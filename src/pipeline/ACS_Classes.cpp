#include "pipeline/ACS_Classes.h"

#include <cfenv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <utility>

#include "pipeline/ACS_Thread.h"
#include "platform/StreamError.h"

namespace {
double NearestEven(double value) {
  // nearbyint rounds in the current mode, which is to-nearest-even unless someone changed it.
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(saved);
  return rounded;
}
}  // namespace

int32_t RoundHalfEven(double value) {
  const double rounded = NearestEven(value);
  if (rounded >= 2147483647.0) {
    return INT32_MAX;
  }
  if (rounded <= -2147483648.0) {
    return INT32_MIN;
  }
  return static_cast<int32_t>(rounded);
}

int64_t RoundHalfEven64(double value) {
  const double rounded = NearestEven(value);
  // 2^63 is the first double past INT64_MAX.
  if (rounded >= 9223372036854775808.0) {
    return INT64_MAX;
  }
  if (rounded <= -9223372036854775808.0) {
    return INT64_MIN;
  }
  return static_cast<int64_t>(rounded);
}

// ---- TACSInput ---------------------------------------------------------------------------------

int32_t TACSInput::GetTotalTime() { return 0; }

TPcmFormat TACSInput::GetFormat() {
  TPcmFormat format;
  format.BitsPerSample = GetBitsPerSample();
  format.Channels = GetChannels();
  format.SampleRate = GetSampleRate();
  return format;
}

void TACSInput::Reset() {
  try {
    Flush();
  } catch (...) {
  }
  FBusy = false;
}

int32_t TACSInput::CopyFromBuffer(const uint8_t* decodeBuffer, std::span<uint8_t> buffer) {
  const int32_t available = FBufEnd - FBufStart + 1;
  const int32_t n = std::min<int32_t>(static_cast<int32_t>(std::min<size_t>(buffer.size(), INT32_MAX)), available);
  if (n <= 0) {
    return 0;
  }
  std::memcpy(buffer.data(), decodeBuffer + (FBufStart - 1), static_cast<size_t>(n));
  FBufStart += n;
  FPosition.fetch_add(n, std::memory_order_relaxed);
  return n;
}

// ---- TACSStreamedInput -------------------------------------------------------------------------

void TACSStreamedInput::SetStream(TStream* stream) {
  FOwnedStream.reset();
  FStream = stream;
  FStreamAssigned = stream != nullptr;
}

bool TACSStreamedInput::OpenOwnStream(const std::string& fileName) {
  try {
    FOwnedStream = std::make_unique<TFileStream>(fileName, fmOpenRead);
    FStream = FOwnedStream.get();
    return true;
  } catch (const EStreamError&) {
    FOwnedStream.reset();
    FStream = nullptr;
    return false;
  }
}

void TACSStreamedInput::ReleaseStream() {
  if (FStreamAssigned) {
    if (FSeekable && FStream != nullptr) {
      FStream->Seek(0);
    }
    return;
  }
  FOwnedStream.reset();
  FStream = nullptr;
}

// ---- TACSFileIn --------------------------------------------------------------------------------

int32_t TACSFileIn::QueryFormat(const int32_t& cachedValue) {
  if (!FSeekable) {
    return cachedValue;
  }
  OpenFile();
  const int32_t value = cachedValue;
  CloseFile();
  return value;
}

int32_t TACSFileIn::GetBitsPerSample() { return QueryFormat(FBPS); }
int32_t TACSFileIn::GetChannels() { return QueryFormat(FChan); }
int32_t TACSFileIn::GetSampleRate() { return QueryFormat(FSR); }

int32_t TACSFileIn::GetTotalTime() {
  OpenFile();
  if (FSR == 0 || FChan == 0 || FBPS == 0) {
    CloseFile();
    return 0;
  }
  const double bytesPerSecond = static_cast<double>(FSR) * FChan * (FBPS / 8);
  const int32_t seconds = bytesPerSecond > 0 ? RoundHalfEven(static_cast<double>(Size()) / bytesPerSecond) : 0;
  CloseFile();
  return seconds;
}

void TACSFileIn::Reset() {
  TACSInput::Reset();
  FOpenCount = 0;
}

void TACSFileIn::Init() {
  if (FBusy) {
    throw EACSException("The component is buisy");
  }
  if (!FStreamAssigned && FFileName.empty()) {
    throw EACSException("The file name is not assigned");
  }
  OpenFile();
  if (FStartSample != 0) {
    Seek(FStartSample);
  }
  if (FStartSample != 0 || FEndSample != -1) {
    const int64_t frames = (FEndSample == -1 ? FTotalSamples : FEndSample) - FStartSample;
    FSize = frames * (GetBitsPerSample() / 8) * FChan;
  }
  FBusy = true;
  FBufStart = 1;
  FBufEnd = 0;
  FPosition = 0;
  FReadFault.clear();
}

void TACSFileIn::Flush() {
  CloseFile();
  FBusy = false;
}

// ---- TACSConverter -----------------------------------------------------------------------------

TACSConverter::~TACSConverter() = default;

TACSInput& TACSConverter::RequireInput() const {
  if (FInput == nullptr) {
    throw EACSException("Input not assigned");
  }
  return *FInput;
}

void TACSConverter::SetInput(TACSInput* source) {
  if (source == this) {
    return;
  }
  TACSInput* old = FInput;
  // Read once, as the sink does.
  const bool busy = FBusy;
  if (!busy || source == nullptr) {
    std::lock_guard lock(FInputLock);
    FInput = source;
  } else {
    source->Init();
    std::lock_guard lock(FInputLock);
    FInput = source;
  }
  if (old != source) {
    RemoveFreeNotification(old);
    FreeNotification(source);
    if (busy && old != nullptr && source != nullptr) {
      old->Flush();
    }
  }
}

void TACSConverter::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == FInput) {
    // The input is half destroyed already: drop it without calling it.
    std::lock_guard lock(FInputLock);
    FInput = nullptr;
  }
}

// ---- TACSOutput --------------------------------------------------------------------------------

TACSOutput::TACSOutput() : FThread(std::make_unique<TACSThread>(*this)) {}

TPcmFormat TACSOutput::AcceptedFormat(const TPcmFormat& offered) const {
  TPcmFormat accepted;
  accepted.SampleRate = offered.SampleRate;
  return accepted;
}

TACSOutput::~TACSOutput() {
  // A concrete sink ends its worker in its own destructor; this is only the safety net for a
  // sink that never ran.
  if (FThread) {
    FThread->Quit();
  }
}

void TACSOutput::EndWorker() {
  if (!FThread) {
    return;
  }
  FThread->Quit();
  FThread.reset();
  if (FBusy) {
    // The run was cut off by destruction: finish the file so it is well-formed.
    FActive = false;
    try {
      Done();
      EndOutput(true);
    } catch (...) {
      EndOutput(false);
    }
    FBusy = false;
  }
}

void TACSOutput::SetInput(TACSInput* source) {
  TACSInput* old = FInput.load();
  // Read once: the run may end while the swap is made, and the old input it opened must still be
  // flushed.
  const bool busy = FBusy;
  if (!busy || source == nullptr) {
    std::lock_guard lock(FInputLock);
    FInput = source;
  } else {
    source->Init();
    std::lock_guard lock(FInputLock);
    FInput = source;
  }
  if (old != source) {
    RemoveFreeNotification(old);
    FreeNotification(source);
    if (busy && old != nullptr && source != nullptr) {
      old->Flush();
    }
  }
}

void TACSOutput::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == FInput.load()) {
    std::lock_guard lock(FInputLock);
    FInput = nullptr;
  }
}

void TACSOutput::Run() {
  if (FBusy) {
    throw EACSException("Component is buisy");
  }
  if (Input() == nullptr) {
    throw EACSException("Input is not assigned");
  }
  try {
    Prepare();
  } catch (const std::exception& error) {
    FailurePath(error);
    return;
  }
  FBusy = true;
  FThread->AbortRequested = false;
  FActive = true;
  FThread->Wake();
}

void TACSOutput::Stop() {
  if (FThread) {
    FThread->AbortRequested = true;
  }
}

TACSOutputStatus TACSOutput::Status() const {
  if (!FBusy) {
    return tosIdle;
  }
  return FThread && FThread->Suspended() ? tosSuspended : tosRunning;
}

int32_t TACSOutput::Progress() const {
  const TACSInput* input = Input();
  if (input == nullptr) {
    return 0;
  }
  const int64_t size = input->Size();
  if (size == -1) {
    return -1;
  }
  if (size == 0) {
    return 0;
  }
  return RoundHalfEven(static_cast<double>(input->Position()) / static_cast<double>(size) * 100.0);
}

bool TACSOutput::SuspendWhenIdle() const { return FThread ? FThread->SuspendWhenIdle.load() : true; }

void TACSOutput::SetSuspendWhenIdle(bool value) {
  if (FThread) {
    FThread->SuspendWhenIdle = value;
  }
}

bool TACSOutput::BeginChunk(bool abort, bool& result) {
  if (!FActive) {
    result = true;
    return false;
  }
  const int32_t progress = Progress();
  if (progress != FLastProgress) {
    FLastProgress = progress;
    if (FOnProgress) {
      FOnProgress(this);
    }
  }
  if (abort) {
    result = false;
    return false;
  }
  return true;
}

int32_t TACSOutput::ReadInput(std::span<uint8_t> buffer) {
  std::lock_guard lock(FInputLock);
  TACSInput* input = FInput.load();
  if (input == nullptr) {
    return 0;
  }
  return input->GetData(buffer);
}

void TACSOutput::FlushInput() {
  if (TACSInput* input = Input()) {
    input->Flush();
  }
}

void TACSOutput::EndOutput(bool) {}

void TACSOutput::DonePath() {
  if (!FBusy) {
    return;
  }
  FActive = false;
  Done();
  // A failure to keep the output (a full disk at the last flush) sends the run down the
  // failure path, which gives the output up.
  EndOutput(true);
  FBusy = false;
  if (FOnDone) {
    FOnDone(this);
  }
}

void TACSOutput::FailurePath(const std::exception& error) {
  // Every InputLock is a scoped lock, released already by the unwinding that brought us here.
  if (FBusy) {
    try {
      Done();
    } catch (...) {
    }
  }
  try {
    EndOutput(false);
  } catch (...) {
  }
  FActive = false;
  FBusy = false;
  if (FOnThreadException) {
    try {
      FOnThreadException(this, error);
    } catch (...) {
    }
  }
}

// ---- TACSStreamedOutput, TACSFileOut -----------------------------------------------------------

void TACSStreamedOutput::SetStream(TStream* stream) {
  FOwnedStream.reset();
  FStream = stream;
  FStreamAssigned = stream != nullptr;
}

void TACSStreamedOutput::OpenOwnStream(const std::string& fileName, TFileOpenMode mode) {
  FOwnedStream = std::make_unique<TFileStream>(fileName, mode);
  FStream = FOwnedStream.get();
}

void TACSStreamedOutput::ReleaseStream() {
  if (FStreamAssigned) {
    return;
  }
  FOwnedStream.reset();
  FStream = nullptr;
}

void TACSFileOut::SetFileMode(TFileOutputMode) { FFileMode = foRewrite; }

void TACSFileOut::RequireFileName() const {
  if (!FStreamAssigned && FFileName.empty()) {
    throw EACSException("File name is not assigned.");
  }
}

void TACSFileOut::OpenTarget(bool canAppend) {
  RequireFileName();
  FOutputName.clear();
  FInPlace = false;
  if (FStreamAssigned) {
    return;
  }
  std::error_code error;
  if (canAppend && FFileMode == foAppend && std::filesystem::exists(FFileName, error)) {
    OpenOwnStream(FFileName, fmOpenReadWriteExclusive);
    FInPlace = true;
    return;
  }
  FTransaction = std::make_unique<TOutputTransaction>(FFileName, FReplaceExisting);
  FOwnedStream = std::make_unique<TFileStream>(::dup(FTransaction->Handle()), FFileName);
  FStream = FOwnedStream.get();
}

std::string TACSFileOut::CreateTarget() {
  FOutputName.clear();
  FInPlace = false;
  if (FFileName.empty()) {
    return FFileName;
  }
  FTransaction = std::make_unique<TOutputTransaction>(FFileName, FReplaceExisting);
  return FTransaction->TemporaryName();
}

std::string TACSFileOut::TargetName() const { return FTransaction ? FTransaction->TemporaryName() : FFileName; }

void TACSFileOut::AbandonPrepare(bool inputStarted) {
  if (inputStarted) {
    try {
      FlushInput();
    } catch (...) {
    }
  }
  ReleaseStream();
  FTransaction.reset();
  FInPlace = false;
}

void TACSFileOut::EndOutput(bool keep) {
  std::unique_ptr<TOutputTransaction> transaction = std::move(FTransaction);
  const bool inPlace = std::exchange(FInPlace, false);
  if (transaction && keep) {
    FOutputName = transaction->Commit();
  } else if (inPlace && keep) {
    FOutputName = FFileName;
  }
}

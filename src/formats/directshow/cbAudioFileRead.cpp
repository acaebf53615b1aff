#include "formats/directshow/cbAudioFileRead.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct TErrorEntry {
  uint32_t Code;
  const char* Message;
};

constexpr std::array<TErrorEntry, 20> ErrorTable{{
    {0x00040001, "The asynchronous update is pending."},
    {0x00040002, "Sample was not updated after forced completion."},
    {0x00040003, "Reached the end of the stream; the sample wasn't updated."},
    {0x08000001, "Invalid buffer size."},
    {0x80004002, "No interface."},
    {0x80004003, "This method tried to access an invalid pointer."},
    {0x80004004, "The update aborted."},
    {0x80040110, "This class cannot be created as part of an aggregate."},
    {0x80040154, "A specified class is not registered in the registration database."},
    {0x80040401, "An IMediaStream object could not be removed from an IMultiMediaStream object because it still "
                 "contains at least one allocated sample."},
    {0x80040402, "The specified purpose ID can't be used for the call."},
    {0x80040403, "No stream can be found with the specified attributes."},
    {0x80040404, "One or more media streams don't support seeking."},
    {0x80040405, "The stream formats are not compatible."},
    {0x80040406, "This sample already has a pending update."},
    {0x80040407, "The object can't accept the call because its initialize function or equivalent has not been called."},
    {0x80040408, "Source already defined."},
    {0x80040409, "The stream type is not valid for this operation."},
    {0x8004040A, "The IMultiMediaStream object is not in running state."},
    {0x80070057, "One of the parameters is invalid."},
}};

constexpr size_t MaxPlatformTextLength = 300;

}  // namespace

std::string AudioReadErrorText(uint32_t code) {
  const auto entry = std::find_if(ErrorTable.begin(), ErrorTable.end(), [code](const TErrorEntry& e) { return e.Code == code; });
  if (entry != ErrorTable.end()) {
    return entry->Message;
  }
  std::string text = MediaErrorText(code);
  if (text.empty()) {
    return "Unrecognized error value.";
  }
  text.resize(std::min(text.size(), MaxPlatformTextLength));
  return text;
}

EAudioReadError::EAudioReadError(uint32_t errorCode) : EACSException(AudioReadErrorText(errorCode)), FErrorCode(errorCode) {}

void CheckResult(uint32_t code) {
  if (code != 0) {
    throw EAudioReadError(code);
  }
}

TcbAudioFileReader::TcbAudioFileReader(const std::string& fileName) : FMultiMediaStream(std::make_unique<TMediaStream>()) {
  CheckResult(FMultiMediaStream->OpenFile(fileName));
  CheckResult(FMultiMediaStream->GetFormat(FWaveFormat));
  CheckResult(FMultiMediaStream->GetDuration(FStreamDuration));
  FFileName = fileName;
  FCurrentTime = 0;
}

TcbAudioFileReader::~TcbAudioFileReader() = default;

int32_t TcbAudioFileReader::ReadData(std::span<uint8_t> buffer) {
  if (buffer.empty()) {
    CheckResult(AR_E_INVALID_BUFFER_SIZE);
  }
  // The count of bytes filled is 32-bit.
  const size_t size = std::min<size_t>(buffer.size(), INT32_MAX);
  int32_t filled = 0;
  int64_t startTime = 0;
  int64_t endTime = 0;
  const TMediaResult result = FMultiMediaStream->Update(buffer.first(size), filled, startTime, endTime);
  if (result == MS_S_ENDOFSTREAM || result == MS_E_NOSTREAM) {
    return 0;
  }
  CheckResult(result);
  FCurrentTime = endTime;
  return filled;
}

void TcbAudioFileReader::SetPosition(int64_t time) {
  if (time == FCurrentTime) {
    return;
  }
  time = std::clamp<int64_t>(time, 0, FStreamDuration);
  CheckResult(FMultiMediaStream->SetPosition(time));
  FCurrentTime = time;
}

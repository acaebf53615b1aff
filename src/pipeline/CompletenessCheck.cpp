#include "pipeline/CompletenessCheck.h"

namespace {

std::string PlayingTime(int64_t bytes, const TPcmFormat& format) {
  const int64_t bytesPerSecond = static_cast<int64_t>(format.BytesPerFrame()) * format.SampleRate;
  const int64_t seconds = bytesPerSecond > 0 ? bytes / bytesPerSecond : 0;
  const int64_t rest = seconds % 60;
  return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

}  // namespace

std::string ShortRunMessage(int64_t delivered, int64_t announced, const TPcmFormat& format,
                            const std::string& reason) {
  // A stream that states no length beyond what it held is told only how far it got.
  const std::string of = announced > delivered ? " of " + PlayingTime(announced, format) : std::string();
  return "ended at " + PlayingTime(delivered, format) + of + " (" + reason + ")";
}

void TCompletenessCheck::SetSource(TACSFileIn* source) {
  TACSConverter::SetInput(source);
  FSource = source;
}

TACSFileIn& TCompletenessCheck::Source() const {
  if (FSource == nullptr || FInput != FSource) {
    throw EACSException("Input not assigned");
  }
  return *FSource;
}

int32_t TCompletenessCheck::GetBitsPerSample() { return Source().GetBitsPerSample(); }
int32_t TCompletenessCheck::GetChannels() { return Source().GetChannels(); }
int32_t TCompletenessCheck::GetSampleRate() { return Source().GetSampleRate(); }
TPcmFormat TCompletenessCheck::GetFormat() { return Source().GetFormat(); }

void TCompletenessCheck::Init() {
  TACSFileIn& source = Source();
  source.Init();
  FFormat = source.GetFormat();
  FAnnounced = source.AnnouncedSize();
  FSlack = source.SizeSlack();
  FDelivered = 0;
  FPosition = 0;
  FSize = source.Size();
  FBusy = true;
}

void TCompletenessCheck::Flush() {
  Source().Flush();
  FBusy = false;
}

int32_t TCompletenessCheck::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  int32_t n = 0;
  {
    std::lock_guard lock(FInputLock);
    TACSFileIn& source = Source();
    try {
      n = source.GetData(buffer);
    } catch (const std::exception& error) {
      // A source that cannot go on is told like one that ended early, with how far it got.
      std::string reason = error.what();
      if (reason.starts_with(source.FileName() + ": ")) {
        reason.erase(0, source.FileName().size() + 2);
      }
      throw EACSException(ShortRunMessage(FDelivered, FAnnounced, FFormat, reason));
    }
    FPosition = source.Position();
    FSize = source.Size();
  }
  FDelivered += n;
  if (n == 0) {
    CheckEnd();
  }
  return n;
}

void TCompletenessCheck::CheckEnd() const {
  const std::string& fault = Source().ReadFault();
  if (!fault.empty()) {
    throw EACSException(ShortRunMessage(FDelivered, FAnnounced, FFormat, fault));
  }
  if (FSlack >= 0 && FAnnounced > 0 && FDelivered + FSlack < FAnnounced) {
    throw EACSException(ShortRunMessage(FDelivered, FAnnounced, FFormat, "the stream ends before the length it states"));
  }
}

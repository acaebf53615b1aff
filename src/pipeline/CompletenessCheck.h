#pragma once

// The stage that holds a source to the length its stream announced: placed right after the
// source, it passes every byte on unchanged and, when the source runs dry, fails the run if less
// came than the stream said or the source stepped over damage on the way. A short file is then
// never finished as if it were whole.

#include <string>

#include "pipeline/ACS_Classes.h"

// "ended at 1:50 of 5:00 (reason)": how far the source got, what its stream announced (left out
// when it announced no more) and why.
std::string ShortRunMessage(int64_t delivered, int64_t announced, const TPcmFormat& format,
                            const std::string& reason);

class TCompletenessCheck : public TACSConverter {
public:
  // The checked source; it stays owned by the caller.
  void SetSource(TACSFileIn* source);

  int32_t GetBitsPerSample() override;
  int32_t GetChannels() override;
  int32_t GetSampleRate() override;
  TPcmFormat GetFormat() override;
  int32_t GetData(std::span<uint8_t> buffer) override;
  void Init() override;
  void Flush() override;

private:
  TACSFileIn* FSource = nullptr;
  TPcmFormat FFormat;
  int64_t FDelivered = 0;
  int64_t FAnnounced = 0;
  int64_t FSlack = 0;

  TACSFileIn& Source() const;
  // Throws when the run that just ended fell short.
  void CheckEnd() const;
};

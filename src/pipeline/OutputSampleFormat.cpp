#include "pipeline/OutputSampleFormat.h"

#include <algorithm>

namespace {

constexpr int32_t CompactDiscRate = 44100;
constexpr int32_t FloatAsIntegerBits = 24;

bool IsClassicPcm(const TPcmFormat& format) {
  return format.Kind == TSampleKind::skInteger && format.BitsPerSample <= 16 && format.Channels <= 2;
}

}  // namespace

TPcmFormat LosslessAcceptedFormat(const TPcmFormat& offered, TOutputSampleFormat choice, const TLosslessLimits& limits) {
  TPcmFormat accepted;
  if (choice == TOutputSampleFormat::osfCompactDisc) {
    accepted.SampleRate = CompactDiscRate;
    return accepted;
  }
  accepted.SampleRate = offered.SampleRate;
  if (IsClassicPcm(offered)) {
    return accepted;
  }
  accepted = offered;
  if (accepted.Kind == TSampleKind::skFloat && !limits.Float) {
    accepted.Kind = TSampleKind::skInteger;
    accepted.BitsPerSample = FloatAsIntegerBits;
  }
  accepted.BitsPerSample = std::min(accepted.BitsPerSample, limits.MaxBits);
  if (accepted.Channels > limits.MaxChannels) {
    accepted.Channels = 2;
    accepted.ChannelMask = 0;
  }
  return accepted;
}

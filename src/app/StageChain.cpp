#include "app/StageChain.h"

#include <string>

namespace {

std::string Describe(const TPcmFormat& format) {
  const std::string kind = format.Kind == TSampleKind::skFloat ? "float" : "integer";
  return std::to_string(format.BitsPerSample) + "-bit " + kind + " in " + std::to_string(format.Channels) +
         " channel(s) at " + std::to_string(format.SampleRate) + " Hz";
}

bool ClassicSamples(const TPcmFormat& format) {
  return format.Kind == TSampleKind::skInteger && (format.BitsPerSample == 8 || format.BitsPerSample == 16);
}

// The speakers aside: a stereo sink takes any two channels as left and right.
bool SameShape(const TPcmFormat& a, const TPcmFormat& b) {
  return a.BitsPerSample == b.BitsPerSample && a.Kind == b.Kind && a.Channels == b.Channels &&
         a.SampleRate == b.SampleRate;
}

}  // namespace

TACSInput& TStageChain::Build(TACSInput& source, const TPcmFormat& offered, const TPcmFormat& accepted) {
  const bool resample = offered.SampleRate != accepted.SampleRate;
  const bool mix = offered.Channels != accepted.Channels;
  TACSInput* head = nullptr;
  if (!resample && offered.Channels <= 2 && accepted.Channels <= 2 && ClassicSamples(offered)) {
    head = &Classic(source, offered, accepted);
  } else if (!resample && !mix) {
    head = &ToSamples(source, offered, accepted);
  } else if (accepted.Channels == 2 || !mix) {
    head = &InFloat(source, offered, accepted);
  }
  if (head == nullptr || !SameShape(head == &source ? offered : head->GetFormat(), accepted)) {
    throw EACSException("Cannot convert " + Describe(offered) + " to " + Describe(accepted));
  }
  return *head;
}

// The two classic stages: 8-bit samples widened first, then mono to both channels (or stereo to
// one); each only where it is needed.
TACSInput& TStageChain::Classic(TACSInput& source, const TPcmFormat& offered, const TPcmFormat& accepted) {
  TACSInput* head = &source;
  TPcmFormat current = offered;
  if (offered.BitsPerSample == 8 && (accepted.BitsPerSample != 8 || offered.Channels != accepted.Channels)) {
    FSampleConverter.SetInput(head);
    head = &FSampleConverter;
    current.BitsPerSample = 16;
  }
  if (current.Channels != accepted.Channels) {
    FMSConverter.SetMode(msmMonoToBoth);
    FMSConverter.SetInput(head);
    head = &FMSConverter;
    current.Channels = accepted.Channels;
  }
  return ToSamples(*head, current, accepted);
}

TACSInput& TStageChain::InFloat(TACSInput& source, const TPcmFormat& offered, const TPcmFormat& accepted) {
  TACSInput* head = &source;
  TPcmFormat current = offered;
  if (current.Kind != TSampleKind::skFloat) {
    FToFloat.SetTarget(32, TSampleKind::skFloat);
    FToFloat.SetInput(head);
    head = &FToFloat;
    current.BitsPerSample = 32;
    current.Kind = TSampleKind::skFloat;
  }
  if (current.Channels != accepted.Channels) {
    FMixer.SetInput(head);
    head = &FMixer;
    current.Channels = 2;
  }
  if (current.SampleRate != accepted.SampleRate) {
    if (!FResampler) {
      FResampler = std::make_unique<TResampler>();
    }
    FResampler->SetTargetRate(accepted.SampleRate);
    FResampler->SetInput(head);
    head = FResampler.get();
    current.SampleRate = accepted.SampleRate;
  }
  return ToSamples(*head, current, accepted);
}

TACSInput& TStageChain::ToSamples(TACSInput& head, const TPcmFormat& current, const TPcmFormat& accepted) {
  if (current.BitsPerSample == accepted.BitsPerSample && current.Kind == accepted.Kind) {
    return head;
  }
  FToAccepted.SetTarget(accepted.BitsPerSample, accepted.Kind);
  FToAccepted.SetInput(&head);
  return FToAccepted;
}

#pragma once

// The stages between a row's source and its sink. The chain is built from the format the source
// offers and the one the sink accepts for it: 8-bit and mono input the sink takes at its own rate
// go through the two classic stages (8 to 16 bits, mono to both channels) exactly as always;
// anything else is carried in float while it is mixed to stereo or resampled, then brought to
// the sink's samples, dithered where bits are lost.

#include <memory>

#include "pipeline/ACS_Converters.h"
#include "pipeline/ChannelMixer.h"
#include "pipeline/Resampler.h"
#include "pipeline/SampleFormatConverter.h"

class TStageChain {
public:
  // The head of the chain that turns `offered` from `source` into `accepted`: the source itself
  // when they are the same. EACSException when the stages cannot bring one to the other.
  TACSInput& Build(TACSInput& source, const TPcmFormat& offered, const TPcmFormat& accepted);

private:
  TACSInput& Classic(TACSInput& source, const TPcmFormat& offered, const TPcmFormat& accepted);
  TACSInput& InFloat(TACSInput& source, const TPcmFormat& offered, const TPcmFormat& accepted);
  TACSInput& ToSamples(TACSInput& head, const TPcmFormat& current, const TPcmFormat& accepted);

  TSampleConverter FSampleConverter;
  TMSConverter FMSConverter;
  TSampleFormatConverter FToFloat;
  TChannelMixer FMixer;
  std::unique_ptr<TResampler> FResampler;  // made on first use: it loads its library
  TSampleFormatConverter FToAccepted;
};

#pragma once

// What a lossless sink asks of the PCM it is given: the source's own format as far as the file
// format holds it, or a CD-compatible copy.

#include "pipeline/PcmFormat.h"

// The member names are short; they are named through their type: TOutputSampleFormat::osfAsInput.
namespace output_sample_format {
enum TOutputSampleFormat { osfAsInput, osfCompactDisc };
}  // namespace output_sample_format
using output_sample_format::TOutputSampleFormat;

// The widest PCM a file format stores.
struct TLosslessLimits {
  int32_t MaxBits = 32;
  int32_t MaxChannels = 8;
  bool Float = false;  // false: float samples are stored as 24-bit integers
};

// A CD-compatible copy is 16-bit stereo at 44.1 kHz. As the input, 8- and 16-bit mono or stereo
// PCM is taken as 16-bit stereo, the shape every sink has always been given; wider PCM is taken
// as it comes within the limits, and more channels than the format holds as stereo.
TPcmFormat LosslessAcceptedFormat(const TPcmFormat& offered, TOutputSampleFormat choice, const TLosslessLimits& limits);

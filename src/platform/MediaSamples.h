#pragma once

// How a decoded FFmpeg frame becomes the pipeline's PCM in the stream's own format: the sample
// width and kind a decoder's sample format stands for, the WAVE channel mask of its channel
// layout, and the interleaving, packing and reordering of the frame's samples.

#include <cstdint>
#include <string>
#include <vector>

#include "pipeline/PcmFormat.h"

struct AVChannelLayout;
struct AVFrame;

// The largest channel count and the range of rates the pipeline carries.
constexpr int32_t MaxPcmChannels = 8;
constexpr int32_t MinPcmRate = 1;
constexpr int32_t MaxPcmRate = 768000;

// What one decoder's frames are turned into.
struct TSampleLayout {
  TPcmFormat Format;
  int Source = -1;  // FFmpeg's AVSampleFormat of the decoded frames
  // Output channel k is source channel Order[k] (FFmpeg's custom orders need not be WAVE's).
  std::vector<int> Order;
};

// The layout for a decoder's output. `rawBits` is the decoder's bits_per_raw_sample (0 when it
// does not say): 32-bit integer samples of at most 24 significant bits are delivered as 24-bit.
// Empty `problem` when the stream fits the pipeline, otherwise why it does not.
TSampleLayout SampleLayoutFor(int format, int rawBits, const AVChannelLayout& channels, int rate,
                              std::string& problem);

// Writes the frame's samples, interleaved in the layout's format and order, at `out`, which has
// room for the frame's nb_samples frames of the layout's format.
void WriteSamples(const TSampleLayout& layout, const AVFrame& frame, uint8_t* out);

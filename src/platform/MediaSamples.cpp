#include "platform/MediaSamples.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

namespace {

// The speakers WAVE_FORMAT_EXTENSIBLE names; FFmpeg numbers the same speakers with the same bits.
constexpr uint64_t WaveSpeakers = 0x3FFFF;

void ChannelMaskAndOrder(const AVChannelLayout& channels, TSampleLayout& layout) {
  const int count = channels.nb_channels;
  layout.Order.resize(static_cast<size_t>(count));
  std::iota(layout.Order.begin(), layout.Order.end(), 0);
  layout.Format.ChannelMask = DefaultChannelMask(count);
  if (channels.order == AV_CHANNEL_ORDER_NATIVE) {
    const uint64_t mask = channels.u.mask;
    if ((mask & ~WaveSpeakers) == 0 && std::popcount(mask) == count) {
      layout.Format.ChannelMask = static_cast<uint32_t>(mask);
    }
    return;
  }
  if (channels.order != AV_CHANNEL_ORDER_CUSTOM) {
    return;
  }
  // A custom order of distinct WAVE speakers is delivered in the mask's order.
  uint64_t mask = 0;
  for (int i = 0; i < count; ++i) {
    const int id = channels.u.map[i].id;
    if (id < 0 || id > 17 || (mask & (uint64_t{1} << id)) != 0) {
      return;
    }
    mask |= uint64_t{1} << id;
  }
  std::sort(layout.Order.begin(), layout.Order.end(),
            [&](int a, int b) { return channels.u.map[a].id < channels.u.map[b].id; });
  layout.Format.ChannelMask = static_cast<uint32_t>(mask);
}

void SetSampleKind(AVSampleFormat format, int rawBits, TPcmFormat& pcm) {
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
      pcm.BitsPerSample = 8;
      break;
    case AV_SAMPLE_FMT_S16:
      pcm.BitsPerSample = 16;
      break;
    case AV_SAMPLE_FMT_S32:
      pcm.BitsPerSample = rawBits > 16 && rawBits <= 24 ? 24 : 32;
      break;
    case AV_SAMPLE_FMT_S64:
      pcm.BitsPerSample = 32;
      break;
    default:  // float and double
      pcm.BitsPerSample = 32;
      pcm.Kind = TSampleKind::skFloat;
      break;
  }
}

AVSampleFormat Source(const TSampleLayout& layout) { return static_cast<AVSampleFormat>(layout.Source); }

// One sample of the source, read from the plane and place FFmpeg keeps it in.
template <typename T>
T SampleAt(const AVFrame& frame, bool planar, int channels, int channel, int index) {
  T value;
  const uint8_t* at = planar ? frame.extended_data[channel] + static_cast<size_t>(index) * sizeof(T)
                             : frame.extended_data[0] + (static_cast<size_t>(index) * channels + channel) * sizeof(T);
  std::memcpy(&value, at, sizeof(T));
  return value;
}

template <typename TIn, typename TWrite>
void Interleave(const TSampleLayout& layout, const AVFrame& frame, uint8_t* out, TWrite write) {
  const bool planar = av_sample_fmt_is_planar(Source(layout)) != 0;
  const int channels = layout.Format.Channels;
  const int bytes = layout.Format.BytesPerSample();
  for (int i = 0; i < frame.nb_samples; ++i) {
    for (int k = 0; k < channels; ++k) {
      write(SampleAt<TIn>(frame, planar, channels, layout.Order[static_cast<size_t>(k)], i), out);
      out += bytes;
    }
  }
}

// Planes of samples that need no conversion, woven into frames.
template <size_t Bytes>
void InterleavePlanes(const AVFrame& frame, int channels, uint8_t* out) {
  for (size_t i = 0; i < static_cast<size_t>(frame.nb_samples); ++i) {
    for (int k = 0; k < channels; ++k) {
      std::memcpy(out, frame.extended_data[k] + i * Bytes, Bytes);
      out += Bytes;
    }
  }
}

template <typename T>
void WriteLe(T value, uint8_t* out) {
  std::memcpy(out, &value, sizeof(T));
}

}  // namespace

TSampleLayout SampleLayoutFor(int sampleFormat, int rawBits, const AVChannelLayout& channels, int rate,
                              std::string& problem) {
  const auto format = static_cast<AVSampleFormat>(sampleFormat);
  TSampleLayout layout;
  layout.Source = sampleFormat;
  problem.clear();
  if (channels.nb_channels < 1) {
    problem = "its audio stream names no channels";
  } else if (channels.nb_channels > MaxPcmChannels) {
    problem = "it has " + std::to_string(channels.nb_channels) + " channels; at most " +
              std::to_string(MaxPcmChannels) + " are read";
  } else if (rate < MinPcmRate || rate > MaxPcmRate) {
    problem = "its sample rate of " + std::to_string(rate) + " Hz is outside 1 Hz to 768 kHz";
  } else if (av_get_bytes_per_sample(format) == 0) {
    problem = "its decoder delivers no sample format that can be read";
  }
  if (!problem.empty()) {
    return layout;
  }
  SetSampleKind(format, rawBits, layout.Format);
  layout.Format.Channels = channels.nb_channels;
  layout.Format.SampleRate = rate;
  ChannelMaskAndOrder(channels, layout);
  return layout;
}

void AppendSamples(const TSampleLayout& layout, const AVFrame& frame, std::vector<uint8_t>& out) {
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>(frame.nb_samples) * layout.Format.BytesPerFrame());
  uint8_t* target = out.data() + start;
  const bool inOrder = std::is_sorted(layout.Order.begin(), layout.Order.end());
  const int sourceBytes = av_get_bytes_per_sample(Source(layout));
  if (inOrder && sourceBytes == layout.Format.BytesPerSample()) {
    const bool planar = av_sample_fmt_is_planar(Source(layout)) != 0;
    if (!planar) {
      std::memcpy(target, frame.extended_data[0], out.size() - start);
      return;
    }
    switch (sourceBytes) {
      case 1:
        return InterleavePlanes<1>(frame, layout.Format.Channels, target);
      case 2:
        return InterleavePlanes<2>(frame, layout.Format.Channels, target);
      case 4:
        return InterleavePlanes<4>(frame, layout.Format.Channels, target);
      default:
        break;
    }
  }
  switch (av_get_packed_sample_fmt(Source(layout))) {
    case AV_SAMPLE_FMT_U8:
      Interleave<uint8_t>(layout, frame, target, [](uint8_t v, uint8_t* o) { *o = v; });
      break;
    case AV_SAMPLE_FMT_S16:
      Interleave<int16_t>(layout, frame, target, WriteLe<int16_t>);
      break;
    case AV_SAMPLE_FMT_S32:
      if (layout.Format.BitsPerSample == 24) {
        // The significant bits sit at the top of FFmpeg's 32-bit samples.
        Interleave<int32_t>(layout, frame, target, [](int32_t v, uint8_t* o) {
          const auto u = static_cast<uint32_t>(v);
          o[0] = static_cast<uint8_t>(u >> 8);
          o[1] = static_cast<uint8_t>(u >> 16);
          o[2] = static_cast<uint8_t>(u >> 24);
        });
      } else {
        Interleave<int32_t>(layout, frame, target, WriteLe<int32_t>);
      }
      break;
    case AV_SAMPLE_FMT_S64:
      Interleave<int64_t>(layout, frame, target,
                          [](int64_t v, uint8_t* o) { WriteLe(static_cast<int32_t>(v >> 32), o); });
      break;
    case AV_SAMPLE_FMT_FLT:
      Interleave<float>(layout, frame, target, WriteLe<float>);
      break;
    default:
      Interleave<double>(layout, frame, target, [](double v, uint8_t* o) { WriteLe(static_cast<float>(v), o); });
      break;
  }
}

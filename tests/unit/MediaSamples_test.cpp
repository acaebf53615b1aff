#include "platform/MediaSamples.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
}

namespace {

struct TFrame {
  TFrame() : Frame(av_frame_alloc()) {}
  ~TFrame() { av_frame_free(&Frame); }
  AVFrame* Frame;
};

}  // namespace

TEST(MediaSamples, PlanarSamplesOfACustomOrderArePackedInMaskOrder) {
  // Right before left, 24 significant bits in 32-bit planar samples.
  AVChannelLayout layout{};
  layout.order = AV_CHANNEL_ORDER_CUSTOM;
  layout.nb_channels = 2;
  layout.u.map = static_cast<AVChannelCustom*>(av_calloc(2, sizeof(AVChannelCustom)));
  ASSERT_NE(layout.u.map, nullptr);
  layout.u.map[0].id = AV_CHAN_FRONT_RIGHT;
  layout.u.map[1].id = AV_CHAN_FRONT_LEFT;
  std::string problem;
  const TSampleLayout samples = SampleLayoutFor(AV_SAMPLE_FMT_S32P, 24, layout, 96000, problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(samples.Format.BitsPerSample, 24);
  EXPECT_EQ(samples.Format.ChannelMask, SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT);

  TFrame frame;
  frame.Frame->format = AV_SAMPLE_FMT_S32P;
  frame.Frame->nb_samples = 1;
  ASSERT_EQ(av_channel_layout_copy(&frame.Frame->ch_layout, &layout), 0);
  ASSERT_EQ(av_frame_get_buffer(frame.Frame, 0), 0);
  reinterpret_cast<int32_t*>(frame.Frame->extended_data[0])[0] = 0x11223300;                    // right
  reinterpret_cast<int32_t*>(frame.Frame->extended_data[1])[0] = static_cast<int32_t>(0xAABBCC00);  // left
  std::vector<uint8_t> out(6);
  WriteSamples(samples, *frame.Frame, out.data());
  EXPECT_EQ(out, (std::vector<uint8_t>{0xCC, 0xBB, 0xAA, 0x33, 0x22, 0x11}));
  av_channel_layout_uninit(&layout);
}

TEST(MediaSamples, DoublesBecomeFloatsAndOutOfRangeStreamsAreNamed) {
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  std::string problem;
  const TSampleLayout samples = SampleLayoutFor(AV_SAMPLE_FMT_DBL, 0, stereo, 44100, problem);
  EXPECT_EQ(samples.Format.Kind, TSampleKind::skFloat);
  EXPECT_EQ(samples.Format.BitsPerSample, 32);
  SampleLayoutFor(AV_SAMPLE_FMT_S16, 0, stereo, 768001, problem);
  EXPECT_EQ(problem, "its sample rate of 768001 Hz is outside 1 Hz to 768 kHz");
  AVChannelLayout nine{};
  av_channel_layout_default(&nine, 9);
  SampleLayoutFor(AV_SAMPLE_FMT_S16, 0, nine, 44100, problem);
  EXPECT_EQ(problem, "it has 9 channels; at most 8 are read");
  av_channel_layout_uninit(&nine);
}

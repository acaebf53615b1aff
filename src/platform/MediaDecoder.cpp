#include "platform/MediaDecoder.h"

#include <algorithm>
#include <cstring>

#include "platform/FFmpegLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {

// The parser is fed in pieces of this size, each copied into padded scratch memory.
constexpr size_t FeedPiece = 4096;

}  // namespace

void TMediaDecoder::TCodecFreer::operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
void TMediaDecoder::TParserCloser::operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
void TMediaDecoder::TPacketFreer::operator()(AVPacket* packet) const { av_packet_free(&packet); }
void TMediaDecoder::TFrameFreer::operator()(AVFrame* frame) const { av_frame_free(&frame); }

struct TMediaDecoder::TConverter {
  struct TSwrFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
  };
  std::unique_ptr<SwrContext, TSwrFreer> Swr;
  AVChannelLayout Layout{};
  int Format = -1;
  int Rate = 0;

  ~TConverter() { av_channel_layout_uninit(&Layout); }
};

TMediaDecoder::TMediaDecoder()
    : FPacket(av_packet_alloc()), FFrame(av_frame_alloc()), FConverter(std::make_unique<TConverter>()) {
  SilenceFFmpegLog();
}

TMediaDecoder::~TMediaDecoder() = default;

bool TMediaDecoder::OpenCodec(const AVCodecParameters* stream, int codecId, TMediaOutput output) {
  FOutput = output;
  if (!FPacket || !FFrame) {
    FProblem = "there is not enough memory to decode it";
    return false;
  }
  const auto id = static_cast<AVCodecID>(codecId);
  const AVCodec* decoder = avcodec_find_decoder(id);
  if (decoder == nullptr) {
    // A codec FFmpeg does not even know is named by the container's tag for it.
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    const bool tagged = id == AV_CODEC_ID_NONE && stream != nullptr && stream->codec_tag != 0;
    const std::string name = tagged ? av_fourcc_make_string(tag, stream->codec_tag) : avcodec_get_name(id);
    FProblem = "its audio codec (" + name + ") cannot be decoded";
    return false;
  }
  FCodec.reset(avcodec_alloc_context3(decoder));
  if (!FCodec || (stream != nullptr && avcodec_parameters_to_context(FCodec.get(), stream) < 0)) {
    FProblem = "there is not enough memory to decode it";
    return false;
  }
  if (avcodec_open2(FCodec.get(), decoder, nullptr) < 0) {
    FProblem = std::string("its ") + decoder->name + " audio stream cannot be decoded (damaged or an unsupported variant)";
    return false;
  }
  return true;
}

bool TMediaDecoder::Open(const AVCodecParameters& stream, TMediaOutput output) {
  if (!OpenCodec(&stream, stream.codec_id, output)) {
    return false;
  }
  const AVCodecContext& codec = *FCodec;
  if (output == moSixteenBit) {
    // Any stream is mixed and converted to this, frame by frame.
    if (codec.ch_layout.nb_channels <= 0 || codec.sample_rate <= 0) {
      FProblem = "its audio stream names no channels or no rate";
      return false;
    }
    FLayout.Format.Channels = codec.ch_layout.nb_channels == 1 ? 1 : 2;
    FLayout.Format.SampleRate = codec.sample_rate;
    FLayout.Format.ChannelMask = DefaultChannelMask(FLayout.Format.Channels);
    return true;
  }
  // Some decoders learn the speakers only from their first frame, which the demuxer has decoded
  // already to fill in the stream's parameters.
  const bool named = stream.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC &&
                     stream.ch_layout.nb_channels == codec.ch_layout.nb_channels;
  FLayout = SampleLayoutFor(codec.sample_fmt, codec.bits_per_raw_sample, named ? stream.ch_layout : codec.ch_layout,
                            codec.sample_rate, FProblem);
  return FProblem.empty();
}

bool TMediaDecoder::OpenMpegAudio(uint16_t channels, uint32_t sampleRate) {
  if (!OpenCodec(nullptr, AV_CODEC_ID_MP3, moSixteenBit)) {
    return false;
  }
  FParser.reset(av_parser_init(AV_CODEC_ID_MP3));
  if (!FParser) {
    FProblem = "there is not enough memory to decode it";
    return false;
  }
  FScratch.resize(FeedPiece + AV_INPUT_BUFFER_PADDING_SIZE);
  FLayout.Format.BitsPerSample = 16;
  FLayout.Format.Channels = channels;
  FLayout.Format.SampleRate = static_cast<int32_t>(sampleRate);
  FLayout.Format.ChannelMask = DefaultChannelMask(channels);
  return true;
}

bool TMediaDecoder::Send(const AVPacket* packet) {
  const int sent = avcodec_send_packet(FCodec.get(), packet);
  if (sent == AVERROR_INVALIDDATA) {
    ++FDamagedPackets;
  }
  return sent >= 0 || sent == AVERROR_INVALIDDATA || sent == AVERROR_EOF;
}

bool TMediaDecoder::Receive(bool& wantsInput) {
  wantsInput = false;
  while (!FEnded) {
    const int received = avcodec_receive_frame(FCodec.get(), FFrame.get());
    if (received == AVERROR(EAGAIN)) {
      wantsInput = true;
      return true;
    }
    if (received == AVERROR_EOF) {
      FEnded = true;
      if (FConverter->Swr) {
        return AppendConverted(nullptr, 0);
      }
      return true;
    }
    if (received == AVERROR_INVALIDDATA) {
      ++FDamagedPackets;
      continue;
    }
    if (received < 0) {
      FProblem = "decoding its audio stream failed";
      return false;
    }
    const bool converted = FFrame->nb_samples <= 0 || ConvertFrame();
    av_frame_unref(FFrame.get());
    if (!converted) {
      return false;
    }
  }
  return true;
}

bool TMediaDecoder::ConvertFrame() {
  const AVFrame& frame = *FFrame;
  FDecodedAny = true;
  if (FOutput == moSixteenBit) {
    return SetUpConverter() && AppendConverted(frame.extended_data, frame.nb_samples);
  }
  if (frame.format != FLayout.Source || frame.ch_layout.nb_channels != FLayout.Format.Channels ||
      frame.sample_rate != FLayout.Format.SampleRate) {
    FProblem = "its audio stream changes its sample format, channels or rate midway";
    return false;
  }
  Compact();
  AppendSamples(FLayout, frame, FPending);
  return true;
}

// The stream may change its rate or channels midway; the 16-bit output never changes.
bool TMediaDecoder::SetUpConverter() {
  const AVFrame& frame = *FFrame;
  // A stream without a channel order gets the usual order for its channel count.
  AVChannelLayout input{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&frame.ch_layout) == 0) {
    av_channel_layout_default(&input, frame.ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&input, &frame.ch_layout) < 0) {
    FProblem = "there is not enough memory to decode it";
    return false;
  }
  TConverter& converter = *FConverter;
  if (converter.Swr && frame.format == converter.Format && frame.sample_rate == converter.Rate &&
      av_channel_layout_compare(&input, &converter.Layout) == 0) {
    av_channel_layout_uninit(&input);
    return true;
  }
  if (converter.Swr && !AppendConverted(nullptr, 0)) {
    av_channel_layout_uninit(&input);
    return false;
  }
  AVChannelLayout output{};
  av_channel_layout_default(&output, FLayout.Format.Channels);
  SwrContext* swr = nullptr;
  const int made = swr_alloc_set_opts2(&swr, &output, AV_SAMPLE_FMT_S16, FLayout.Format.SampleRate, &input,
                                       static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
  converter.Swr.reset(swr);
  av_channel_layout_uninit(&output);
  av_channel_layout_uninit(&converter.Layout);
  converter.Layout = input;
  converter.Format = frame.format;
  converter.Rate = frame.sample_rate;
  if (made < 0 || swr_init(converter.Swr.get()) < 0) {
    converter.Swr.reset();
    FProblem = "its audio cannot be converted to 16-bit samples";
    return false;
  }
  return true;
}

bool TMediaDecoder::AppendConverted(const uint8_t* const* input, int frames) {
  const int room = swr_get_out_samples(FConverter->Swr.get(), frames);
  if (room < 0) {
    FProblem = "its audio cannot be converted to 16-bit samples";
    return false;
  }
  if (room == 0) {
    return true;
  }
  Compact();
  const size_t frameBytes = static_cast<size_t>(FLayout.Format.BytesPerFrame());
  const size_t used = FPending.size();
  FPending.resize(used + static_cast<size_t>(room) * frameBytes);
  uint8_t* out = FPending.data() + used;
  const int converted = swr_convert(FConverter->Swr.get(), &out, room, const_cast<const uint8_t**>(input), frames);
  FPending.resize(used + static_cast<size_t>(std::max(converted, 0)) * frameBytes);
  if (converted < 0) {
    FProblem = "its audio cannot be converted to 16-bit samples";
    return false;
  }
  return true;
}

size_t TMediaDecoder::Feed(std::span<const uint8_t> data) {
  if (data.empty()) {
    return 0;
  }
  const size_t piece = std::min(data.size(), FeedPiece);
  std::memcpy(FScratch.data(), data.data(), piece);
  std::memset(FScratch.data() + piece, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  uint8_t* frameData = nullptr;
  int frameSize = 0;
  const int used = av_parser_parse2(FParser.get(), FCodec.get(), &frameData, &frameSize, FScratch.data(),
                                    static_cast<int>(piece), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
  if (frameSize > 0) {
    // The packet does not own the parser's memory; FFmpeg copies it into a padded buffer of its own.
    FPacket->data = frameData;
    FPacket->size = frameSize;
    bool wantsInput = false;
    if (Send(FPacket.get())) {
      Receive(wantsInput);
    }
    av_packet_unref(FPacket.get());
  }
  // A parser that takes nothing would stall the caller; what it refused is skipped instead.
  return used > 0 ? static_cast<size_t>(used) : piece;
}

void TMediaDecoder::FeedEnd() {
  uint8_t* frameData = nullptr;
  int frameSize = 0;
  av_parser_parse2(FParser.get(), FCodec.get(), &frameData, &frameSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
  bool wantsInput = false;
  if (frameSize > 0) {
    FPacket->data = frameData;
    FPacket->size = frameSize;
    if (Send(FPacket.get())) {
      Receive(wantsInput);
    }
    av_packet_unref(FPacket.get());
  }
  if (Send(nullptr)) {
    Receive(wantsInput);
  }
}

void TMediaDecoder::Compact() {
  if (FPendingStart > 0 && FPendingStart == FPending.size()) {
    FPending.clear();
    FPendingStart = 0;
  }
}

size_t TMediaDecoder::Take(std::span<uint8_t> out) {
  const size_t n = std::min(out.size(), PendingBytes());
  if (n > 0) {
    std::memcpy(out.data(), FPending.data() + FPendingStart, n);
    FPendingStart += n;
  }
  Compact();
  return n;
}

int64_t TMediaDecoder::Drop(int64_t frames) {
  const int64_t frameBytes = FLayout.Format.BytesPerFrame();
  const int64_t dropped = std::min<int64_t>(frames, static_cast<int64_t>(PendingBytes()) / frameBytes);
  FPendingStart += static_cast<size_t>(dropped * frameBytes);
  Compact();
  return dropped;
}


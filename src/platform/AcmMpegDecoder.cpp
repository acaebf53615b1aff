#include "platform/AcmMpegDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

// The parser is fed in pieces of this size, each copied into padded scratch memory.
constexpr size_t FeedPiece = 4096;

void SilenceFFmpeg() {
  // The core never prints; FFmpeg's own messages about damaged frames would reach the terminal.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

std::unique_ptr<TAcmMpegDecoder> TAcmMpegDecoder::Create(uint16_t channels, uint32_t sampleRate) {
  SilenceFFmpeg();
  std::unique_ptr<TAcmMpegDecoder> decoder(new TAcmMpegDecoder(channels, sampleRate));
  if (!decoder->Open()) {
    return nullptr;
  }
  return decoder;
}

bool TAcmMpegDecoder::Open() {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MP3);
  if (codec == nullptr) {
    return false;
  }
  FContext = avcodec_alloc_context3(codec);
  FParser = av_parser_init(AV_CODEC_ID_MP3);
  FPacket = av_packet_alloc();
  FFrame = av_frame_alloc();
  if (FContext == nullptr || FParser == nullptr || FPacket == nullptr || FFrame == nullptr) {
    return false;
  }
  FScratch.resize(FeedPiece + AV_INPUT_BUFFER_PADDING_SIZE);
  return avcodec_open2(FContext, codec, nullptr) >= 0;
}

TAcmMpegDecoder::~TAcmMpegDecoder() {
  swr_free(&FResampler);
  av_frame_free(&FFrame);
  av_packet_free(&FPacket);
  if (FParser != nullptr) {
    av_parser_close(FParser);
  }
  avcodec_free_context(&FContext);
}

size_t TAcmMpegDecoder::Feed(std::span<const uint8_t> data) {
  if (data.empty()) {
    return 0;
  }
  const size_t piece = std::min(data.size(), FeedPiece);
  std::memcpy(FScratch.data(), data.data(), piece);
  std::memset(FScratch.data() + piece, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  uint8_t* frameData = nullptr;
  int frameSize = 0;
  const int used = av_parser_parse2(FParser, FContext, &frameData, &frameSize, FScratch.data(), static_cast<int>(piece),
                                    AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
  if (frameSize > 0) {
    Decode(frameData, frameSize);
  }
  // A parser that takes nothing would stall the caller; what it refused is skipped instead.
  return used > 0 ? static_cast<size_t>(used) : piece;
}

void TAcmMpegDecoder::Drain() {
  uint8_t* frameData = nullptr;
  int frameSize = 0;
  av_parser_parse2(FParser, FContext, &frameData, &frameSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
  if (frameSize > 0) {
    Decode(frameData, frameSize);
  }
  if (avcodec_send_packet(FContext, nullptr) >= 0) {
    ReceiveFrames();
  }
  if (FResampler != nullptr) {
    Resample(nullptr, 0);
  }
}

void TAcmMpegDecoder::Decode(const uint8_t* data, int size) {
  // The packet does not own the parser's memory; FFmpeg copies it into a padded buffer of its own.
  FPacket->data = const_cast<uint8_t*>(data);
  FPacket->size = size;
  const int result = avcodec_send_packet(FContext, FPacket);
  av_packet_unref(FPacket);
  if (result >= 0) {
    ReceiveFrames();
  }
}

void TAcmMpegDecoder::ReceiveFrames() {
  while (avcodec_receive_frame(FContext, FFrame) >= 0) {
    if (FFrame->nb_samples > 0 && MatchResampler(*FFrame)) {
      Resample(FFrame->extended_data, FFrame->nb_samples);
      FDecodedAny = true;
    }
    av_frame_unref(FFrame);
  }
}

// The stream may change its rate or channels midway; the output format never changes.
bool TAcmMpegDecoder::MatchResampler(AVFrame& frame) {
  const uint64_t mask = frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? frame.ch_layout.u.mask : 0;
  if (FResampler != nullptr && frame.format == FResamplerFormat && frame.sample_rate == FResamplerRate &&
      frame.ch_layout.nb_channels == FResamplerChannels && mask == FResamplerMask) {
    return true;
  }
  if (FResampler != nullptr) {
    Resample(nullptr, 0);
    swr_free(&FResampler);
  }
  AVChannelLayout outLayout;
  av_channel_layout_default(&outLayout, FChannels);
  const int made = swr_alloc_set_opts2(&FResampler, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(FSampleRate),
                                       &frame.ch_layout, static_cast<AVSampleFormat>(frame.format), frame.sample_rate,
                                       0, nullptr);
  av_channel_layout_uninit(&outLayout);
  if (made < 0 || swr_init(FResampler) < 0) {
    swr_free(&FResampler);
    return false;
  }
  FResamplerFormat = frame.format;
  FResamplerRate = frame.sample_rate;
  FResamplerChannels = frame.ch_layout.nb_channels;
  FResamplerMask = mask;
  return true;
}

void TAcmMpegDecoder::Resample(const uint8_t* const* input, int samples) {
  const int room = swr_get_out_samples(FResampler, samples);
  if (room <= 0) {
    return;
  }
  const size_t frameBytes = 2u * FChannels;
  if (FPendingStart > 0 && FPendingStart == FPending.size()) {
    FPending.clear();
    FPendingStart = 0;
  }
  const size_t start = FPending.size();
  FPending.resize(start + static_cast<size_t>(room) * frameBytes);
  uint8_t* output[1] = {FPending.data() + start};
  const int made = swr_convert(FResampler, output, room, const_cast<const uint8_t**>(input), samples);
  FPending.resize(start + static_cast<size_t>(std::max(made, 0)) * frameBytes);
}

size_t TAcmMpegDecoder::TakeOutput(std::span<uint8_t> out) {
  const size_t n = std::min(out.size(), PendingBytes());
  if (n > 0) {
    std::memcpy(out.data(), FPending.data() + FPendingStart, n);
    FPendingStart += n;
  }
  if (FPendingStart == FPending.size()) {
    FPending.clear();
    FPendingStart = 0;
  }
  return n;
}

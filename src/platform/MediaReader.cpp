#include "platform/MediaReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/FFmpegLibraries.h"
#include "platform/FFmpegLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {

constexpr int64_t TicksPerSecond = 10000000;
constexpr int OutputBytesPerSample = 2;

struct TFormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct TCodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct TPacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct TFrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct TSwrFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

TMediaResult OpenFailure(int error) {
  if (error == AVERROR(ENOENT) || error == AVERROR(ENOTDIR)) {
    return MR_E_FILE_NOT_FOUND;
  }
  if (error == AVERROR(EACCES) || error == AVERROR(EPERM) || error == AVERROR(EISDIR)) {
    return MR_E_ACCESS_DENIED;
  }
  if (error == AVERROR(ENOMEM)) {
    return MR_E_OUTOFMEMORY;
  }
  return MR_E_INVALID_FILE_FORMAT;
}

}  // namespace

std::string MediaErrorText(TMediaResult code) {
  switch (code) {
    case MR_E_FILE_NOT_FOUND:
      return "The file does not exist.";
    case MR_E_ACCESS_DENIED:
      return "The file cannot be read: access is denied.";
    case MR_E_OUTOFMEMORY:
      return "There is not enough memory to decode the file.";
    case MR_E_INVALID_FILE_FORMAT:
      return "The file is not an audio file that can be decoded, or it is damaged.";
    case MR_E_UNSUPPORTED_STREAM:
      return "The audio stream of the file is in a format that has no decoder.";
    case MR_E_READ_FAILED:
      return "Reading the file failed.";
    case MR_E_DECODE_FAILED:
      return "Decoding the audio stream failed.";
    default:
      return {};
  }
}

std::string MissingMediaDecodersText(const std::string& missingLibrary, bool haveMp3, bool haveWma) {
  if (!missingLibrary.empty()) {
    return "FFmpeg's " + missingLibrary + " was not found; install " + FFmpegPackage(missingLibrary);
  }
  if (haveMp3 && haveWma) {
    return {};
  }
  const std::string missing = !haveMp3 && !haveWma ? "MP3 and WMA decoders were" : !haveMp3 ? "MP3 decoder was" : "WMA decoders were";
  return "FFmpeg's " + missing + " not found; install " + FFmpegPackage(AvCodecLibraryFile());
}

std::string MissingMediaDecoders() {
  const std::string missingLibrary = MissingFFmpegLibrary();
  if (!missingLibrary.empty()) {
    return MissingMediaDecodersText(missingLibrary, false, false);
  }
  return MissingMediaDecodersText({}, avcodec_find_decoder(AV_CODEC_ID_MP3) != nullptr,
                                  avcodec_find_decoder(AV_CODEC_ID_WMAV1) != nullptr &&
                                      avcodec_find_decoder(AV_CODEC_ID_WMAV2) != nullptr);
}

struct TMediaStream::TImpl {
  std::string FileName;
  std::unique_ptr<AVFormatContext, TFormatCloser> Format;
  std::unique_ptr<AVCodecContext, TCodecFreer> Codec;
  std::unique_ptr<AVPacket, TPacketFreer> Packet{av_packet_alloc()};
  std::unique_ptr<AVFrame, TFrameFreer> Frame{av_frame_alloc()};
  std::unique_ptr<SwrContext, TSwrFreer> Swr;
  int StreamIndex = -1;
  TWaveFormatEx WaveFormat;
  int64_t Duration = 0;
  // What the converter was set up for; a frame that differs sets it up again.
  AVChannelLayout SwrLayout{};
  int SwrFormat = -1;
  int SwrRate = 0;
  std::vector<uint8_t> Pending;  // converted bytes not yet delivered
  size_t PendingStart = 0;
  int64_t SkipFrames = 0;        // frames still to drop after a reposition
  int64_t FramesDelivered = 0;
  bool InputEnded = false;       // the demuxer has nothing more; the decoder is being drained
  bool DecoderEnded = false;
  bool ConverterFlushed = false;

  ~TImpl() { av_channel_layout_uninit(&SwrLayout); }

  TMediaResult Open(const std::string& fileName);
  void Close();
  TMediaResult FindAudioStream();
  TMediaResult Refill();
  TMediaResult ReadPacket();
  TMediaResult Convert(const AVFrame* frame);
  TMediaResult SetUpConverter(const AVFrame* frame, AVChannelLayout& input);
  TMediaResult AppendConverted(const uint8_t** input, int inputFrames);
  int FrameBytes() const { return WaveFormat.BlockAlign; }
};

void TMediaStream::TImpl::Close() {
  Swr.reset();
  Codec.reset();
  Format.reset();
  av_channel_layout_uninit(&SwrLayout);
  SwrFormat = -1;
  SwrRate = 0;
  Pending.clear();
  PendingStart = 0;
  SkipFrames = 0;
  FramesDelivered = 0;
  InputEnded = false;
  DecoderEnded = false;
  ConverterFlushed = false;
}

TMediaResult TMediaStream::TImpl::Open(const std::string& fileName) {
  SilenceFFmpegLog();
  Close();
  if (!Packet || !Frame) {
    return MR_E_OUTOFMEMORY;
  }
  AVFormatContext* format = nullptr;
  // The name is always a local file: a name that looks like a URL or a protocol ("concat:",
  // "http:") is not followed, nor are references from inside a playlist-like file.
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int opened = avformat_open_input(&format, ("file:" + fileName).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {
    return OpenFailure(opened);
  }
  Format.reset(format);
  if (avformat_find_stream_info(Format.get(), nullptr) < 0) {
    Close();
    return MR_E_INVALID_FILE_FORMAT;
  }
  const TMediaResult found = FindAudioStream();
  if (found != MR_OK) {
    Close();
    return found;
  }
  FileName = fileName;
  return MR_OK;
}

TMediaResult TMediaStream::TImpl::FindAudioStream() {
  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(Format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (index == AVERROR_STREAM_NOT_FOUND) {
    return MS_E_NOSTREAM;
  }
  if (index < 0 || decoder == nullptr) {
    return MR_E_UNSUPPORTED_STREAM;
  }
  AVStream* stream = Format->streams[index];
  Codec.reset(avcodec_alloc_context3(decoder));
  if (!Codec) {
    return MR_E_OUTOFMEMORY;
  }
  if (avcodec_parameters_to_context(Codec.get(), stream->codecpar) < 0 || avcodec_open2(Codec.get(), decoder, nullptr) < 0) {
    return MR_E_UNSUPPORTED_STREAM;
  }
  const int channels = Codec->ch_layout.nb_channels;
  const int rate = Codec->sample_rate;
  if (channels <= 0 || rate <= 0) {
    return MR_E_INVALID_FILE_FORMAT;
  }
  for (unsigned i = 0; i < Format->nb_streams; ++i) {
    Format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  StreamIndex = index;
  WaveFormat.FormatTag = 1;
  WaveFormat.Channels = static_cast<uint16_t>(channels == 1 ? 1 : 2);
  WaveFormat.SamplesPerSec = static_cast<uint32_t>(rate);
  WaveFormat.BitsPerSample = 16;
  WaveFormat.BlockAlign = static_cast<uint16_t>(WaveFormat.Channels * OutputBytesPerSample);
  WaveFormat.AvgBytesPerSec = WaveFormat.SamplesPerSec * WaveFormat.BlockAlign;
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
    Duration = av_rescale_q(stream->duration, stream->time_base, AVRational{1, static_cast<int>(TicksPerSecond)});
  } else if (Format->duration != AV_NOPTS_VALUE && Format->duration > 0) {
    Duration = av_rescale(Format->duration, TicksPerSecond, AV_TIME_BASE);
  } else {
    Duration = 0;
  }
  return MR_OK;
}

TMediaResult TMediaStream::TImpl::SetUpConverter(const AVFrame* frame, AVChannelLayout& input) {
  AVChannelLayout output{};
  av_channel_layout_default(&output, WaveFormat.Channels);
  SwrContext* swr = nullptr;
  const int made = swr_alloc_set_opts2(&swr, &output, AV_SAMPLE_FMT_S16, static_cast<int>(WaveFormat.SamplesPerSec), &input,
                                       static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
  Swr.reset(swr);
  av_channel_layout_uninit(&output);
  av_channel_layout_uninit(&SwrLayout);
  SwrLayout = input;
  input = AVChannelLayout{};
  SwrFormat = frame->format;
  SwrRate = frame->sample_rate;
  if (made < 0 || swr_init(Swr.get()) < 0) {
    Swr.reset();
    return MR_E_DECODE_FAILED;
  }
  return MR_OK;
}

TMediaResult TMediaStream::TImpl::AppendConverted(const uint8_t** input, int inputFrames) {
  const int room = swr_get_out_samples(Swr.get(), inputFrames);
  if (room < 0) {
    return MR_E_DECODE_FAILED;
  }
  if (room == 0) {
    return MR_OK;
  }
  const size_t used = Pending.size();
  Pending.resize(used + static_cast<size_t>(room) * FrameBytes());
  uint8_t* out = Pending.data() + used;
  const int converted = swr_convert(Swr.get(), &out, room, input, inputFrames);
  if (converted < 0) {
    Pending.resize(used);
    return MR_E_DECODE_FAILED;
  }
  Pending.resize(used + static_cast<size_t>(converted) * FrameBytes());
  return MR_OK;
}

TMediaResult TMediaStream::TImpl::Convert(const AVFrame* frame) {
  // A stream without a channel order gets the usual order for its channel count.
  AVChannelLayout input{};
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&frame->ch_layout) == 0) {
    av_channel_layout_default(&input, frame->ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&input, &frame->ch_layout) < 0) {
    return MR_E_OUTOFMEMORY;
  }
  if (!Swr || frame->format != SwrFormat || frame->sample_rate != SwrRate || av_channel_layout_compare(&input, &SwrLayout) != 0) {
    const TMediaResult made = SetUpConverter(frame, input);
    if (made != MR_OK) {
      return made;
    }
  }
  av_channel_layout_uninit(&input);
  return AppendConverted(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
}

TMediaResult TMediaStream::TImpl::ReadPacket() {
  if (InputEnded) {
    // A decoder that asks for more after being drained has nothing more to give.
    DecoderEnded = true;
    return MR_OK;
  }
  for (;;) {
    const int read = av_read_frame(Format.get(), Packet.get());
    if (read == AVERROR_EOF || read == AVERROR_INVALIDDATA) {
      InputEnded = true;
      return avcodec_send_packet(Codec.get(), nullptr) < 0 ? MR_E_DECODE_FAILED : MR_OK;
    }
    if (read == AVERROR(EAGAIN)) {
      continue;
    }
    if (read < 0) {
      return MR_E_READ_FAILED;
    }
    if (Packet->stream_index != StreamIndex) {
      av_packet_unref(Packet.get());
      continue;
    }
    const int sent = avcodec_send_packet(Codec.get(), Packet.get());
    av_packet_unref(Packet.get());
    // A damaged packet is dropped and decoding goes on with the next one.
    if (sent < 0 && sent != AVERROR_INVALIDDATA) {
      return MR_E_DECODE_FAILED;
    }
    return MR_OK;
  }
}

// Decodes until some converted bytes are pending or everything has been delivered.
TMediaResult TMediaStream::TImpl::Refill() {
  while (PendingStart >= Pending.size() && !ConverterFlushed) {
    Pending.clear();
    PendingStart = 0;
    if (DecoderEnded) {
      ConverterFlushed = true;
      if (Swr) {
        const TMediaResult drained = AppendConverted(nullptr, 0);
        if (drained != MR_OK) {
          return drained;
        }
      }
      continue;
    }
    const int received = avcodec_receive_frame(Codec.get(), Frame.get());
    if (received == 0) {
      const TMediaResult converted = Convert(Frame.get());
      av_frame_unref(Frame.get());
      if (converted != MR_OK) {
        return converted;
      }
    } else if (received == AVERROR(EAGAIN)) {
      const TMediaResult read = ReadPacket();
      if (read != MR_OK) {
        return read;
      }
    } else if (received == AVERROR_EOF) {
      DecoderEnded = true;
    } else if (received != AVERROR_INVALIDDATA) {
      return MR_E_DECODE_FAILED;
    }
    if (SkipFrames > 0 && PendingStart < Pending.size()) {
      const int64_t available = static_cast<int64_t>((Pending.size() - PendingStart) / FrameBytes());
      const int64_t dropped = std::min(available, SkipFrames);
      SkipFrames -= dropped;
      PendingStart += static_cast<size_t>(dropped) * FrameBytes();
    }
  }
  return MR_OK;
}

TMediaStream::TMediaStream() : FImpl(std::make_unique<TImpl>()) {}

TMediaStream::~TMediaStream() = default;

TMediaResult TMediaStream::OpenFile(const std::string& fileName) { return FImpl->Open(fileName); }

TMediaResult TMediaStream::GetFormat(TWaveFormatEx& format) const {
  if (!FImpl->Codec) {
    return MS_E_NOTINIT;
  }
  format = FImpl->WaveFormat;
  return MR_OK;
}

TMediaResult TMediaStream::GetDuration(int64_t& duration) const {
  if (!FImpl->Codec) {
    return MS_E_NOTINIT;
  }
  duration = FImpl->Duration;
  return MR_OK;
}

TMediaResult TMediaStream::Update(std::span<uint8_t> buffer, int32_t& filled, int64_t& startTime, int64_t& endTime) {
  filled = 0;
  TImpl& impl = *FImpl;
  if (!impl.Codec) {
    return MS_E_NOTINIT;
  }
  const size_t capacity = buffer.size() / impl.FrameBytes() * impl.FrameBytes();
  if (capacity == 0) {
    return MR_E_INVALIDARG;
  }
  size_t written = 0;
  while (written < capacity) {
    const TMediaResult refilled = impl.Refill();
    if (refilled != MR_OK) {
      return refilled;
    }
    const size_t available = impl.Pending.size() - impl.PendingStart;
    if (available == 0) {
      break;
    }
    const size_t n = std::min(available, capacity - written);
    std::memcpy(buffer.data() + written, impl.Pending.data() + impl.PendingStart, n);
    impl.PendingStart += n;
    written += n;
  }
  if (written == 0) {
    return MS_S_ENDOFSTREAM;
  }
  const int64_t rate = impl.WaveFormat.SamplesPerSec;
  startTime = av_rescale(impl.FramesDelivered, TicksPerSecond, rate);
  impl.FramesDelivered += static_cast<int64_t>(written / impl.FrameBytes());
  endTime = av_rescale(impl.FramesDelivered, TicksPerSecond, rate);
  filled = static_cast<int32_t>(written);
  return MR_OK;
}

bool TMediaStream::EndOfStream() {
  TImpl& impl = *FImpl;
  if (!impl.Codec) {
    return true;
  }
  return impl.Refill() == MR_OK && impl.PendingStart >= impl.Pending.size();
}

TMediaResult TMediaStream::SetPosition(int64_t time) {
  TImpl& impl = *FImpl;
  if (!impl.Codec) {
    return MS_E_NOTINIT;
  }
  // Reopening and decoding up to the frame is slower than a demuxer seek, but it is exact for
  // every format, including the gapless start of an MP3 file.
  const std::string fileName = impl.FileName;
  const TMediaResult opened = impl.Open(fileName);
  if (opened != MR_OK) {
    return opened;
  }
  const int64_t frame = av_rescale(std::max<int64_t>(time, 0), impl.WaveFormat.SamplesPerSec, TicksPerSecond);
  impl.SkipFrames = frame;
  impl.FramesDelivered = frame;
  return MR_OK;
}

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
}

namespace {

constexpr int64_t TicksPerSecond = 10000000;

struct TFormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct TPacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
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

std::string OpenProblem(int error) {
  if (error == AVERROR_INVALIDDATA || error == AVERROR_EOF) {
    return "it is not a file FFmpeg can read, or it is damaged";
  }
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return std::string("cannot open (") + text + ")";
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
  TMediaOutput Output = moSixteenBit;
  std::unique_ptr<AVFormatContext, TFormatCloser> Format;
  std::unique_ptr<TMediaDecoder> Decoder;
  std::unique_ptr<AVPacket, TPacketFreer> Packet{av_packet_alloc()};
  int StreamIndex = -1;
  TWaveFormatEx WaveFormat;
  int64_t Duration = 0;
  int64_t TotalFrames = 0;
  bool LengthExact = false;  // the container states the playing length to the sample
  bool LengthStated = false;
  bool ContainerDamaged = false;
  std::string Problem;
  int64_t SkipFrames = 0;     // frames still to drop after a reposition
  int64_t FramesDelivered = 0;
  bool InputEnded = false;    // the demuxer has nothing more; the decoder is being drained

  TMediaResult Open(const std::string& fileName, TMediaOutput output);
  void Close();
  TMediaResult FindAudioStream();
  void MeasureLength(const AVStream& stream);
  TMediaResult Refill();
  TMediaResult ReadPacket();
  bool Opened() const { return Decoder != nullptr; }
  int FrameBytes() const { return WaveFormat.BlockAlign; }
  // Frames that may still be delivered before the stated end; -1 when the length is not exact.
  int64_t FramesLeft() const { return LengthExact ? std::max<int64_t>(TotalFrames - FramesDelivered, 0) : -1; }
};

void TMediaStream::TImpl::Close() {
  Decoder.reset();
  Format.reset();
  SkipFrames = 0;
  FramesDelivered = 0;
  InputEnded = false;
  ContainerDamaged = false;
}

TMediaResult TMediaStream::TImpl::Open(const std::string& fileName, TMediaOutput output) {
  SilenceFFmpegLog();
  Close();
  Problem.clear();
  Output = output;
  if (!Packet) {
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
    Problem = OpenProblem(opened);
    return OpenFailure(opened);
  }
  Format.reset(format);
  if (avformat_find_stream_info(Format.get(), nullptr) < 0) {
    Close();
    Problem = "it is not a file FFmpeg can read, or it is damaged";
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
  // Any audio stream is taken, also one whose codec has no decoder, so the failure can name it.
  const int index = av_find_best_stream(Format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) {
    Problem = "it holds no audio stream";
    return MS_E_NOSTREAM;
  }
  AVStream* stream = Format->streams[index];
  auto decoder = std::make_unique<TMediaDecoder>();
  if (!decoder->Open(*stream->codecpar, Output)) {
    Problem = decoder->Problem();
    return avcodec_find_decoder(stream->codecpar->codec_id) == nullptr ? MR_E_UNSUPPORTED_STREAM
                                                                        : MR_E_INVALID_FILE_FORMAT;
  }
  Decoder = std::move(decoder);
  for (unsigned i = 0; i < Format->nb_streams; ++i) {
    Format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  StreamIndex = index;
  const TPcmFormat& pcm = Decoder->Format();
  WaveFormat.FormatTag = pcm.Kind == TSampleKind::skFloat ? 3 : 1;
  WaveFormat.Channels = static_cast<uint16_t>(pcm.Channels);
  WaveFormat.SamplesPerSec = static_cast<uint32_t>(pcm.SampleRate);
  WaveFormat.BitsPerSample = static_cast<uint16_t>(pcm.BitsPerSample);
  WaveFormat.BlockAlign = static_cast<uint16_t>(pcm.BytesPerFrame());
  WaveFormat.AvgBytesPerSec = WaveFormat.SamplesPerSec * WaveFormat.BlockAlign;
  MeasureLength(*stream);
  return MR_OK;
}

void TMediaStream::TImpl::MeasureLength(const AVStream& stream) {
  if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
    Duration = av_rescale_q(stream.duration, stream.time_base, AVRational{1, static_cast<int>(TicksPerSecond)});
  } else if (Format->duration != AV_NOPTS_VALUE && Format->duration > 0) {
    Duration = av_rescale(Format->duration, TicksPerSecond, AV_TIME_BASE);
  } else {
    Duration = 0;
  }
  const int64_t rate = WaveFormat.SamplesPerSec;
  TotalFrames = av_rescale(Duration, rate, TicksPerSecond);
  LengthStated = Duration > 0 && Format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE;
  // An MP4 file's sample tables and edit list give its exact length, encoder delay and padding
  // left out; FFmpeg trims the delay itself, the padding at the end is trimmed here.
  LengthExact = Output == moNative && stream.duration != AV_NOPTS_VALUE && stream.duration > 0 &&
                std::strstr(Format->iformat->name, "mp4") != nullptr;
  if (LengthExact) {
    TotalFrames = av_rescale_q(stream.duration, stream.time_base, AVRational{1, static_cast<int>(rate)});
  }
}

TMediaResult TMediaStream::TImpl::ReadPacket() {
  if (InputEnded) {
    return MR_OK;
  }
  for (;;) {
    const int read = av_read_frame(Format.get(), Packet.get());
    if (read == AVERROR_EOF || read == AVERROR_INVALIDDATA) {
      ContainerDamaged = read == AVERROR_INVALIDDATA;
      InputEnded = true;
      return Decoder->Send(nullptr) ? MR_OK : MR_E_DECODE_FAILED;
    }
    if (read == AVERROR(EAGAIN)) {
      continue;
    }
    if (read < 0) {
      Problem = "reading the file failed";
      return MR_E_READ_FAILED;
    }
    if (Packet->stream_index != StreamIndex) {
      av_packet_unref(Packet.get());
      continue;
    }
    // A damaged packet is dropped and decoding goes on with the next one.
    const bool sent = Decoder->Send(Packet.get());
    av_packet_unref(Packet.get());
    if (!sent) {
      Problem = "decoding its audio stream failed";
      return MR_E_DECODE_FAILED;
    }
    return MR_OK;
  }
}

// Decodes until some PCM is pending or everything has been delivered.
TMediaResult TMediaStream::TImpl::Refill() {
  while (Decoder->PendingBytes() == 0 && !Decoder->Ended() && FramesLeft() != 0) {
    bool wantsInput = false;
    if (!Decoder->Receive(wantsInput)) {
      Problem = Decoder->Problem();
      return MR_E_DECODE_FAILED;
    }
    if (wantsInput) {
      if (InputEnded) {
        // A decoder that asks for more after being drained has nothing more to give.
        return MR_OK;
      }
      const TMediaResult read = ReadPacket();
      if (read != MR_OK) {
        return read;
      }
    }
    SkipFrames -= Decoder->Drop(SkipFrames);
  }
  return MR_OK;
}

TMediaStream::TMediaStream() : FImpl(std::make_unique<TImpl>()) {}

TMediaStream::~TMediaStream() = default;

TMediaResult TMediaStream::OpenFile(const std::string& fileName, TMediaOutput output) {
  return FImpl->Open(fileName, output);
}

const std::string& TMediaStream::Problem() const { return FImpl->Problem; }

TMediaResult TMediaStream::GetFormat(TWaveFormatEx& format) const {
  if (!FImpl->Opened()) {
    return MS_E_NOTINIT;
  }
  format = FImpl->WaveFormat;
  return MR_OK;
}

TPcmFormat TMediaStream::PcmFormat() const { return FImpl->Opened() ? FImpl->Decoder->Format() : TPcmFormat{}; }

TMediaResult TMediaStream::GetDuration(int64_t& duration) const {
  if (!FImpl->Opened()) {
    return MS_E_NOTINIT;
  }
  duration = FImpl->Duration;
  return MR_OK;
}

int64_t TMediaStream::TotalFrames() const { return FImpl->Opened() ? FImpl->TotalFrames : 0; }

bool TMediaStream::LengthExact() const { return FImpl->Opened() && FImpl->LengthExact; }

bool TMediaStream::LengthStated() const { return FImpl->Opened() && FImpl->LengthStated; }

std::string TMediaStream::ReadFault() const {
  if (!FImpl->Opened()) {
    return {};
  }
  if (FImpl->ContainerDamaged) {
    return "the file's container is damaged";
  }
  const int32_t damaged = FImpl->Decoder->DamagedPackets();
  if (damaged > 0) {
    return std::to_string(damaged) + (damaged == 1 ? " damaged packet" : " damaged packets") + " stepped over";
  }
  return {};
}

TMediaResult TMediaStream::Update(std::span<uint8_t> buffer, int32_t& filled, int64_t& startTime, int64_t& endTime) {
  filled = 0;
  TImpl& impl = *FImpl;
  if (!impl.Opened()) {
    return MS_E_NOTINIT;
  }
  const size_t frameBytes = static_cast<size_t>(impl.FrameBytes());
  size_t capacity = buffer.size() / frameBytes * frameBytes;
  if (capacity == 0) {
    return MR_E_INVALIDARG;
  }
  if (impl.FramesLeft() >= 0) {
    capacity = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(capacity), impl.FramesLeft() * frameBytes));
  }
  size_t written = 0;
  while (written < capacity) {
    const TMediaResult refilled = impl.Refill();
    if (refilled != MR_OK) {
      return refilled;
    }
    const size_t n = impl.Decoder->Take(buffer.subspan(written, capacity - written));
    if (n == 0) {
      break;
    }
    written += n;
  }
  if (written == 0) {
    return MS_S_ENDOFSTREAM;
  }
  const int64_t rate = impl.WaveFormat.SamplesPerSec;
  startTime = av_rescale(impl.FramesDelivered, TicksPerSecond, rate);
  impl.FramesDelivered += static_cast<int64_t>(written / frameBytes);
  endTime = av_rescale(impl.FramesDelivered, TicksPerSecond, rate);
  filled = static_cast<int32_t>(written);
  return MR_OK;
}

bool TMediaStream::EndOfStream() {
  TImpl& impl = *FImpl;
  if (!impl.Opened()) {
    return true;
  }
  return impl.FramesLeft() == 0 || (impl.Refill() == MR_OK && impl.Decoder->PendingBytes() == 0);
}

TMediaResult TMediaStream::SetPosition(int64_t time) {
  if (!FImpl->Opened()) {
    return MS_E_NOTINIT;
  }
  return SeekFrame(av_rescale(std::max<int64_t>(time, 0), FImpl->WaveFormat.SamplesPerSec, TicksPerSecond));
}

TMediaResult TMediaStream::SeekFrame(int64_t frame) {
  TImpl& impl = *FImpl;
  if (!impl.Opened()) {
    return MS_E_NOTINIT;
  }
  frame = std::max<int64_t>(frame, 0);
  const int64_t current = impl.FramesDelivered + impl.SkipFrames;
  // Decoding up to the frame is slower than a demuxer seek, but it is exact for every format,
  // including the gapless start of an MP3 file: ahead it goes on from here, back it starts again.
  if (frame < current) {
    const std::string fileName = impl.FileName;
    const TMediaResult opened = impl.Open(fileName, impl.Output);
    if (opened != MR_OK) {
      return opened;
    }
    impl.SkipFrames = frame;
  } else {
    impl.SkipFrames += frame - current;
  }
  impl.FramesDelivered = frame;
  return MR_OK;
}

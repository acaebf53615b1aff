#include "platform/MediaWriter.h"

#include <algorithm>
#include <filesystem>

#include "platform/AsfHeader.h"
#include "platform/FFmpegLog.h"
#include "platform/WideText.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {

struct TOutputCloser {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr) {
      avio_closep(&context->pb);
    }
    avformat_free_context(context);
  }
};
struct TCodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct TSwrFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
struct TFifoFreer {
  void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};
struct TFrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct TPacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

// The attributes that an ASF file keeps in its content-description object.
std::u16string* DescribedField(TAsfContentDescription& description, const std::u16string& name) {
  if (name == u"Title") {
    return &description.Title;
  }
  if (name == u"Author") {
    return &description.Author;
  }
  if (name == u"Copyright") {
    return &description.Copyright;
  }
  if (name == u"Description") {
    return &description.Description;
  }
  if (name == u"Rating") {
    return &description.Rating;
  }
  return nullptr;
}

}  // namespace

std::string WriterErrorText(TWriterResult code) {
  switch (code) {
    case WR_E_INVALIDARG:
      return "One of the parameters is invalid.";
    case WR_E_UNEXPECTED:
      return "The writer was called out of order.";
    case WR_E_OUTOFMEMORY:
      return "There is not enough memory.";
    case NS_E_INVALID_PROFILE:
      return "The profile is not valid.";
    case NS_E_INVALID_OUTPUT_FORMAT:
      return "The encoder does not accept the profile's format.";
    case NS_E_AUDIO_CODEC_NOT_INSTALLED:
      return "The WMA encoder is not available.";
    case NS_E_AUDIO_CODEC_ERROR:
      return "The WMA encoder failed.";
    case NS_E_FILE_OPEN_FAILED:
      return "The output file could not be created.";
    case NS_E_FILE_WRITE:
      return "Writing the output file failed.";
    default:
      return {};
  }
}

TWriterResult TNSSBuffer::GetBuffer(uint8_t*& buffer) {
  buffer = FData.data();
  return WR_OK;
}

TWriterResult TNSSBuffer::SetLength(uint32_t length) {
  if (length > FData.size()) {
    return WR_E_INVALIDARG;
  }
  FLength = length;
  return WR_OK;
}

struct TWMWriter::TImpl {
  std::shared_ptr<const TWMProfile> Profile;
  std::string FileName;
  int32_t InputChannels = 0;
  int32_t InputRate = 0;
  int32_t InputBits = 16;
  AVDictionary* Metadata = nullptr;         // extended content descriptors, written by the muxer
  TAsfContentDescription Description;       // written into the finished file's header
  std::unique_ptr<AVFormatContext, TOutputCloser> Output;
  std::unique_ptr<AVCodecContext, TCodecFreer> Encoder;
  std::unique_ptr<SwrContext, TSwrFreer> Swr;
  std::unique_ptr<AVAudioFifo, TFifoFreer> Fifo;
  std::unique_ptr<AVFrame, TFrameFreer> Frame{av_frame_alloc()};
  std::unique_ptr<AVPacket, TPacketFreer> Packet{av_packet_alloc()};
  std::vector<std::vector<float>> Planes;
  std::vector<uint8_t> Carry;  // the bytes of an incomplete frame, completed by the next sample
  int64_t NextPts = 0;
  bool Writing = false;
  std::string FileFailure;

  // A failed file operation: remembers the system's reason and answers with `result`.
  TWriterResult FailedOnFile(int code, TWriterResult result);

  ~TImpl();
  void Abandon();
  TWriterResult Begin();
  TWriterResult OpenEncoder(const AVCodec* codec);
  TWriterResult OpenConverter();
  TWriterResult Convert(const uint8_t* pcm, int frames);
  TWriterResult EncodeFrames(bool final);
  TWriterResult SendFrame(int samples);
  TWriterResult DrainPackets();
  TWriterResult End();
};

TWriterResult TWMWriter::TImpl::FailedOnFile(int code, TWriterResult result) {
  if (Output && Output->pb != nullptr && Output->pb->error < 0) {
    code = Output->pb->error;  // the buffered write that failed first
  }
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  FileFailure = text;
  return result;
}

TWMWriter::TImpl::~TImpl() {
  if (Writing) {
    Abandon();
  }
  av_dict_free(&Metadata);
}

void TWMWriter::TImpl::Abandon() {
  Writing = false;
  Output.reset();
  std::error_code ignored;
  std::filesystem::remove(FileName, ignored);
}

TWriterResult TWMWriter::TImpl::OpenEncoder(const AVCodec* codec) {
  AVStream* stream = avformat_new_stream(Output.get(), nullptr);
  Encoder.reset(avcodec_alloc_context3(codec));
  if (stream == nullptr || !Encoder) {
    return WR_E_OUTOFMEMORY;
  }
  Encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
  Encoder->sample_rate = Profile->SampleRate;
  av_channel_layout_default(&Encoder->ch_layout, Profile->Channels);
  Encoder->bit_rate = Profile->Bitrate;
  Encoder->time_base = AVRational{1, Profile->SampleRate};
  if ((Output->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
    Encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (avcodec_open2(Encoder.get(), codec, nullptr) < 0) {
    return NS_E_INVALID_OUTPUT_FORMAT;
  }
  if (avcodec_parameters_from_context(stream->codecpar, Encoder.get()) < 0) {
    return NS_E_AUDIO_CODEC_ERROR;
  }
  stream->time_base = Encoder->time_base;
  return WR_OK;
}

TWriterResult TWMWriter::TImpl::OpenConverter() {
  AVChannelLayout input{};
  av_channel_layout_default(&input, InputChannels);
  SwrContext* swr = nullptr;
  const int made = swr_alloc_set_opts2(&swr, &Encoder->ch_layout, AV_SAMPLE_FMT_FLTP, Encoder->sample_rate, &input,
                                       InputBits == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16, InputRate, 0, nullptr);
  Swr.reset(swr);
  av_channel_layout_uninit(&input);
  if (made < 0 || swr_init(Swr.get()) < 0) {
    return NS_E_AUDIO_CODEC_ERROR;
  }
  Fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, Profile->Channels, Encoder->frame_size > 0 ? Encoder->frame_size : 2048));
  Planes.assign(static_cast<size_t>(Profile->Channels), {});
  return Fifo ? WR_OK : WR_E_OUTOFMEMORY;
}

TWriterResult TWMWriter::TImpl::Begin() {
  SilenceFFmpegLog();
  if (Writing) {
    return WR_E_UNEXPECTED;
  }
  if (!Profile || FileName.empty()) {
    return NS_E_INVALID_OUTPUT_FORMAT;
  }
  if (!Frame || !Packet) {
    return WR_E_OUTOFMEMORY;
  }
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (codec == nullptr) {
    return NS_E_AUDIO_CODEC_NOT_INSTALLED;
  }
  if (InputChannels == 0) {
    InputChannels = Profile->Channels;
    InputRate = Profile->SampleRate;
  }
  AVFormatContext* output = nullptr;
  if (avformat_alloc_output_context2(&output, nullptr, "asf", FileName.c_str()) < 0 || output == nullptr) {
    return WR_E_OUTOFMEMORY;
  }
  Output.reset(output);
  TWriterResult result = OpenEncoder(codec);
  if (result == WR_OK) {
    result = OpenConverter();
  }
  if (result != WR_OK) {
    Output.reset();
    return result;
  }
  av_dict_copy(&Output->metadata, Metadata, 0);
  FileFailure.clear();
  if (const int opened = avio_open(&Output->pb, ("file:" + FileName).c_str(), AVIO_FLAG_WRITE); opened < 0) {
    Output.reset();
    return FailedOnFile(opened, NS_E_FILE_OPEN_FAILED);
  }
  Writing = true;
  if (const int written = avformat_write_header(Output.get(), nullptr); written < 0) {
    FailedOnFile(written, NS_E_FILE_WRITE);
    Abandon();
    return NS_E_FILE_WRITE;
  }
  return WR_OK;
}

TWriterResult TWMWriter::TImpl::Convert(const uint8_t* pcm, int frames) {
  const int room = swr_get_out_samples(Swr.get(), frames);
  if (room < 0) {
    return NS_E_AUDIO_CODEC_ERROR;
  }
  if (room == 0) {
    return WR_OK;
  }
  std::vector<uint8_t*> out;
  for (std::vector<float>& plane : Planes) {
    plane.resize(static_cast<size_t>(room));
    out.push_back(reinterpret_cast<uint8_t*>(plane.data()));
  }
  const int converted = swr_convert(Swr.get(), out.data(), room, pcm == nullptr ? nullptr : &pcm, frames);
  if (converted < 0) {
    return NS_E_AUDIO_CODEC_ERROR;
  }
  if (converted > 0 && av_audio_fifo_write(Fifo.get(), reinterpret_cast<void**>(out.data()), converted) < converted) {
    return WR_E_OUTOFMEMORY;
  }
  return WR_OK;
}

TWriterResult TWMWriter::TImpl::DrainPackets() {
  for (;;) {
    const int received = avcodec_receive_packet(Encoder.get(), Packet.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
      return WR_OK;
    }
    if (received < 0) {
      return NS_E_AUDIO_CODEC_ERROR;
    }
    Packet->stream_index = 0;
    av_packet_rescale_ts(Packet.get(), Encoder->time_base, Output->streams[0]->time_base);
    if (const int written = av_interleaved_write_frame(Output.get(), Packet.get()); written < 0) {
      return FailedOnFile(written, NS_E_FILE_WRITE);
    }
  }
}

TWriterResult TWMWriter::TImpl::SendFrame(int samples) {
  // The encoder works on whole frames; a short last frame is filled up with silence.
  av_frame_unref(Frame.get());
  Frame->nb_samples = Encoder->frame_size;
  Frame->format = Encoder->sample_fmt;
  Frame->sample_rate = Encoder->sample_rate;
  if (av_channel_layout_copy(&Frame->ch_layout, &Encoder->ch_layout) < 0 || av_frame_get_buffer(Frame.get(), 0) < 0) {
    return WR_E_OUTOFMEMORY;
  }
  av_samples_set_silence(Frame->extended_data, 0, Encoder->frame_size, Profile->Channels, Encoder->sample_fmt);
  if (av_audio_fifo_read(Fifo.get(), reinterpret_cast<void**>(Frame->extended_data), samples) < samples) {
    return NS_E_AUDIO_CODEC_ERROR;
  }
  Frame->pts = NextPts;
  NextPts += Encoder->frame_size;
  if (avcodec_send_frame(Encoder.get(), Frame.get()) < 0) {
    return NS_E_AUDIO_CODEC_ERROR;
  }
  return DrainPackets();
}

TWriterResult TWMWriter::TImpl::EncodeFrames(bool final) {
  const int frameSize = Encoder->frame_size;
  while (av_audio_fifo_size(Fifo.get()) >= frameSize || (final && av_audio_fifo_size(Fifo.get()) > 0)) {
    const TWriterResult sent = SendFrame(std::min(frameSize, av_audio_fifo_size(Fifo.get())));
    if (sent != WR_OK) {
      return sent;
    }
  }
  return WR_OK;
}

TWriterResult TWMWriter::TImpl::End() {
  if (!Writing) {
    return WR_E_UNEXPECTED;
  }
  TWriterResult result = Convert(nullptr, 0);
  if (result == WR_OK) {
    result = EncodeFrames(true);
  }
  if (result == WR_OK) {
    result = avcodec_send_frame(Encoder.get(), nullptr) < 0 ? NS_E_AUDIO_CODEC_ERROR : DrainPackets();
  }
  if (const int written = result == WR_OK ? av_write_trailer(Output.get()) : 0; written < 0) {
    result = FailedOnFile(written, NS_E_FILE_WRITE);
  }
  if (const int closed = result == WR_OK ? avio_closep(&Output->pb) : 0; closed < 0) {
    result = FailedOnFile(closed, NS_E_FILE_WRITE);
  }
  Output.reset();
  std::string failure;
  if (result == WR_OK && !Description.Empty() && !WriteAsfContentDescription(FileName, Description, failure)) {
    FileFailure = failure;
    result = NS_E_FILE_WRITE;
  }
  if (result != WR_OK) {
    Abandon();
    return result;
  }
  Writing = false;
  return WR_OK;
}

TWMWriter::TWMWriter() : FImpl(std::make_unique<TImpl>()) {}

TWMWriter::~TWMWriter() = default;

TWriterResult TWMWriter::SetProfile(std::shared_ptr<const TWMProfile> profile) {
  if (FImpl->Writing) {
    return WR_E_UNEXPECTED;
  }
  if (!profile) {
    return WR_E_INVALIDARG;
  }
  FImpl->Profile = std::move(profile);
  return WR_OK;
}

TWriterResult TWMWriter::SetOutputFilename(const std::string& fileName) {
  if (FImpl->Writing) {
    return WR_E_UNEXPECTED;
  }
  if (fileName.empty()) {
    return WR_E_INVALIDARG;
  }
  FImpl->FileName = fileName;
  return WR_OK;
}

TWriterResult TWMWriter::SetInputProps(int32_t channels, int32_t sampleRate, int32_t bitsPerSample) {
  if (FImpl->Writing) {
    return WR_E_UNEXPECTED;
  }
  if (channels < 1 || channels > 2 || sampleRate < 1000 || sampleRate > 768000 || (bitsPerSample != 8 && bitsPerSample != 16)) {
    return NS_E_INVALID_OUTPUT_FORMAT;
  }
  FImpl->InputChannels = channels;
  FImpl->InputRate = sampleRate;
  FImpl->InputBits = bitsPerSample;
  return WR_OK;
}

TWriterResult TWMWriter::SetAttribute(uint16_t streamNumber, const std::u16string& name, TWMTAttrDataType type,
                                      const uint8_t* value, uint16_t length) {
  if (FImpl->Writing) {
    return WR_E_UNEXPECTED;
  }
  if (streamNumber != 0 || type != WMT_TYPE_STRING || name.empty() || length % 2 != 0 || (value == nullptr && length > 0)) {
    return WR_E_INVALIDARG;
  }
  std::u16string text;
  for (uint16_t i = 0; i < length; i += 2) {
    text += static_cast<char16_t>(value[i] | (value[i + 1] << 8));
  }
  while (!text.empty() && text.back() == u'\0') {
    text.pop_back();
  }
  if (std::u16string* field = DescribedField(FImpl->Description, name)) {
    *field = text;
    return WR_OK;
  }
  if (av_dict_set(&FImpl->Metadata, Utf16ToUtf8(name).c_str(), Utf16ToUtf8(text).c_str(), 0) < 0) {
    return WR_E_OUTOFMEMORY;
  }
  return WR_OK;
}

TWriterResult TWMWriter::AddAttribute(uint16_t streamNumber, const std::u16string& name, TWMTAttrDataType type,
                                      const uint8_t* value, uint32_t length) {
  if (FImpl->Writing) {
    return WR_E_UNEXPECTED;
  }
  if (streamNumber != 0 || type != WMT_TYPE_BINARY || name != u"WM/Picture" || value == nullptr || length == 0) {
    return WR_E_INVALIDARG;
  }
  FImpl->Description.Picture.assign(value, value + length);
  return WR_OK;
}

TWriterResult TWMWriter::BeginWriting() { return FImpl->Begin(); }

TWriterResult TWMWriter::AllocateSample(uint32_t size, std::unique_ptr<TNSSBuffer>& sample) {
  sample = std::make_unique<TNSSBuffer>(size);
  return WR_OK;
}

TWriterResult TWMWriter::WriteSample(uint32_t inputNumber, int64_t, uint32_t, const TNSSBuffer& sample) {
  TImpl& impl = *FImpl;
  if (!impl.Writing) {
    return WR_E_UNEXPECTED;
  }
  if (inputNumber != 0) {
    return WR_E_INVALIDARG;
  }
  const size_t frameBytes = static_cast<size_t>(impl.InputChannels) * (impl.InputBits / 8);
  std::span<const uint8_t> data = sample.Data();
  if (!impl.Carry.empty()) {
    const size_t taken = std::min(frameBytes - impl.Carry.size(), data.size());
    impl.Carry.insert(impl.Carry.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(taken));
    data = data.subspan(taken);
    if (impl.Carry.size() < frameBytes) {
      return WR_OK;
    }
    const TWriterResult converted = impl.Convert(impl.Carry.data(), 1);
    impl.Carry.clear();
    if (converted != WR_OK) {
      return converted;
    }
  }
  const size_t whole = data.size() / frameBytes;
  impl.Carry.assign(data.begin() + static_cast<std::ptrdiff_t>(whole * frameBytes), data.end());
  if (whole > 0) {
    const TWriterResult converted = impl.Convert(data.data(), static_cast<int>(whole));
    if (converted != WR_OK) {
      return converted;
    }
  }
  return impl.EncodeFrames(false);
}

TWriterResult TWMWriter::EndWriting() { return FImpl->End(); }

const std::string& TWMWriter::FileFailure() const { return FImpl->FileFailure; }

TWriterResult WMCreateWriter(std::unique_ptr<TWMWriter>& writer) {
  writer = std::make_unique<TWMWriter>();
  return WR_OK;
}

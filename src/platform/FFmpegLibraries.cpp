#include "platform/FFmpegLibraries.h"

#include <stdexcept>

#include "platform/DynamicLibrary.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace {

#define KESTRUNE_AVUTIL_ENTRIES(typed, untyped)                                                            \
  typed(av_audio_fifo_alloc) typed(av_audio_fifo_free) typed(av_audio_fifo_read) typed(av_audio_fifo_size) \
  typed(av_audio_fifo_write) typed(av_calloc) typed(av_channel_layout_check) typed(av_channel_layout_compare) \
  typed(av_channel_layout_copy) typed(av_channel_layout_default) typed(av_channel_layout_uninit)           \
  typed(av_dict_copy) typed(av_dict_free) typed(av_dict_get) typed(av_dict_set) typed(av_fourcc_make_string) \
  typed(av_frame_alloc) typed(av_frame_free) typed(av_get_bytes_per_sample) typed(av_get_packed_sample_fmt)    \
  typed(av_sample_fmt_is_planar) typed(av_strerror)                                                          \
  typed(av_frame_get_buffer) typed(av_frame_unref) typed(av_log_set_level) typed(av_rescale)               \
  typed(av_rescale_q) typed(av_samples_set_silence)

#define KESTRUNE_AVCODEC_ENTRIES(typed, untyped)                                                           \
  typed(av_packet_alloc) typed(av_packet_free) typed(av_packet_rescale_ts) typed(av_packet_unref)          \
  typed(av_parser_close) typed(av_parser_init) typed(av_parser_parse2) typed(avcodec_alloc_context3)       \
  typed(avcodec_descriptor_get) typed(avcodec_get_name)                                                    \
  typed(avcodec_find_decoder) typed(avcodec_find_encoder) typed(avcodec_free_context) typed(avcodec_open2) \
  typed(avcodec_parameters_from_context) typed(avcodec_parameters_to_context) typed(avcodec_receive_frame) \
  typed(avcodec_receive_packet) typed(avcodec_send_frame) typed(avcodec_send_packet)

#define KESTRUNE_AVFORMAT_ENTRIES(typed, untyped)                                                          \
  typed(av_find_best_stream) typed(av_interleaved_write_frame) typed(av_read_frame) typed(av_write_trailer) \
  typed(avformat_alloc_output_context2) typed(avformat_close_input) typed(avformat_find_stream_info)       \
  typed(avformat_free_context) typed(avformat_new_stream) typed(avformat_open_input)                       \
  typed(avformat_write_header) typed(avio_closep) typed(avio_open) typed(avio_size)

#define KESTRUNE_SWRESAMPLE_ENTRIES(typed, untyped) \
  typed(swr_alloc_set_opts2) typed(swr_convert) typed(swr_free) typed(swr_get_out_samples) typed(swr_init)

KESTRUNE_BINDING_CLASS(TAvUtilBinding, KESTRUNE_AVUTIL_ENTRIES)
KESTRUNE_BINDING_CLASS(TAvCodecBinding, KESTRUNE_AVCODEC_ENTRIES)
KESTRUNE_BINDING_CLASS(TAvFormatBinding, KESTRUNE_AVFORMAT_ENTRIES)
KESTRUNE_BINDING_CLASS(TSwResampleBinding, KESTRUNE_SWRESAMPLE_ENTRIES)

#define KESTRUNE_ENTRY_NAME(name) #name,

// The file names as literals ("libavcodec.so.59"), so the package tools can read them from the program.
#define KESTRUNE_TEXT(value) #value
#define KESTRUNE_LIBRARY_FILE(name, major) name ".so." KESTRUNE_TEXT(major)

// The four libraries, loaded once for the life of the process: FFmpeg keeps global state and is
// never unloaded.
struct TFFmpeg {
  TAvUtilBinding AvUtil{KESTRUNE_LIBRARY_FILE("libavutil", LIBAVUTIL_VERSION_MAJOR)};
  TAvCodecBinding AvCodec{KESTRUNE_LIBRARY_FILE("libavcodec", LIBAVCODEC_VERSION_MAJOR)};
  TAvFormatBinding AvFormat{KESTRUNE_LIBRARY_FILE("libavformat", LIBAVFORMAT_VERSION_MAJOR)};
  TSwResampleBinding SwResample{KESTRUNE_LIBRARY_FILE("libswresample", LIBSWRESAMPLE_VERSION_MAJOR)};
  std::string Missing;

  TFFmpeg() {
    Check(AvUtil, {KESTRUNE_AVUTIL_ENTRIES(KESTRUNE_ENTRY_NAME, KESTRUNE_ENTRY_NAME)});
    Check(AvCodec, {KESTRUNE_AVCODEC_ENTRIES(KESTRUNE_ENTRY_NAME, KESTRUNE_ENTRY_NAME)});
    Check(AvFormat, {KESTRUNE_AVFORMAT_ENTRIES(KESTRUNE_ENTRY_NAME, KESTRUNE_ENTRY_NAME)});
    Check(SwResample, {KESTRUNE_SWRESAMPLE_ENTRIES(KESTRUNE_ENTRY_NAME, KESTRUNE_ENTRY_NAME)});
  }

  void Check(TLibraryBinding& binding, std::initializer_list<const char*> names) {
    binding.Load();
    if (Missing.empty() && (!binding.Loaded() || !binding.FirstMissing(names).empty())) {
      Missing = binding.FileName();
    }
  }
};

const TFFmpeg& FFmpeg() {
  static const TFFmpeg ffmpeg;
  return ffmpeg;
}

// A forwarder reached without the libraries fails like a component whose library is missing; the
// fronts' presence test makes sure it is never reached in the programs.
template <typename Binding, typename Pointer>
Pointer Entry(const Binding TFFmpeg::*library, Pointer Binding::*entry) {
  const TFFmpeg& ffmpeg = FFmpeg();
  if (!ffmpeg.Missing.empty()) {
    throw std::runtime_error(ffmpeg.Missing + " library could not be loaded.");
  }
  return (ffmpeg.*library).*entry;
}

#define AVUTIL(name) Entry(&TFFmpeg::AvUtil, &TAvUtilBinding::name)
#define AVCODEC(name) Entry(&TFFmpeg::AvCodec, &TAvCodecBinding::name)
#define AVFORMAT(name) Entry(&TFFmpeg::AvFormat, &TAvFormatBinding::name)
#define SWRESAMPLE(name) Entry(&TFFmpeg::SwResample, &TSwResampleBinding::name)

}  // namespace

std::string MissingFFmpegLibrary() { return FFmpeg().Missing; }

std::string AvCodecLibraryFile() { return KESTRUNE_LIBRARY_FILE("libavcodec", LIBAVCODEC_VERSION_MAJOR); }

std::string FFmpegPackage(const std::string& libraryFile) {
  const size_t so = libraryFile.find(".so.");
  return so == std::string::npos ? libraryFile : libraryFile.substr(0, so) + libraryFile.substr(so + 4);
}

extern "C" {

AVAudioFifo* av_audio_fifo_alloc(enum AVSampleFormat sample_fmt, int channels, int nb_samples) {
  return AVUTIL(av_audio_fifo_alloc)(sample_fmt, channels, nb_samples);
}
void av_audio_fifo_free(AVAudioFifo* af) { AVUTIL(av_audio_fifo_free)(af); }
int av_audio_fifo_read(AVAudioFifo* af, void** data, int nb_samples) {
  return AVUTIL(av_audio_fifo_read)(af, data, nb_samples);
}
int av_audio_fifo_size(AVAudioFifo* af) { return AVUTIL(av_audio_fifo_size)(af); }
int av_audio_fifo_write(AVAudioFifo* af, void** data, int nb_samples) {
  return AVUTIL(av_audio_fifo_write)(af, data, nb_samples);
}
void* av_calloc(size_t nmemb, size_t size) { return AVUTIL(av_calloc)(nmemb, size); }
int av_channel_layout_check(const AVChannelLayout* channel_layout) {
  return AVUTIL(av_channel_layout_check)(channel_layout);
}
int av_channel_layout_compare(const AVChannelLayout* chl, const AVChannelLayout* chl1) {
  return AVUTIL(av_channel_layout_compare)(chl, chl1);
}
int av_channel_layout_copy(AVChannelLayout* dst, const AVChannelLayout* src) {
  return AVUTIL(av_channel_layout_copy)(dst, src);
}
void av_channel_layout_default(AVChannelLayout* ch_layout, int nb_channels) {
  AVUTIL(av_channel_layout_default)(ch_layout, nb_channels);
}
void av_channel_layout_uninit(AVChannelLayout* channel_layout) { AVUTIL(av_channel_layout_uninit)(channel_layout); }
int av_dict_copy(AVDictionary** dst, const AVDictionary* src, int flags) {
  return AVUTIL(av_dict_copy)(dst, src, flags);
}
void av_dict_free(AVDictionary** m) { AVUTIL(av_dict_free)(m); }
AVDictionaryEntry* av_dict_get(const AVDictionary* m, const char* key, const AVDictionaryEntry* prev, int flags) {
  return AVUTIL(av_dict_get)(m, key, prev, flags);
}
char* av_fourcc_make_string(char* buf, uint32_t fourcc) { return AVUTIL(av_fourcc_make_string)(buf, fourcc); }
int av_get_bytes_per_sample(enum AVSampleFormat sample_fmt) { return AVUTIL(av_get_bytes_per_sample)(sample_fmt); }
enum AVSampleFormat av_get_packed_sample_fmt(enum AVSampleFormat sample_fmt) {
  return AVUTIL(av_get_packed_sample_fmt)(sample_fmt);
}
int av_sample_fmt_is_planar(enum AVSampleFormat sample_fmt) { return AVUTIL(av_sample_fmt_is_planar)(sample_fmt); }
int av_strerror(int errnum, char* errbuf, size_t errbuf_size) { return AVUTIL(av_strerror)(errnum, errbuf, errbuf_size); }
int av_dict_set(AVDictionary** pm, const char* key, const char* value, int flags) {
  return AVUTIL(av_dict_set)(pm, key, value, flags);
}
AVFrame* av_frame_alloc(void) { return AVUTIL(av_frame_alloc)(); }
void av_frame_free(AVFrame** frame) { AVUTIL(av_frame_free)(frame); }
int av_frame_get_buffer(AVFrame* frame, int align) { return AVUTIL(av_frame_get_buffer)(frame, align); }
void av_frame_unref(AVFrame* frame) { AVUTIL(av_frame_unref)(frame); }
void av_log_set_level(int level) { AVUTIL(av_log_set_level)(level); }
int64_t av_rescale(int64_t a, int64_t b, int64_t c) { return AVUTIL(av_rescale)(a, b, c); }
int64_t av_rescale_q(int64_t a, AVRational bq, AVRational cq) { return AVUTIL(av_rescale_q)(a, bq, cq); }
int av_samples_set_silence(uint8_t** audio_data, int offset, int nb_samples, int nb_channels,
                           enum AVSampleFormat sample_fmt) {
  return AVUTIL(av_samples_set_silence)(audio_data, offset, nb_samples, nb_channels, sample_fmt);
}

AVPacket* av_packet_alloc(void) { return AVCODEC(av_packet_alloc)(); }
void av_packet_free(AVPacket** pkt) { AVCODEC(av_packet_free)(pkt); }
void av_packet_rescale_ts(AVPacket* pkt, AVRational tb_src, AVRational tb_dst) {
  AVCODEC(av_packet_rescale_ts)(pkt, tb_src, tb_dst);
}
void av_packet_unref(AVPacket* pkt) { AVCODEC(av_packet_unref)(pkt); }
void av_parser_close(AVCodecParserContext* s) { AVCODEC(av_parser_close)(s); }
AVCodecParserContext* av_parser_init(int codec_id) { return AVCODEC(av_parser_init)(codec_id); }
int av_parser_parse2(AVCodecParserContext* s, AVCodecContext* avctx, uint8_t** poutbuf, int* poutbuf_size,
                     const uint8_t* buf, int buf_size, int64_t pts, int64_t dts, int64_t pos) {
  return AVCODEC(av_parser_parse2)(s, avctx, poutbuf, poutbuf_size, buf, buf_size, pts, dts, pos);
}
AVCodecContext* avcodec_alloc_context3(const AVCodec* codec) { return AVCODEC(avcodec_alloc_context3)(codec); }
const AVCodecDescriptor* avcodec_descriptor_get(enum AVCodecID id) { return AVCODEC(avcodec_descriptor_get)(id); }
const char* avcodec_get_name(enum AVCodecID id) { return AVCODEC(avcodec_get_name)(id); }
const AVCodec* avcodec_find_decoder(enum AVCodecID id) { return AVCODEC(avcodec_find_decoder)(id); }
const AVCodec* avcodec_find_encoder(enum AVCodecID id) { return AVCODEC(avcodec_find_encoder)(id); }
void avcodec_free_context(AVCodecContext** avctx) { AVCODEC(avcodec_free_context)(avctx); }
int avcodec_open2(AVCodecContext* avctx, const AVCodec* codec, AVDictionary** options) {
  return AVCODEC(avcodec_open2)(avctx, codec, options);
}
int avcodec_parameters_from_context(AVCodecParameters* par, const AVCodecContext* codec) {
  return AVCODEC(avcodec_parameters_from_context)(par, codec);
}
int avcodec_parameters_to_context(AVCodecContext* codec, const AVCodecParameters* par) {
  return AVCODEC(avcodec_parameters_to_context)(codec, par);
}
int avcodec_receive_frame(AVCodecContext* avctx, AVFrame* frame) { return AVCODEC(avcodec_receive_frame)(avctx, frame); }
int avcodec_receive_packet(AVCodecContext* avctx, AVPacket* avpkt) {
  return AVCODEC(avcodec_receive_packet)(avctx, avpkt);
}
int avcodec_send_frame(AVCodecContext* avctx, const AVFrame* frame) { return AVCODEC(avcodec_send_frame)(avctx, frame); }
int avcodec_send_packet(AVCodecContext* avctx, const AVPacket* avpkt) {
  return AVCODEC(avcodec_send_packet)(avctx, avpkt);
}

int av_find_best_stream(AVFormatContext* ic, enum AVMediaType type, int wanted_stream_nb, int related_stream,
                        const AVCodec** decoder_ret, int flags) {
  return AVFORMAT(av_find_best_stream)(ic, type, wanted_stream_nb, related_stream, decoder_ret, flags);
}
int av_interleaved_write_frame(AVFormatContext* s, AVPacket* pkt) { return AVFORMAT(av_interleaved_write_frame)(s, pkt); }
int av_read_frame(AVFormatContext* s, AVPacket* pkt) { return AVFORMAT(av_read_frame)(s, pkt); }
int av_write_trailer(AVFormatContext* s) { return AVFORMAT(av_write_trailer)(s); }
int avformat_alloc_output_context2(AVFormatContext** ctx, const AVOutputFormat* oformat, const char* format_name,
                                   const char* filename) {
  return AVFORMAT(avformat_alloc_output_context2)(ctx, oformat, format_name, filename);
}
void avformat_close_input(AVFormatContext** s) { AVFORMAT(avformat_close_input)(s); }
int avformat_find_stream_info(AVFormatContext* ic, AVDictionary** options) {
  return AVFORMAT(avformat_find_stream_info)(ic, options);
}
void avformat_free_context(AVFormatContext* s) { AVFORMAT(avformat_free_context)(s); }
AVStream* avformat_new_stream(AVFormatContext* s, const AVCodec* c) { return AVFORMAT(avformat_new_stream)(s, c); }
int avformat_open_input(AVFormatContext** ps, const char* url, const AVInputFormat* fmt, AVDictionary** options) {
  return AVFORMAT(avformat_open_input)(ps, url, fmt, options);
}
int avformat_write_header(AVFormatContext* s, AVDictionary** options) { return AVFORMAT(avformat_write_header)(s, options); }
int avio_closep(AVIOContext** s) { return AVFORMAT(avio_closep)(s); }
int avio_open(AVIOContext** s, const char* url, int flags) { return AVFORMAT(avio_open)(s, url, flags); }
int64_t avio_size(AVIOContext* s) { return AVFORMAT(avio_size)(s); }

int swr_alloc_set_opts2(struct SwrContext** ps, AVChannelLayout* out_ch_layout, enum AVSampleFormat out_sample_fmt,
                        int out_sample_rate, AVChannelLayout* in_ch_layout, enum AVSampleFormat in_sample_fmt,
                        int in_sample_rate, int log_offset, void* log_ctx) {
  return SWRESAMPLE(swr_alloc_set_opts2)(ps, out_ch_layout, out_sample_fmt, out_sample_rate, in_ch_layout,
                                         in_sample_fmt, in_sample_rate, log_offset, log_ctx);
}
int swr_convert(struct SwrContext* s, uint8_t** out, int out_count, const uint8_t** in, int in_count) {
  return SWRESAMPLE(swr_convert)(s, out, out_count, in, in_count);
}
void swr_free(struct SwrContext** s) { SWRESAMPLE(swr_free)(s); }
int swr_get_out_samples(struct SwrContext* s, int in_samples) { return SWRESAMPLE(swr_get_out_samples)(s, in_samples); }
int swr_init(struct SwrContext* s) { return SWRESAMPLE(swr_init)(s); }

}  // extern "C"

#include "tags/FFmpegMetadata.h"

#include <initializer_list>
#include <memory>

#include "platform/FFmpegLog.h"
#include "tags/TagText.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

struct TFormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using TFormat = std::unique_ptr<AVFormatContext, TFormatCloser>;

TFormat OpenContainer(const std::string& fileName) {
  AVFormatContext* format = nullptr;
  // Only the local file itself: no protocol in the name, no references inside the file.
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int opened = avformat_open_input(&format, ("file:" + fileName).c_str(), nullptr, &options);
  av_dict_free(&options);
  TFormat owned(opened < 0 ? nullptr : format);
  if (owned && avformat_find_stream_info(owned.get(), nullptr) < 0) {
    owned.reset();
  }
  return owned;
}

// A tag of the file, or of its audio stream where the container keeps them there (Ogg).
std::string Tag(const AVFormatContext& format, const AVStream* stream, const char* key) {
  const AVDictionary* const places[] = {format.metadata, stream != nullptr ? stream->metadata : nullptr};
  for (const AVDictionary* tags : places) {
    if (const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0); entry != nullptr && entry->value[0] != 0) {
      return entry->value;
    }
  }
  return {};
}

std::string FirstTag(const AVFormatContext& format, const AVStream* stream, std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    if (std::string value = Tag(format, stream, key); !value.empty()) {
      return value;
    }
  }
  return {};
}

// "3/12" gives 3; a number that is none, or 0, is left out.
std::string LeadingNumber(const std::string& text) {
  const std::string number = text.substr(0, text.find_first_not_of("0123456789"));
  const size_t first = number.find_first_not_of('0');
  return first == std::string::npos ? std::string() : number.substr(first);
}

std::string NumberAfterSlash(const std::string& text) {
  const size_t slash = text.find('/');
  return slash == std::string::npos ? std::string() : LeadingNumber(TrimBlanks(text.substr(slash + 1)));
}

void FillTags(const AVFormatContext& format, const AVStream* stream, SongInformation& info) {
  info.Title = Tag(format, stream, "title");
  info.Artist = Tag(format, stream, "artist");
  info.Album = Tag(format, stream, "album");
  info.Year = Tag(format, stream, "date");
  info.Genre = Tag(format, stream, "genre");
  info.Comment = Tag(format, stream, "comment");
  info.AlbumArtist = Tag(format, stream, "album_artist");
  info.Composer = Tag(format, stream, "composer");
  const std::string track = Tag(format, stream, "track");
  info.Track = LeadingNumber(track);
  info.TotalTracks = FirstTag(format, stream, {"tracktotal", "totaltracks"});
  if (info.TotalTracks.empty()) {
    info.TotalTracks = NumberAfterSlash(track);
  }
  const std::string disc = Tag(format, stream, "disc");
  info.Disc = LeadingNumber(disc);
  info.TotalDiscs = FirstTag(format, stream, {"disctotal", "totaldiscs"});
  if (info.TotalDiscs.empty()) {
    info.TotalDiscs = NumberAfterSlash(disc);
  }
  if (!(info.Title + info.Artist + info.Album + info.Year + info.Genre + info.Comment + info.Track).empty()) {
    info.TagExists = "Yes";
  }
}

void FillStream(const AVFormatContext& format, const AVStream& stream, MPEGInfo& out) {
  const AVCodecParameters& codec = *stream.codecpar;
  out.Valid = "Yes";
  const int64_t size = format.pb != nullptr ? avio_size(format.pb) : -1;
  if (size >= 0) {
    out.FileSize = std::to_string(size) + " bytes";
  }
  out.SampleRate = std::to_string(codec.sample_rate) + " hz";
  out.ChannelMode = ChannelCountName(codec.ch_layout.nb_channels);
  const int64_t bitRate = codec.bit_rate > 0 ? codec.bit_rate : format.bit_rate;
  if (bitRate > 0) {
    out.BitRate = std::to_string((bitRate + 500) / 1000) + " kbit";
  }
  const int bits = codec.bits_per_raw_sample > 0 ? codec.bits_per_raw_sample : codec.bits_per_coded_sample;
  out.Format = avcodec_get_name(codec.codec_id);
  // A lossy codec's samples have no bit depth of their own.
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec.codec_id);
  if (bits > 0 && descriptor != nullptr && (descriptor->props & AV_CODEC_PROP_LOSSLESS) != 0) {
    out.Format += " " + std::to_string(bits) + "-bit";
  }
  if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
    out.Duration = static_cast<double>(stream.duration) * av_q2d(stream.time_base);
  } else if (format.duration != AV_NOPTS_VALUE && format.duration > 0) {
    out.Duration = static_cast<double>(format.duration) / AV_TIME_BASE;
  }
}

std::string BaseName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

}  // namespace

void ReadMediaInformation(const std::string& fileName, SongInformation& info) {
  SilenceFFmpegLog();
  if (const TFormat format = OpenContainer(fileName)) {
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVStream* stream = index >= 0 ? format->streams[index] : nullptr;
    FillTags(*format, stream, info);
    if (stream != nullptr) {
      FillStream(*format, *stream, info.StreamInfo);
    }
  }
  if (info.Title.empty()) {
    info.Title = BaseName(fileName);
  }
}

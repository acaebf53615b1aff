// Pictures of the containers FFmpeg reads: the streams it marks as attached pictures.

#include <memory>

#include "platform/FFmpegLog.h"
#include "tags/CoverArt.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

struct TFormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

std::string StreamTag(const AVStream& stream, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(stream.metadata, key, nullptr, 0);
  return entry != nullptr ? entry->value : "";
}

}  // namespace

TCoverRead ReadMediaCover(const std::string& fileName) {
  TCoverRead read;
  SilenceFFmpegLog();
  AVFormatContext* opened = nullptr;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int result = avformat_open_input(&opened, ("file:" + fileName).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (result < 0) {
    return read;
  }
  const std::unique_ptr<AVFormatContext, TFormatCloser> format(opened);
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream& stream = *format->streams[i];
    if ((stream.disposition & AV_DISPOSITION_ATTACHED_PIC) == 0 || stream.attached_pic.size <= 0) {
      continue;
    }
    if (stream.attached_pic.size > MaxPictureBytes) {
      read.Oversized(stream.attached_pic.size);
      continue;
    }
    TPicture picture;
    picture.Data.assign(stream.attached_pic.data, stream.attached_pic.data + stream.attached_pic.size);
    picture.MimeType = ImageMimeType(picture.Data);
    picture.Description = StreamTag(stream, "title");
    const std::string kind = StreamTag(stream, "comment");
    // Containers without picture types (an MP4 `covr` atom) hold front covers.
    picture.Type = kind.empty() || kind == "Cover (front)" ? ptFrontCover : ptOther;
    read.Offer(std::move(picture));
  }
  return read;
}

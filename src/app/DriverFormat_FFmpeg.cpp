// Input of every kind FFmpeg decodes that no other source reads, for the conversion driver.

#include "app/DriverFormats.h"
#include "formats/ffmpeg/ACS_FFmpeg.h"

void WireFFmpeg(TFormatTable& table) {
  table.WireSource("FFmpegIn1", [] { return std::make_unique<TFFmpegIn>(); });
}

#include "app/InputFormats.h"

#include <array>

#include "platform/TextUtils.h"

namespace {

constexpr std::array<TInputFormat, 18> Formats{{
    {".WAV", "WaveIn1", irWAV},      {".MP3", "DX9In1", irMP3},       {".OGG", "VorbisIn1", irOgg},
    {".WMA", "DX9In1", irWMA},       {".APE", "MACIn1", irAPE},       {".FLAC", "FLACIn1", irFLAC},
    {".M4A", "FFmpegIn1", irMedia},  {".MP4", "FFmpegIn1", irMedia},  {".AAC", "FFmpegIn1", irMedia},
    {".ALAC", "FFmpegIn1", irMedia}, {".OPUS", "FFmpegIn1", irMedia}, {".WV", "FFmpegIn1", irMedia},
    {".AIF", "FFmpegIn1", irMedia},  {".AIFF", "FFmpegIn1", irMedia}, {".AIFC", "FFmpegIn1", irMedia},
    {".TTA", "FFmpegIn1", irMedia},  {".MPC", "FFmpegIn1", irMedia},  {".DSF", "FFmpegIn1", irMedia},
}};

}  // namespace

std::span<const TInputFormat> InputFormats() { return Formats; }

const TInputFormat* InputFormatFor(std::string_view fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos) {
    return nullptr;
  }
  const std::string_view extension = fileName.substr(dot);
  for (const TInputFormat& format : Formats) {
    if (EqualsNoCase(format.Extension, extension)) {
      return &format;
    }
  }
  return nullptr;
}

std::string InputExtensionList() {
  std::string list;
  for (const TInputFormat& format : Formats) {
    list += (list.empty() ? "" : " ") + ToLowerAscii(format.Extension);
  }
  return list;
}

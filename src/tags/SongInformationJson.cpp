#include "tags/SongInformationJson.h"

#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

#include "tags/TagText.h"

namespace {

void AppendEscaped(std::string& out, char c) {
  static constexpr char Hex[] = "0123456789abcdef";
  switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (static_cast<uint8_t>(c) < 0x20) {
        out += "\\u00";
        out += Hex[static_cast<uint8_t>(c) >> 4];
        out += Hex[static_cast<uint8_t>(c) & 15];
      } else {
        out += c;
      }
  }
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) {
    return "0";
  }
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

using TFields = std::vector<std::pair<const char*, std::string>>;

std::string Object(const TFields& fields) {
  std::string out = "{";
  for (const auto& [key, value] : fields) {
    if (out.size() > 1) {
      out += ",";
    }
    out += JsonString(key) + ":" + value;
  }
  return out + "}";
}

std::string StreamJson(const MPEGInfo& s) {
  return Object({{"FileSize", JsonString(s.FileSize)},
                 {"BitRate", JsonString(s.BitRate)},
                 {"SampleRate", JsonString(s.SampleRate)},
                 {"ChannelMode", JsonString(s.ChannelMode)},
                 {"Valid", JsonString(s.Valid)},
                 {"Format", JsonString(s.Format)},
                 {"FramePosition", JsonString(s.FramePosition)},
                 {"CRC", JsonString(s.CRC)},
                 {"Frames", JsonString(s.Frames)},
                 {"Copyrighted", JsonString(s.Copyrighted)},
                 {"Original", JsonString(s.Original)},
                 {"Emphasis", JsonString(s.Emphasis)},
                 {"EncoderName", JsonString(s.EncoderName)},
                 {"Duration", JsonNumber(s.Duration)}});
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::string valid = Utf8Prefix(rest);
    for (char c : valid) {
      AppendEscaped(out, c);
    }
    rest.remove_prefix(valid.size());
    if (!rest.empty()) {
      out += "\xEF\xBF\xBD";
      rest.remove_prefix(1);
    }
  }
  return out + "\"";
}

std::string SongInformationToJson(const SongInformation& info) {
  return Object({{"TagExists", JsonString(info.TagExists)},
                 {"TagVersion", JsonString(info.TagVersion)},
                 {"Title", JsonString(info.Title)},
                 {"Artist", JsonString(info.Artist)},
                 {"Album", JsonString(info.Album)},
                 {"Track", JsonString(info.Track)},
                 {"Year", JsonString(info.Year)},
                 {"Genre", JsonString(info.Genre)},
                 {"Comment", JsonString(info.Comment)},
                 {"Composer", JsonString(info.Composer)},
                 {"Encoder", JsonString(info.Encoder)},
                 {"Copyright", JsonString(info.Copyright)},
                 {"Language", JsonString(info.Language)},
                 {"Link", JsonString(info.Link)},
                 {"Lyrics", JsonString(info.Lyrics)},
                 {"StreamInfo", StreamJson(info.StreamInfo)}});
}

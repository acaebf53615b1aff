#include "tags/SongInformationJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

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

void AppendString(std::string& out, std::string_view text) {
  out += '"';
  while (!text.empty()) {
    // Most texts are plain ASCII and go in whole.
    const auto special = std::find_if(text.begin(), text.end(), [](char c) {
      return static_cast<uint8_t>(c) < 0x20 || static_cast<uint8_t>(c) >= 0x80 || c == '"' || c == '\\';
    });
    out.append(text.begin(), special);
    text.remove_prefix(static_cast<size_t>(special - text.begin()));
    if (text.empty()) {
      break;
    }
    const size_t length = Utf8SequenceLength(text);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      text.remove_prefix(1);
    } else if (length == 1) {
      AppendEscaped(out, text[0]);
      text.remove_prefix(1);
    } else {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  out += '"';
}

void AppendField(std::string& out, const char* key, std::string_view value) {
  out += out.back() == '{' ? "\"" : ",\"";
  out += key;
  out += "\":";
  AppendString(out, value);
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) {
    return "0";
  }
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

void AppendStream(std::string& out, const MPEGInfo& s) {
  out += ",\"StreamInfo\":{";
  AppendField(out, "FileSize", s.FileSize);
  AppendField(out, "BitRate", s.BitRate);
  AppendField(out, "SampleRate", s.SampleRate);
  AppendField(out, "ChannelMode", s.ChannelMode);
  AppendField(out, "Valid", s.Valid);
  AppendField(out, "Format", s.Format);
  AppendField(out, "FramePosition", s.FramePosition);
  AppendField(out, "CRC", s.CRC);
  AppendField(out, "Frames", s.Frames);
  AppendField(out, "Copyrighted", s.Copyrighted);
  AppendField(out, "Original", s.Original);
  AppendField(out, "Emphasis", s.Emphasis);
  AppendField(out, "EncoderName", s.EncoderName);
  out += ",\"Duration\":" + JsonNumber(s.Duration) + "}";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out;
  AppendString(out, text);
  return out;
}

std::string SongInformationToJson(const SongInformation& info) {
  std::string out = "{";
  out.reserve(512);
  AppendField(out, "TagExists", info.TagExists);
  AppendField(out, "TagVersion", info.TagVersion);
  AppendField(out, "Title", info.Title);
  AppendField(out, "Artist", info.Artist);
  AppendField(out, "Album", info.Album);
  AppendField(out, "Track", info.Track);
  AppendField(out, "Year", info.Year);
  AppendField(out, "Genre", info.Genre);
  AppendField(out, "Comment", info.Comment);
  AppendField(out, "Composer", info.Composer);
  AppendField(out, "Encoder", info.Encoder);
  AppendField(out, "Copyright", info.Copyright);
  AppendField(out, "Language", info.Language);
  AppendField(out, "Link", info.Link);
  AppendField(out, "Lyrics", info.Lyrics);
  AppendStream(out, info.StreamInfo);
  // Fields added later come after the stream, so the earlier keys keep their places.
  AppendField(out, "AlbumArtist", info.AlbumArtist);
  AppendField(out, "Disc", info.Disc);
  AppendField(out, "TotalTracks", info.TotalTracks);
  AppendField(out, "TotalDiscs", info.TotalDiscs);
  AppendField(out, "Cover", info.Cover);
  AppendField(out, "CoverNote", info.CoverNote);
  return out + "}";
}

#include "formats/mp3/Id3v2Writer.h"

#include "tags/ListValues.h"

namespace {

void AppendSyncsafe(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 21; shift >= 0; shift -= 7) {
    out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
  }
}

void AppendFrame(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  AppendSyncsafe(out, static_cast<uint32_t>(body.size()));
  out.push_back(0);
  out.push_back(0);
  out.insert(out.end(), body.begin(), body.end());
}

constexpr uint8_t Utf8Encoding = 3;

void AppendTextFrame(std::vector<uint8_t>& out, const char* id, const std::string& text) {
  if (text.empty()) {
    return;
  }
  std::vector<uint8_t> body{Utf8Encoding};
  body.insert(body.end(), text.begin(), text.end());
  AppendFrame(out, id, body);
}

// Version 2.4 separates the values of a list of names by a zero byte.
void AppendNamesFrame(std::vector<uint8_t>& out, const char* id, const std::string& names) {
  AppendTextFrame(out, id, ZeroSeparatedValues(names));
}

void AppendCommentFrame(std::vector<uint8_t>& out, const std::string& text) {
  if (text.empty()) {
    return;
  }
  // Language "eng" and an empty description, the frame most readers show as "the" comment.
  std::vector<uint8_t> body{Utf8Encoding, 'e', 'n', 'g', 0};
  body.insert(body.end(), text.begin(), text.end());
  AppendFrame(out, "COMM", body);
}

void AppendPictureFrame(std::vector<uint8_t>& out, const std::optional<TPicture>& picture) {
  if (!picture) {
    return;
  }
  std::vector<uint8_t> body{Utf8Encoding};
  body.insert(body.end(), picture->MimeType.begin(), picture->MimeType.end());
  body.push_back(0);
  body.push_back(static_cast<uint8_t>(picture->Type));
  body.insert(body.end(), picture->Description.begin(), picture->Description.end());
  body.push_back(0);
  body.insert(body.end(), picture->Data.begin(), picture->Data.end());
  AppendFrame(out, "APIC", body);
}

}  // namespace

std::vector<uint8_t> BuildId3v2Tag(const TId3Fields& fields) {
  std::vector<uint8_t> frames;
  AppendTextFrame(frames, "TIT2", fields.Title);
  AppendNamesFrame(frames, "TPE1", fields.Artist);
  AppendTextFrame(frames, "TALB", fields.Album);
  AppendTextFrame(frames, "TDRC", fields.Year);
  AppendTextFrame(frames, "TRCK", fields.Track);
  AppendCommentFrame(frames, fields.Comment);
  AppendNamesFrame(frames, "TCON", fields.Genre);
  AppendNamesFrame(frames, "TPE2", fields.AlbumArtist);
  AppendTextFrame(frames, "TPOS", fields.Disc);
  AppendNamesFrame(frames, "TCOM", fields.Composer);
  AppendPictureFrame(frames, fields.Cover);
  if (frames.empty()) {
    return {};
  }
  std::vector<uint8_t> tag{'I', 'D', '3', 4, 0, 0};
  AppendSyncsafe(tag, static_cast<uint32_t>(frames.size()));
  tag.insert(tag.end(), frames.begin(), frames.end());
  return tag;
}

std::string Utf8ToLatin1(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    int length = 1;
    uint32_t code = lead;
    if (lead >= 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else if (lead >= 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xC0) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0x80) {
      out += '?';  // a stray continuation byte
      ++i;
      continue;
    }
    bool complete = i + static_cast<size_t>(length) <= text.size();
    for (int k = 1; complete && k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
      complete = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!complete) {
      out += '?';
      ++i;
      continue;
    }
    out += code <= 0xFF ? static_cast<char>(code) : '?';
    i += static_cast<size_t>(length);
  }
  return out;
}

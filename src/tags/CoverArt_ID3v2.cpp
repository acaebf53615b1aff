// Pictures of an ID3v2 tag: APIC frames of versions 2.3 and 2.4, PIC frames of version 2.2.

#include <algorithm>
#include <array>
#include <cctype>

#include "tags/CoverArt.h"
#include "tags/ID3v2Bytes.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

enum TTextEncoding : uint8_t { teLatin1 = 0, teUtf16 = 1, teUtf16BigEndian = 2, teUtf8 = 3 };

// The end of a text that starts at `from` in the given encoding, and where what follows begins.
bool TextEnd(const std::vector<uint8_t>& body, size_t from, uint8_t encoding, size_t& end, size_t& next) {
  const bool wide = encoding == teUtf16 || encoding == teUtf16BigEndian;
  for (size_t at = from; at + (wide ? 1 : 0) < body.size(); at += wide ? 2 : 1) {
    if (body[at] == 0 && (!wide || body[at + 1] == 0)) {
      end = at;
      next = at + (wide ? 2 : 1);
      return true;
    }
  }
  return false;
}

std::string DecodeText(const std::vector<uint8_t>& body, size_t from, size_t to, uint8_t encoding) {
  const std::string bytes(body.begin() + static_cast<ptrdiff_t>(from), body.begin() + static_cast<ptrdiff_t>(to));
  switch (encoding) {
    case teLatin1:
      return Latin1ToUtf8(bytes);
    case teUtf16:
      return Utf16BytesToUtf8(bytes, false);
    case teUtf16BigEndian:
      return Utf16BytesToUtf8(bytes, true);
    default:
      return Utf8Prefix(bytes);
  }
}

std::string MimeOfImageFormat(const std::string& format, std::span<const uint8_t> data) {
  const std::string upper = [&] {
    std::string text = format;
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
  }();
  if (upper == "JPG") {
    return "image/jpeg";
  }
  if (upper == "PNG") {
    return "image/png";
  }
  return ImageMimeType(data);
}

// An APIC body (or a PIC body of version 2.2); nullopt when it is damaged.
std::optional<TPicture> ParsePictureFrame(const std::vector<uint8_t>& body, bool version22) {
  if (body.empty()) {
    return std::nullopt;
  }
  const uint8_t encoding = body[0];
  if (encoding > teUtf8) {
    return std::nullopt;
  }
  TPicture picture;
  size_t at = 1;
  std::string format;
  if (version22) {
    if (body.size() < 5) {
      return std::nullopt;
    }
    format.assign(body.begin() + 1, body.begin() + 4);
    at = 4;
  } else {
    size_t end = 0;
    if (!TextEnd(body, 1, teLatin1, end, at)) {
      return std::nullopt;
    }
    format.assign(body.begin() + 1, body.begin() + static_cast<ptrdiff_t>(end));
  }
  if (at >= body.size()) {
    return std::nullopt;
  }
  picture.Type = body[at++];
  size_t end = 0;
  size_t dataStart = 0;
  if (!TextEnd(body, at, encoding, end, dataStart)) {
    return std::nullopt;
  }
  picture.Description = DecodeText(body, at, end, encoding);
  picture.Data.assign(body.begin() + static_cast<ptrdiff_t>(dataStart), body.end());
  picture.MimeType = version22 ? MimeOfImageFormat(format, picture.Data) : Latin1ToUtf8(format);
  if (picture.MimeType.empty() || picture.MimeType == "image/jpg") {
    picture.MimeType = ImageMimeType(picture.Data).empty() ? picture.MimeType : ImageMimeType(picture.Data);
  }
  return picture;
}

}  // namespace

TCoverRead ReadID3v2Cover(TStream& stream) {
  TCoverRead read;
  std::array<uint8_t, 10> header{};
  if (!ReadExactAt(stream, 0, header) || !HasMarker(header, "ID3")) {
    return read;
  }
  const uint8_t version = header[3];
  const bool tagUnsynchronised = (header[5] & 0x80) != 0;
  const int64_t end = std::min<int64_t>(10 + int64_t{SyncSafe32(&header[6])}, stream.Size());
  if (version < 2 || version > 4) {
    return read;
  }
  int64_t position = 10;
  if (version >= 3 && (header[5] & 0x40) != 0) {
    std::array<uint8_t, 4> extended{};
    if (!ReadExactAt(stream, 10, extended)) {
      return read;
    }
    position += version == 4 ? int64_t{SyncSafe32(extended.data())} : 4 + int64_t{BigEndian32(extended.data())};
  }
  const int headerSize = version == 2 ? 6 : 10;
  std::array<uint8_t, 10> frame{};
  while (position + headerSize <= end &&
         ReadExactAt(stream, position, std::span(frame).first(static_cast<size_t>(headerSize))) &&
         frame[0] >= 'A' && frame[0] <= 'Z') {
    int64_t size = 0;
    bool wanted = false;
    bool unsynchronised = tagUnsynchronised;
    int64_t prefix = 0;
    if (version == 2) {
      size = int64_t{frame[3]} << 16 | int64_t{frame[4]} << 8 | frame[5];
      wanted = HasMarker(frame, "PIC");
    } else {
      size = version == 4 ? int64_t{SyncSafe32(&frame[4])} : int64_t{BigEndian32(&frame[4])};
      const uint8_t format = frame[9];
      const bool unreadable = version == 4 ? (format & 0x0C) != 0 : (format & 0xC0) != 0;
      wanted = HasMarker(frame, "APIC") && !unreadable;
      if (version == 4) {
        unsynchronised = unsynchronised || (format & 0x02) != 0;
        prefix = ((format & 0x40) != 0 ? 1 : 0) + ((format & 0x01) != 0 ? 4 : 0);
      } else {
        prefix = (format & 0x20) != 0 ? 1 : 0;
      }
    }
    const int64_t dataStart = position + headerSize;
    if (wanted && size > MaxPictureBytes + 4096) {
      read.Oversized(size);
    } else if (wanted && size <= end - dataStart) {
      std::vector<uint8_t> body(static_cast<size_t>(size));
      if (ReadExactAt(stream, dataStart, body)) {
        if (unsynchronised) {
          body = Resynchronise(body);
        }
        body.erase(body.begin(), body.begin() + std::min<ptrdiff_t>(prefix, std::ssize(body)));
        if (auto picture = ParsePictureFrame(body, version == 2)) {
          if (std::ssize(picture->Data) > MaxPictureBytes) {
            read.Oversized(std::ssize(picture->Data));
          } else {
            read.Offer(std::move(*picture));
          }
        }
      }
    }
    position = dataStart + size;
  }
  return read;
}

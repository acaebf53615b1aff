// Pictures of an Ogg Vorbis or Opus file: the METADATA_BLOCK_PICTURE comments, each a FLAC
// picture block in base64.

#include <algorithm>
#include <array>
#include <cctype>

#include "tags/CoverArt.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr int64_t PageHeaderSize = 27;
constexpr std::string_view PictureKey = "METADATA_BLOCK_PICTURE=";
// The base64 text of the largest picture kept, with room for its block's other fields.
constexpr int64_t MaxPictureText = (MaxPictureBytes + 65536) / 3 * 4;

// The payload of the pages of one logical stream as one run of bytes, from a given page on. A
// packet's bytes are the same whether or not it spans pages, so the comment packet reads through.
class TOggPayload {
public:
  TOggPayload(TStream& stream, int64_t page, uint32_t serial) : FStream(stream), FNextPage(page), FSerial(serial) {}

  bool Read(std::span<uint8_t> out) {
    size_t done = 0;
    while (done < out.size()) {
      if (FLeft == 0 && !NextPage()) {
        return false;
      }
      const auto count = static_cast<size_t>(std::min<int64_t>(FLeft, static_cast<int64_t>(out.size() - done)));
      if (!ReadExactAt(FStream, FPosition, out.subspan(done, count))) {
        return false;
      }
      done += count;
      FPosition += static_cast<int64_t>(count);
      FLeft -= static_cast<int64_t>(count);
    }
    return true;
  }
  bool Skip(int64_t count) {
    while (count > 0) {
      if (FLeft == 0 && !NextPage()) {
        return false;
      }
      const int64_t step = std::min(count, FLeft);
      FPosition += step;
      FLeft -= step;
      count -= step;
    }
    return true;
  }
  bool Word(uint32_t& value) {
    std::array<uint8_t, 4> bytes{};
    if (!Read(bytes)) {
      return false;
    }
    value = LittleEndian32(bytes.data());
    return true;
  }

private:
  bool NextPage() {
    std::array<uint8_t, PageHeaderSize> header{};
    std::array<uint8_t, 255> lacing{};
    while (ReadExactAt(FStream, FNextPage, header) && HasMarker(header, "OggS")) {
      const auto segments = std::span(lacing).first(header[26]);
      if (!ReadExactAt(FStream, FNextPage + PageHeaderSize, segments)) {
        return false;
      }
      int64_t size = 0;
      for (uint8_t segment : segments) {
        size += segment;
      }
      FPosition = FNextPage + PageHeaderSize + header[26];
      FNextPage = FPosition + size;
      if (LittleEndian32(&header[14]) == FSerial && size > 0) {
        FLeft = size;
        return true;
      }
    }
    return false;
  }

  TStream& FStream;
  int64_t FNextPage;
  uint32_t FSerial;
  int64_t FPosition = 0;
  int64_t FLeft = 0;
};

bool IsPictureKey(std::span<const uint8_t> start) {
  for (size_t i = 0; i < PictureKey.size(); ++i) {
    if (std::toupper(start[i]) != PictureKey[i]) {
      return false;
    }
  }
  return true;
}

void ReadPictureComment(TOggPayload& payload, uint32_t length, TCoverRead& read) {
  const int64_t textSize = int64_t{length} - std::ssize(PictureKey);
  if (textSize > MaxPictureText) {
    read.Oversized(textSize / 4 * 3);
    payload.Skip(textSize);
    return;
  }
  std::vector<uint8_t> text(static_cast<size_t>(textSize));
  if (!payload.Read(text)) {
    return;
  }
  if (const auto block = Base64Decode(BytesToString(text))) {
    if (FLACPictureDataSize(*block) > MaxPictureBytes) {
      read.Oversized(FLACPictureDataSize(*block));
    } else if (auto picture = ParseFLACPicture(*block)) {
      read.Offer(std::move(*picture));
    }
  }
}

}  // namespace

TCoverRead ReadOggCover(TStream& stream) {
  TCoverRead read;
  const int64_t first = ID3v2TagSize(stream);
  std::array<uint8_t, PageHeaderSize> header{};
  if (!ReadExactAt(stream, first, header) || !HasMarker(header, "OggS")) {
    return read;
  }
  // The identification packet fills the first page; the comments begin on the next one.
  int64_t next = first + PageHeaderSize + header[26];
  std::array<uint8_t, 255> lacing{};
  if (!ReadExactAt(stream, first + PageHeaderSize, std::span(lacing).first(header[26]))) {
    return read;
  }
  for (size_t i = 0; i < header[26]; ++i) {
    next += lacing[i];
  }
  TOggPayload payload(stream, next, LittleEndian32(&header[14]));
  std::array<uint8_t, 8> signature{};
  if (!payload.Read(std::span(signature).first(7))) {
    return read;
  }
  if (HasMarker(signature, "OpusTag")) {
    payload.Skip(1);
  } else if (!HasMarker(signature, "\x03vorbis")) {
    return read;
  }
  uint32_t length = 0;
  uint32_t count = 0;
  if (!payload.Word(length) || !payload.Skip(length) || !payload.Word(count)) {
    return read;
  }
  std::array<uint8_t, PictureKey.size()> start{};
  for (uint32_t comment = 0; comment < count && payload.Word(length); ++comment) {
    if (length < PictureKey.size()) {
      payload.Skip(length);
      continue;
    }
    if (!payload.Read(start)) {
      return read;
    }
    if (IsPictureKey(start)) {
      ReadPictureComment(payload, length, read);
    } else if (!payload.Skip(int64_t{length} - std::ssize(PictureKey))) {
      return read;
    }
  }
  return read;
}

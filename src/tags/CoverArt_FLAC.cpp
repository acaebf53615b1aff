// Pictures of a FLAC file: its PICTURE metadata blocks.

#include <array>

#include "tags/CoverArt.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {
constexpr uint8_t PictureBlock = 6;
}  // namespace

TCoverRead ReadFLACCover(TStream& stream) {
  TCoverRead read;
  int64_t position = ID3v2TagSize(stream);
  std::array<uint8_t, 4> bytes{};
  if (!ReadExactAt(stream, position, bytes) || !HasMarker(bytes, "fLaC")) {
    return read;
  }
  position += 4;
  bool last = false;
  while (!last && ReadExactAt(stream, position, bytes)) {
    last = (bytes[0] & 0x80) != 0;
    const int64_t length = int64_t{bytes[1]} << 16 | int64_t{bytes[2]} << 8 | bytes[3];
    position += 4;
    if ((bytes[0] & 0x7F) == PictureBlock && length <= stream.Size() - position) {
      std::vector<uint8_t> body(static_cast<size_t>(length));
      if (ReadExactAt(stream, position, body)) {
        if (FLACPictureDataSize(body) > MaxPictureBytes) {
          read.Oversized(FLACPictureDataSize(body));
        } else if (auto picture = ParseFLACPicture(body)) {
          read.Offer(std::move(*picture));
        }
      }
    }
    position += length;
  }
  return read;
}

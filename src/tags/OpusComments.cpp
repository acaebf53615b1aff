#include "tags/OpusComments.h"

#include <array>
#include <vector>

#include "tags/Picture.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

constexpr int64_t PageHeaderSize = 27;
// A comment header with the largest picture kept (in base64) and texts beside it; a longer one
// is read up to here.
constexpr size_t MaxPacketBytes = (MaxPictureBytes + 65536) / 3 * 4 + 65536;

// Appends the packet data of the page at `position` to `packet` until the packet ends; gives the
// next page's position, or -1 when the page cannot be read. `ended` tells whether the packet did.
int64_t AppendPage(TStream& stream, int64_t position, std::vector<uint8_t>& packet, bool& ended) {
  std::array<uint8_t, PageHeaderSize> header{};
  std::array<uint8_t, 255> segments{};
  if (!ReadExactAt(stream, position, header) || !HasMarker(header, "OggS") ||
      !ReadExactAt(stream, position + PageHeaderSize, std::span(segments).first(header[26]))) {
    return -1;
  }
  int64_t at = position + PageHeaderSize + header[26];
  for (size_t i = 0; i < header[26]; ++i) {
    if (!ended) {
      const size_t start = packet.size();
      packet.resize(start + segments[i]);
      if (!ReadExactAt(stream, at, std::span(packet).subspan(start))) {
        return -1;
      }
      ended = segments[i] < 255 || packet.size() >= MaxPacketBytes;
    }
    at += segments[i];
  }
  return at;
}

// The first packet of the page at `position` and the ones it continues into, and where the page
// after its end begins.
bool ReadPacket(TStream& stream, int64_t& position, std::vector<uint8_t>& packet) {
  packet.clear();
  bool ended = false;
  while (!ended) {
    position = AppendPage(stream, position, packet, ended);
    if (position < 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ReadOpusComments(TStream& stream, TVorbisComments& comments) {
  int64_t position = 0;
  std::vector<uint8_t> packet;
  if (!ReadPacket(stream, position, packet) || !HasMarker(packet, "OpusHead") ||
      !ReadPacket(stream, position, packet) || !HasMarker(packet, "OpusTags")) {
    return false;
  }
  TMemoryStream list(std::vector<uint8_t>(packet.begin() + 8, packet.end()));
  ReadVorbisComments(list, comments);
  return true;
}

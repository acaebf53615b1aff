#include "tags/FLACfile.h"

#include <array>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {
enum { btStreamInfo = 0, btVorbisComment = 4, btInvalid = 127 };
constexpr size_t StreamInfoSize = 34;
}  // namespace

void TFLACfile::Reset() {
  FValid = false;
  FFileSize = 0;
  FChannels = 0;
  FSampleRate = 0;
  FBitsPerSample = 0;
  FSamples = 0;
  FComments = TVorbisComments{};
}

bool TFLACfile::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TFLACfile::LoadFromStream(TStream& stream) {
  Reset();
  FFileSize = stream.Size();
  int64_t position = ID3v2TagSize(stream);
  std::array<uint8_t, 4> bytes{};
  if (!ReadExactAt(stream, position, bytes)) {
    return false;
  }
  if (!HasMarker(bytes, "fLaC")) {
    return true;
  }
  position += 4;
  // Every block header moves the position on, so the walk ends at the end of the file at the latest.
  bool last = false;
  for (bool first = true; !last && ReadExactAt(stream, position, bytes); first = false) {
    last = (bytes[0] & 0x80) != 0;
    const uint8_t type = bytes[0] & 0x7F;
    const int64_t length = int64_t{bytes[1]} << 16 | int64_t{bytes[2]} << 8 | bytes[3];
    position += 4;
    if (type == btInvalid || (type == btStreamInfo) != first || length > FFileSize - position) {
      break;
    }
    if (type == btStreamInfo) {
      ReadStreamInfo(stream, position);
    } else if (type == btVorbisComment) {
      stream.Seek(position);
      ReadVorbisComments(stream, FComments);
    }
    position += length;
  }
  return true;
}

void TFLACfile::ReadStreamInfo(TStream& stream, int64_t position) {
  std::array<uint8_t, StreamInfoSize> info{};
  if (!ReadExactAt(stream, position, info)) {
    return;
  }
  FSampleRate = uint32_t{info[10]} << 12 | uint32_t{info[11]} << 4 | info[12] >> 4;
  FChannels = static_cast<uint8_t>(((info[12] >> 1) & 7) + 1);
  FBitsPerSample = static_cast<uint8_t>((((info[12] & 1) << 4) | (info[13] >> 4)) + 1);
  FSamples = uint64_t{info[13] & 0x0Fu} << 32 | BigEndian32(&info[14]);
  FValid = FSampleRate > 0;
}

std::string TFLACfile::Artist() const {
  const auto& values = FComments.Values;
  return values[vkArtist].empty() ? values[vkPerformer] : values[vkArtist];
}

uint8_t TFLACfile::Track() const { return TrackNumber8(FComments.Values[vkTrackNumber]); }

std::string TFLACfile::Comment() const {
  const auto& values = FComments.Values;
  return values[vkComment].empty() ? values[vkDescription] : values[vkComment];
}

#include "tags/ReaderStream.h"

#include <array>

#include "platform/StreamError.h"
#include "platform/Streams.h"
#include "tags/ReadCache.h"
#include "tags/TagText.h"

int64_t ReadAt(TStream& stream, int64_t position, std::span<uint8_t> buffer) {
  if (position < 0) {
    return 0;
  }
  stream.Seek(position);
  return stream.Read(buffer);
}

bool ReadExactAt(TStream& stream, int64_t position, std::span<uint8_t> buffer) {
  return position >= 0 && ReadAt(stream, position, buffer) == static_cast<int64_t>(buffer.size());
}

bool LoadFromNamedFile(const std::string& fileName, const std::function<bool(TStream&)>& load) {
  try {
    TFileStream file(fileName, fmOpenRead);
    TReadCache stream(file);
    return load(stream);
  } catch (const EStreamError&) {
    return false;
  }
}

int32_t ID3v2TagSize(TStream& stream) {
  std::array<uint8_t, 10> header{};
  if (!ReadExactAt(stream, 0, header) || !HasMarker(header, "ID3")) {
    return 0;
  }
  const int64_t size = int64_t{header[6]} * (1 << 21) + int64_t{header[7]} * (1 << 14) +
                       int64_t{header[8]} * (1 << 7) + header[9] + ((header[5] & 0x10) != 0 ? 20 : 10);
  return size > stream.Size() ? 0 : static_cast<int32_t>(size);
}

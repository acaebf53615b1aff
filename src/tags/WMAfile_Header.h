#pragma once

// The walk over the objects of an ASF header that collects what TWMAfile shows.

#include <array>
#include <cstdint>
#include <string>

#include "platform/Streams.h"

// wsZeroTrack is the old "WM/Track", which counts from 0.
enum TWMASlot {
  wsTitle, wsArtist, wsAlbum, wsTrack, wsYear, wsGenre, wsComment, wsLyrics,
  wsAlbumArtist, wsDisc, wsComposer, wsZeroTrack, wsCount
};

struct TWMAHeaderData {
  int64_t FileSize = 0;
  uint64_t PlayDuration = 0;  // 100-nanosecond units, preroll included
  uint64_t Preroll = 0;       // milliseconds
  uint32_t MaxBitRate = 0;    // bits/s
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t ByteRate = 0;  // bytes/s
  // An attribute the file holds several times under one name has its values joined with "; ".
  std::array<std::u16string, wsCount> Slots;
};

// False when a header object cannot be read; `data` then keeps what the objects before it gave.
bool ReadWMAHeader(TStream& stream, TWMAHeaderData& data);

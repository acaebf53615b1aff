#include "tags/WMAfile.h"

#include "tags/ReaderStream.h"
#include "tags/TagText.h"
#include "tags/WMAfile_Header.h"

namespace {

// Lossless and multichannel streams (up to 7.1 at 192 kHz) are audio files like the others.
bool IsValid(const TWMAHeaderData& data) {
  return data.MaxBitRate > 0 && data.Channels >= 1 && data.Channels <= 8 && data.SampleRate >= 8000 &&
         data.SampleRate <= 192000 && data.ByteRate > 0;
}

// The number before a "/", 0 when there is none.
int32_t TrackFromText(const std::u16string& text) {
  int32_t track = 0;
  return ParseInteger(Utf16ToUtf8(text.substr(0, text.find(u'/'))), track) ? track : 0;
}

// The track as "WM/TrackNumber" says it, else as the older "WM/Track" does, counting from 0.
std::u16string ShownTrack(const TWMAHeaderData& data) {
  int32_t zeroBased = 0;
  if (!data.Slots[wsTrack].empty() || !ParseInteger(Utf16ToUtf8(data.Slots[wsZeroTrack]), zeroBased) ||
      zeroBased < 0 || zeroBased == INT32_MAX) {
    return data.Slots[wsTrack];
  }
  return Utf8ToUtf16(std::to_string(zeroBased + 1));
}

// The playing time the file states; only without one is it estimated from the size and the
// maximum bit rate, which overstates it by the header and by every byte the encoder saved.
double PlayingTime(const TWMAHeaderData& data) {
  const double stated = static_cast<double>(data.PlayDuration) / 1e7 - static_cast<double>(data.Preroll) / 1e3;
  return stated > 0 ? stated : static_cast<double>(data.FileSize) * 8 / data.MaxBitRate;
}

}  // namespace

void TWMAfile::Reset() {
  FValid = false;
  FFileSize = 0;
  FChannelModeID = 0;
  FSampleRate = 0;
  FDuration = 0;
  FBitRate = 0;
  for (std::u16string* text : {&FTitle, &FArtist, &FAlbum, &FYear, &FGenre, &FComment, &FLyrics, &FAlbumArtist,
                               &FComposer, &FTrackText, &FDisc}) {
    text->clear();
  }
  FTrack = 0;
}

bool TWMAfile::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TWMAfile::LoadFromStream(TStream& stream) {
  Reset();
  TWMAHeaderData data;
  const bool whole = ReadWMAHeader(stream, data);
  if (!IsValid(data)) {
    return whole;
  }
  FValid = true;
  FFileSize = data.FileSize;
  FChannelModeID = static_cast<uint8_t>(data.Channels);
  FSampleRate = static_cast<int32_t>(data.SampleRate);
  FDuration = PlayingTime(data);
  FBitRate = static_cast<int32_t>(data.ByteRate * 8 / 1000);
  FTitle = data.Slots[wsTitle];
  FArtist = data.Slots[wsArtist];
  FAlbum = data.Slots[wsAlbum];
  FYear = data.Slots[wsYear];
  FGenre = data.Slots[wsGenre];
  FComment = data.Slots[wsComment];
  FLyrics = data.Slots[wsLyrics];
  FAlbumArtist = data.Slots[wsAlbumArtist];
  FComposer = data.Slots[wsComposer];
  FTrackText = ShownTrack(data);
  FDisc = data.Slots[wsDisc];
  FTrack = TrackFromText(FTrackText);
  return whole;
}

std::string TWMAfile::ChannelMode() const {
  return ChannelCountName(FChannelModeID);
}

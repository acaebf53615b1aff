#include "tags/WMAfile.h"

#include "tags/ReaderStream.h"
#include "tags/TagText.h"
#include "tags/WMAfile_Header.h"

namespace {

bool IsValid(const TWMAHeaderData& data) {
  return data.MaxBitRate > 0 && data.MaxBitRate < 320000 && (data.Channels == 1 || data.Channels == 2) &&
         data.SampleRate >= 8000 && data.SampleRate <= 96000 && data.ByteRate > 0 && data.ByteRate < 40000;
}

std::u16string Trimmed(std::u16string_view text) { return TrimWideBlanks(text.substr(0, text.find(u'\0'))); }

// The number before a "/", 0 when there is none.
int32_t TrackFromText(const std::u16string& text) {
  int32_t track = 0;
  return ParseInteger(Utf16ToUtf8(text.substr(0, text.find(u'/'))), track) ? track : 0;
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
  for (std::u16string* text : {&FTitle, &FArtist, &FAlbum, &FYear, &FGenre, &FComment, &FLyrics}) {
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
  if (!ReadWMAHeader(stream, data)) {
    return false;
  }
  if (!IsValid(data)) {
    return true;
  }
  FValid = true;
  FFileSize = data.FileSize;
  FChannelModeID = static_cast<uint8_t>(data.Channels);
  FSampleRate = static_cast<int32_t>(data.SampleRate);
  FDuration = PlayingTime(data);
  FBitRate = static_cast<int32_t>(data.ByteRate * 8 / 1000);
  FTitle = Trimmed(data.Slots[wsTitle]);
  FArtist = Trimmed(data.Slots[wsArtist]);
  FAlbum = Trimmed(data.Slots[wsAlbum]);
  FYear = Trimmed(data.Slots[wsYear]);
  FGenre = Trimmed(data.Slots[wsGenre]);
  FComment = Trimmed(data.Slots[wsComment]);
  FLyrics = Trimmed(data.Slots[wsLyrics]);
  FTrack = TrackFromText(Trimmed(data.Slots[wsTrack]));
  return true;
}

std::string TWMAfile::ChannelMode() const {
  static constexpr const char* Names[] = {"Unknown", "Mono", "Stereo"};
  return FChannelModeID <= 2 ? Names[FChannelModeID] : Names[0];
}

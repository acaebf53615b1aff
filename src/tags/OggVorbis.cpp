#include "tags/OggVorbis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"
#include "tags/VorbisComment.h"

namespace {

constexpr int64_t PageHeaderSize = 27;
constexpr size_t IdentificationSize = 30;
// The search for the last page: 50 windows of 251 bytes, each 241 bytes further from the end.
constexpr int64_t SearchWindows = 50;
constexpr int64_t WindowStep = 241;
constexpr int64_t SearchPiece = 4096;

// The offset of the packet that follows the page header at `page`, or -1 when none is there.
int64_t FirstPacket(TStream& stream, int64_t page) {
  std::array<uint8_t, PageHeaderSize> header{};
  if (!ReadExactAt(stream, page, header) || !HasMarker(header, "OggS")) {
    return -1;
  }
  return page + PageHeaderSize + header[26];
}

}  // namespace

void TOggVorbis::Reset() {
  FFileSize = 0;
  FChannelModeID = 0;
  FSampleRate = 0;
  FBitRateNominal = 0;
  FSamples = 0;
  FID3v2Size = 0;
  for (std::string* text : {&FTitle, &FArtist, &FAlbum, &FDate, &FGenre, &FComment, &FVendor}) {
    text->clear();
  }
  FTrack = 0;
  FComments = TVorbisComments{};
}

bool TOggVorbis::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TOggVorbis::LoadFromStream(TStream& stream) {
  Reset();
  FFileSize = stream.Size();
  FID3v2Size = ID3v2TagSize(stream);
  const int64_t firstPacket = FirstPacket(stream, FID3v2Size);
  std::array<uint8_t, IdentificationSize> identification{};
  if (firstPacket < 0 || ReadAt(stream, firstPacket, identification) < 7 ||
      !HasMarker(identification, "\x01vorbis")) {
    Reset();
    return false;
  }
  TVorbisComments comments;
  const int64_t secondPacket = FirstPacket(stream, firstPacket + static_cast<int64_t>(IdentificationSize));
  std::array<uint8_t, 7> commentMarker{};
  if (secondPacket >= 0 && ReadExactAt(stream, secondPacket, commentMarker) &&
      HasMarker(commentMarker, "\x03vorbis")) {
    ReadVorbisComments(stream, comments);
  }
  FindSamples(stream);

  FChannelModeID = identification[11];
  FSampleRate = LittleEndian32(&identification[12]);
  FBitRateNominal = RoundTo16(static_cast<int32_t>(LittleEndian32(&identification[20])) / 1000.0);
  FTitle = comments.Values[vkTitle];
  FArtist = comments.Values[vkArtist].empty() ? comments.Values[vkPerformer] : comments.Values[vkArtist];
  FAlbum = comments.Values[vkAlbum];
  FTrack = TrackNumber8(comments.Values[vkTrackNumber]);
  FDate = comments.Values[vkDate];
  FGenre = comments.Values[vkGenre];
  FComment = comments.Values[vkComment].empty() ? comments.Values[vkDescription] : comments.Values[vkComment];
  FVendor = comments.Vendor;
  FComments = comments;
  return true;
}

void TOggVorbis::FindSamples(TStream& stream) {
  // The windows overlap by ten bytes and together cover the file's last 12 KB (less when the
  // file is shorter than that); they are searched from the end a piece at a time, as the last
  // page is mostly near the end.
  const int64_t windows = std::min<int64_t>(SearchWindows, (FFileSize - 10) / WindowStep);
  if (windows < 1) {
    return;
  }
  const int64_t first = FFileSize - WindowStep * windows - 10;
  const int64_t lastStart = FFileSize - 10;
  std::vector<uint8_t> piece;
  for (int64_t end = FFileSize;;) {
    const int64_t begin = std::max(first, end - SearchPiece);
    piece.resize(static_cast<size_t>(end - begin));
    if (!ReadExactAt(stream, begin, piece)) {
      return;
    }
    const size_t found = FindLastMarker(piece, "OggS", static_cast<size_t>(std::min(lastStart, end) - begin));
    if (found != std::string_view::npos) {
      std::array<uint8_t, 14> page{};
      if (ReadExactAt(stream, begin + static_cast<int64_t>(found), page)) {
        FSamples = static_cast<int64_t>(LittleEndian64(&page[6]));
      }
      return;
    }
    if (begin == first) {
      return;
    }
    // Three bytes of overlap find a marker that straddles two pieces.
    end = begin + 3;
  }
}

std::string TOggVorbis::ChannelMode() const { return ChannelCountName(FChannelModeID); }

double TOggVorbis::Duration() const {
  if (FSamples > 0) {
    return FSampleRate == 0 ? 0 : static_cast<double>(FSamples) / FSampleRate;
  }
  if (FBitRateNominal != 0 && FChannelModeID != 0) {
    return static_cast<double>(FFileSize - FID3v2Size) / FBitRateNominal / FChannelModeID / 125 * 2;
  }
  return 0;
}

uint16_t TOggVorbis::BitRate() const {
  const double duration = Duration();
  return duration > 0 ? RoundTo16(static_cast<double>(FFileSize - FID3v2Size) / duration / 125) : 0;
}

bool TOggVorbis::Valid() const {
  return FChannelModeID >= 1 && FChannelModeID <= 6 && FSampleRate != 0 && Duration() > 0.1 && BitRate() != 0;
}

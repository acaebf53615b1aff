#include "tags/ID3v2.h"

#include <algorithm>
#include <cstring>

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2Text.h"
#include "tags/ReaderStream.h"
#include "tags/TagText.h"

namespace {

enum TFrameIndex { fiTitle, fiArtist, fiAlbum, fiTrack, fiYear, fiGenre, fiComment, fiComposer,
                   fiEncoder, fiCopyright, fiLanguage, fiLink, fiLyrics, fiAlbumArtist, fiDisc };

constexpr std::array<const char*, TID3v2::FrameCount> FrameNames = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM", "TENC", "TCOP", "TLAN", "WXXX", "USLT", "TPE2", "TPOS"};
constexpr std::array<const char*, TID3v2::FrameCount> FrameNames22 = {
    "TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM", "TEN", "TCR", "TLA", "WXX", "ULT", "TP2", "TPA"};
// Version 2.4 replaced the year frame by the recording time, and some writers put that frame
// into version 2.3 tags as well.
constexpr const char* RecordingTime = "TDRC";

// At most this much of a text frame is read (no real text comes near it); pictures and other
// frames this reader does not keep are skipped.
constexpr int64_t MaxFrameData = 1 << 20;

int FrameIndex(const uint8_t* id, uint8_t version) {
  for (size_t i = 0; i < TID3v2::FrameCount; ++i) {
    const char* name = version == 2 ? FrameNames22[i] : FrameNames[i];
    if (std::memcmp(id, name, std::strlen(name)) == 0) {
      return static_cast<int>(i);
    }
  }
  if (version != 2 && std::memcmp(id, RecordingTime, 4) == 0) {
    return fiYear;
  }
  return -1;
}

}  // namespace

void TID3v2::Reset() {
  FExists = false;
  FVersionID = 0;
  FSize = 0;
  for (std::string* text : {&FTitle, &FArtist, &FAlbum, &FYear, &FGenre, &FComment, &FComposer, &FEncoder,
                            &FCopyright, &FLanguage, &FLink, &FLyrics, &FAlbumArtist, &FTrackText, &FDisc}) {
    text->clear();
  }
  FTrack = 0;
  for (auto& frame : FFrames) {
    frame.clear();
  }
}

bool TID3v2::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TID3v2::LoadFromStream(TStream& stream) {
  Reset();
  std::array<uint8_t, 10> header{};
  if (!ReadExactAt(stream, 0, header)) {
    return false;
  }
  if (!HasMarker(header, "ID3")) {
    return true;
  }
  FExists = true;
  FVersionID = header[3];
  // The high bits are not masked: a size field that is not sync-safe gives a size past the file.
  const int64_t size = int64_t{header[6]} * (1 << 21) + int64_t{header[7]} * (1 << 14) +
                       int64_t{header[8]} * (1 << 7) + header[9] + 10;
  FSize = size > stream.Size() ? 0 : static_cast<int32_t>(size);
  if (FVersionID < 2 || FVersionID > 4 || FSize <= 0) {
    return true;
  }
  int64_t start = 10;
  if (FVersionID == 4 && (header[5] & 0x40) != 0) {
    std::array<uint8_t, 4> extended{};
    if (!ReadExactAt(stream, 10, extended)) {
      return true;
    }
    start += SyncSafe32(extended.data());
  }
  ScanFrames(stream, start, (header[5] & 0x80) != 0);
  DeriveFields();
  return true;
}

bool TID3v2::ReadFrameHeader(TStream& stream, TFrameHeader& header, bool tagUnsynchronised) const {
  std::array<uint8_t, 10> bytes{};
  header.HeaderSize = FVersionID == 2 ? 6 : 10;
  const auto wanted = static_cast<int64_t>(header.HeaderSize);
  if (stream.Read(std::span(bytes).first(static_cast<size_t>(wanted))) != wanted) {
    return false;
  }
  if (bytes[0] < 'A' || bytes[0] > 'Z') {
    return false;
  }
  header.Index = FrameIndex(bytes.data(), FVersionID);
  if (FVersionID == 2) {
    header.DataSize = int64_t{bytes[3]} << 16 | int64_t{bytes[4]} << 8 | bytes[5];
  } else if (FVersionID == 3) {
    header.DataSize = BigEndian32(&bytes[4]);
  } else {
    header.DataSize = SyncSafe32(&bytes[4]);
    const uint8_t format = bytes[9];
    header.Unsynchronised = tagUnsynchronised || (format & 0x02) != 0;
    header.Unreadable = (format & 0x0C) != 0;
    header.PrefixSize = ((format & 0x40) != 0 ? 1 : 0) + ((format & 0x01) != 0 ? 4 : 0);
  }
  return true;
}

void TID3v2::ScanFrames(TStream& stream, int64_t start, bool tagUnsynchronised) {
  int64_t position = start;
  const int64_t end = std::min<int64_t>(FSize, stream.Size());
  while (position < end) {
    stream.Seek(position);
    TFrameHeader header;
    if (!ReadFrameHeader(stream, header, tagUnsynchronised)) {
      return;
    }
    const int64_t dataStart = position + header.HeaderSize;
    if (header.Index >= 0 && !header.Unreadable) {
      // A frame never reaches past the tag, whatever its size says.
      const int64_t wanted = std::min({header.DataSize, MaxFrameData, std::max<int64_t>(end - dataStart, 0)});
      std::vector<uint8_t> data(static_cast<size_t>(wanted));
      data.resize(static_cast<size_t>(stream.Read(data)));
      if (header.Unsynchronised) {
        data = Resynchronise(data);
      }
      data.erase(data.begin(), data.begin() + std::min<ptrdiff_t>(header.PrefixSize, std::ssize(data)));
      StoreFrame(header.Index, std::move(data));
    }
    position = dataStart + header.DataSize;
  }
}

void TID3v2::StoreFrame(int index, std::vector<uint8_t> data) {
  auto& stored = FFrames[static_cast<size_t>(index)];
  // Players and taggers keep private data in described comments ("iTunNORM" and the like);
  // the comment the user wrote is the one without a description.
  if (index == fiComment && !stored.empty() && DescriptionOf(stored, 4).empty() && !DescriptionOf(data, 4).empty()) {
    return;
  }
  stored = std::move(data);
}

void TID3v2::DeriveFields() {
  const auto text = [this](TFrameIndex index) { return TextFrameValue(FFrames[index]); };
  FTitle = text(fiTitle);
  FArtist = text(fiArtist);
  FAlbum = text(fiAlbum);
  FYear = text(fiYear);
  FComposer = text(fiComposer);
  FEncoder = text(fiEncoder);
  FCopyright = text(fiCopyright);
  FLanguage = text(fiLanguage);
  FTrackText = text(fiTrack);
  FTrack = TrackNumber8(FTrackText);
  FAlbumArtist = text(fiAlbumArtist);
  FDisc = text(fiDisc);
  FGenre = GenreFromFrameText(text(fiGenre));
  FComment = DescribedFrameValue(FFrames[fiComment], 4);
  FLink = LinkFrameValue(FFrames[fiLink]);
  FLyrics = DescribedFrameValue(FFrames[fiLyrics], 4);
}

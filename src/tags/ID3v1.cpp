#include "tags/ID3v1.h"

#include <span>

#include "tags/ReaderStream.h"
#include "tags/TagText.h"

const std::array<const char*, GenreCount> GenreNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progessive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata",
    "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock",
    "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
    "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat",
    "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Trash Metal", "Anime", "JPop", "Synthpop"};

std::string GenreName(int genreID) {
  return genreID >= 0 && genreID < GenreCount ? GenreNames[static_cast<size_t>(genreID)] : "";
}

namespace {
// A trailer field: trimmed on the right only, then read as ISO-8859-1.
std::string Field(std::span<const uint8_t> trailer, size_t offset, size_t width) {
  return Latin1ToUtf8(TrimRightBlanks(BytesToString(trailer.subspan(offset, width))));
}
}  // namespace

void TID3v1::Reset() {
  FExists = false;
  FVersionID = 1;
  FTitle.clear();
  FArtist.clear();
  FAlbum.clear();
  FYear.clear();
  FComment.clear();
  FTrack = 0;
  FGenreID = 255;
}

bool TID3v1::LoadFromFile(const std::string& fileName) {
  Reset();
  return LoadFromNamedFile(fileName, [this](TStream& stream) { return LoadFromStream(stream); });
}

bool TID3v1::LoadFromStream(TStream& stream) {
  Reset();
  std::array<uint8_t, ID3v1Size> trailer{};
  if (!ReadExactAt(stream, stream.Size() - ID3v1Size, trailer)) {
    return false;
  }
  if (!HasMarker(trailer, "TAG")) {
    return true;
  }
  FExists = true;
  const bool version11 = (trailer[125] == 0 && trailer[126] != 0) || (trailer[125] == ' ' && trailer[126] != ' ');
  FVersionID = version11 ? 2 : 1;
  FTitle = Field(trailer, 3, 30);
  FArtist = Field(trailer, 33, 30);
  FAlbum = Field(trailer, 63, 30);
  FYear = Field(trailer, 93, 4);
  FComment = Field(trailer, 97, version11 ? 28 : 30);
  FTrack = version11 ? trailer[126] : 0;
  FGenreID = trailer[127];
  return true;
}

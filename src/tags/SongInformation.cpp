#include "tags/SongInformation.h"

#include <langinfo.h>
#include <locale.h>

#include "app/InputFormats.h"
#include "platform/StreamError.h"
#include "tags/APEtag.h"
#include "tags/CoverArt.h"
#include "tags/FFmpegMetadata.h"
#include "tags/FLACfile.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/MPEGaudio.h"
#include "tags/MP4Tags.h"
#include "tags/MonkeyAudio.h"
#include "tags/OggVorbis.h"
#include "tags/OpusComments.h"
#include "tags/ReadCache.h"
#include "platform/Streams.h"
#include "tags/TagText.h"
#include "tags/WAVfile.h"
#include "tags/WMAfile.h"

namespace {

std::string YesNo(bool value) { return value ? "Yes" : "No"; }
std::string Bytes(int64_t size) { return std::to_string(size) + " bytes"; }
std::string Hertz(int64_t rate) { return std::to_string(rate) + " hz"; }

std::string BaseName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// "3/12" gives 3 and, when no total is known yet, 12.
void SplitNumberPair(const std::string& text, std::string& number, std::string& total) {
  const size_t slash = text.find('/');
  number = TrimBlanks(text.substr(0, slash));
  if (slash != std::string::npos && total.empty()) {
    total = TrimBlanks(text.substr(slash + 1));
  }
}

void FillFromVorbis(const TVorbisComments& comments, SongInformation& info) {
  const auto& values = comments.Values;
  info.AlbumArtist = values[vkAlbumArtist];
  info.Composer = values[vkComposer];
  info.TotalTracks = values[vkTotalTracks];
  info.TotalDiscs = values[vkTotalDiscs];
  SplitNumberPair(values[vkDiscNumber], info.Disc, info.TotalDiscs);
  std::string track;
  SplitNumberPair(values[vkTrackNumber], track, info.TotalTracks);
}

void FillFromID3v2(const TID3v2& tag, SongInformation& info) {
  if (!tag.Exists()) {
    return;
  }
  info.TagExists = "Yes";
  info.TagVersion = "2." + std::to_string(tag.VersionID());
  info.Title = tag.Title();
  info.Artist = tag.Artist();
  info.Album = tag.Album();
  info.Comment = tag.Comment();
  info.Composer = tag.Composer();
  info.Lyrics = tag.Lyrics();
  if (tag.Track() != 0) {
    info.Track = std::to_string(tag.Track());
  }
  info.Year = tag.Year();
  info.Genre = tag.Genre();
  info.Encoder = tag.Encoder();
  info.Copyright = tag.Copyright();
  info.Language = tag.Language();
  info.Link = tag.Link();
  info.AlbumArtist = tag.AlbumArtist();
  SplitNumberPair(tag.Disc(), info.Disc, info.TotalDiscs);
  std::string track;
  SplitNumberPair(tag.TrackText(), track, info.TotalTracks);
}

void FillFromID3v1(const TID3v1& tag, SongInformation& info) {
  if (!tag.Exists()) {
    return;
  }
  info.TagExists = "Yes";
  info.TagVersion = tag.VersionID() == 1 ? "1.0" : "1.1";
  info.Title = tag.Title();
  info.Artist = tag.Artist();
  info.Album = tag.Album();
  info.Year = tag.Year();
  info.Comment = tag.Comment();
  info.Track = std::to_string(tag.Track());
  info.Genre = tag.Genre();
}

void MergeMissing(const SongInformation& from, SongInformation& into) {
  for (auto field : {&SongInformation::Title, &SongInformation::Artist, &SongInformation::Album,
                     &SongInformation::Year, &SongInformation::Track, &SongInformation::Comment,
                     &SongInformation::Genre}) {
    if ((into.*field).empty()) {
      into.*field = from.*field;
    }
  }
}

MPEGInfo StreamFromMPEG(const TMPEGaudio& mpeg) {
  MPEGInfo stream;
  stream.Valid = YesNo(mpeg.Valid());
  if (!mpeg.Valid()) {
    return stream;
  }
  const TFrameData& frame = mpeg.Frame();
  stream.FileSize = Bytes(mpeg.FileLength());
  stream.Format = mpeg.Version() + " " + mpeg.Layer();
  stream.BitRate = std::to_string(mpeg.BitRate()) + (mpeg.VBR().Found ? " kbit/s VBR" : " kbit/s CBR");
  stream.SampleRate = Hertz(mpeg.SampleRate());
  stream.ChannelMode = mpeg.ChannelMode();
  stream.Duration = mpeg.Duration();
  stream.FramePosition = Bytes(frame.Position);
  stream.Frames = std::to_string(mpeg.FramesCount());
  stream.CRC = YesNo(frame.ProtectionBit);
  stream.Copyrighted = YesNo(frame.CopyrightBit != 0);
  stream.Original = YesNo(frame.OriginalBit != 0);
  stream.Emphasis = mpeg.Emphasis();
  stream.EncoderName = mpeg.Encoder();
  return stream;
}

void ReadMP3(TStream& file, SongInformation& info) {
  TMPEGaudio mpeg;
  const bool streamRead = mpeg.LoadFromStream(file);
  // The stream reader has read both tags already unless it found no frame (then it forgets them).
  TID3v2 ownID3v2;
  TID3v1 ownID3v1;
  const bool tagsKept = streamRead && mpeg.Frame().Found;
  if (tagsKept || ownID3v2.LoadFromStream(file)) {
    FillFromID3v2(tagsKept ? mpeg.ID3v2() : ownID3v2, info);
  }
  SongInformation trailer;
  if (tagsKept || ownID3v1.LoadFromStream(file)) {
    FillFromID3v1(tagsKept ? mpeg.ID3v1() : ownID3v1, trailer);
  }
  MergeMissing(trailer, info);
  info.StreamInfo = streamRead ? StreamFromMPEG(mpeg) : MPEGInfo{};
}

void ReadWMA(TStream& file, SongInformation& info) {
  TWMAfile wma;
  wma.LoadFromStream(file);
  if (!wma.Valid()) {
    return;
  }
  info.TagExists = "Yes";
  info.StreamInfo.FileSize = Bytes(wma.FileSize());
  info.StreamInfo.ChannelMode = wma.ChannelMode();
  info.StreamInfo.SampleRate = Hertz(wma.SampleRate());
  info.StreamInfo.Duration = wma.Duration();
  info.StreamInfo.BitRate = std::to_string(wma.BitRate()) + " kbit";
  info.Title = Utf16ToUtf8(wma.Title());
  info.Artist = Utf16ToUtf8(wma.Artist());
  info.Album = Utf16ToUtf8(wma.Album());
  info.Year = Utf16ToUtf8(wma.Year());
  info.Genre = Utf16ToUtf8(wma.Genre());
  info.Comment = Utf16ToUtf8(wma.Comment());
  info.Lyrics = Utf16ToUtf8(wma.Lyrics());
  info.AlbumArtist = Utf16ToUtf8(wma.AlbumArtist());
  info.Composer = Utf16ToUtf8(wma.Composer());
  SplitNumberPair(Utf16ToUtf8(wma.Disc()), info.Disc, info.TotalDiscs);
  std::string track;
  SplitNumberPair(Utf16ToUtf8(wma.TrackText()), track, info.TotalTracks);
  if (wma.Track() > 0) {
    info.Track = std::to_string(wma.Track());
  }
}

void ReadOgg(TStream& file, SongInformation& info) {
  TOggVorbis ogg;
  if (!ogg.LoadFromStream(file) || !ogg.Valid()) {
    return;
  }
  info.StreamInfo.FileSize = Bytes(ogg.FileSize());
  info.StreamInfo.ChannelMode = ogg.ChannelMode();
  info.StreamInfo.SampleRate = Hertz(ogg.SampleRate());
  info.StreamInfo.Duration = ogg.Duration();
  info.StreamInfo.BitRate =
      std::to_string(ogg.BitRate()) + " kbit, nominal " + std::to_string(ogg.BitRateNominal());
  info.Title = ogg.Title();
  info.Artist = ogg.Artist();
  info.Album = ogg.Album();
  info.Year = ogg.Date();
  info.Genre = ogg.Genre();
  info.Comment = ogg.Comment();
  if (ogg.Track() != 0) {
    info.Track = std::to_string(ogg.Track());
  }
  FillFromVorbis(ogg.Comments(), info);
}

void ReadAPE(TStream& file, SongInformation& info) {
  TAPEtag tag;
  if (tag.LoadFromStream(file)) {
    info.TagExists = YesNo(tag.Exists());
    if (tag.Exists()) {
      info.TagVersion = FormatVersionNumber(tag.Version(), UserThousandsSeparator());
      info.Title = tag.Title();
      info.Artist = tag.Artist();
      info.Album = tag.Album();
      info.Year = tag.Year();
      info.Genre = tag.Genre();
      info.Comment = tag.Comment();
      info.Copyright = tag.Copyright();
      info.AlbumArtist = tag.AlbumArtist();
      info.Composer = tag.Composer();
      SplitNumberPair(tag.Disc(), info.Disc, info.TotalDiscs);
      std::string track;
      SplitNumberPair(tag.TrackText(), track, info.TotalTracks);
      if (tag.Track() != 0) {
        info.Track = std::to_string(tag.Track());
      }
    }
  }
  TMonkeyAudio monkey;
  if (monkey.LoadFromStream(file) && monkey.Valid()) {
    info.StreamInfo.Valid = "Yes";
    info.StreamInfo.FileSize = Bytes(monkey.FileSize());
    info.StreamInfo.SampleRate = Hertz(monkey.SampleRate());
    info.StreamInfo.ChannelMode = ChannelCountName(monkey.Channels());
    info.StreamInfo.Duration = monkey.Duration();
  }
}

void ReadWAV(TStream& file, SongInformation& info) {
  TWAVfile wav;
  if (!wav.LoadFromStream(file) || !wav.Valid()) {
    return;
  }
  info.StreamInfo.Valid = "Yes";
  info.StreamInfo.ChannelMode = wav.ChannelMode();
  info.StreamInfo.SampleRate = Hertz(wav.SampleRate());
  info.StreamInfo.FileSize = Bytes(wav.FileSize());
  info.StreamInfo.Duration = wav.Duration();
  // The ID3v2 chunk holds every field whole; the INFO texts fill what it leaves empty.
  if (!wav.ID3v2Chunk().empty()) {
    TMemoryStream chunk(wav.ID3v2Chunk());
    TID3v2 tag;
    if (tag.LoadFromStream(chunk)) {
      FillFromID3v2(tag, info);
    }
  }
  const auto& texts = wav.Info();
  SongInformation fromInfo;
  fromInfo.Title = texts[wiTitle];
  fromInfo.Artist = texts[wiArtist];
  fromInfo.Album = texts[wiAlbum];
  fromInfo.Year = texts[wiYear];
  fromInfo.Genre = texts[wiGenre];
  fromInfo.Comment = texts[wiComment];
  std::string total;
  SplitNumberPair(texts[wiTrack], fromInfo.Track, total);
  MergeMissing(fromInfo, info);
}

// FLAC files show their comments and stream parameters; without a title the file name stands in.
void ReadFLAC(TStream& file, const std::string& fileName, SongInformation& info) {
  TFLACfile flac;
  info.Title = BaseName(fileName);
  if (!flac.LoadFromStream(file) || !flac.Valid()) {
    return;
  }
  if (!flac.Title().empty()) {
    info.Title = flac.Title();
  }
  info.Artist = flac.Artist();
  info.Album = flac.Album();
  info.Year = flac.Date();
  info.Genre = flac.Genre();
  info.Comment = flac.Comment();
  if (flac.Track() != 0) {
    info.Track = std::to_string(flac.Track());
  }
  FillFromVorbis(flac.Comments(), info);
  info.StreamInfo.Valid = "Yes";
  info.StreamInfo.FileSize = Bytes(flac.FileSize());
  info.StreamInfo.SampleRate = Hertz(flac.SampleRate());
  info.StreamInfo.ChannelMode = ChannelCountName(flac.Channels());
  info.StreamInfo.Duration = flac.Duration();
}

void DescribeCover(const TCoverRead& cover, SongInformation& info) {
  info.CoverNote = cover.Note;
  if (!cover.Picture) {
    return;
  }
  info.Cover = (cover.Picture->MimeType.empty() ? "unknown image" : cover.Picture->MimeType) + ", " +
               Bytes(std::ssize(cover.Picture->Data));
  const TImageSize size = ImageDimensions(cover.Picture->Data);
  if (size.Width > 0 && size.Height > 0) {
    info.Cover += ", " + std::to_string(size.Width) + "x" + std::to_string(size.Height);
  }
}

// An Opus file's comments as the Vorbis ones are read: FFmpeg runs a list's values together.
void FillFromOpus(const TVorbisComments& comments, SongInformation& info) {
  const auto& values = comments.Values;
  if (!values[vkTitle].empty()) {
    info.Title = values[vkTitle];
  }
  info.Artist = values[vkArtist].empty() ? values[vkPerformer] : values[vkArtist];
  info.Album = values[vkAlbum];
  info.Year = values[vkDate];
  info.Genre = values[vkGenre];
  info.Comment = values[vkComment].empty() ? values[vkDescription] : values[vkComment];
  const uint8_t track = TrackNumber8(values[vkTrackNumber]);
  info.Track = track != 0 ? std::to_string(track) : std::string();
  FillFromVorbis(comments, info);
}

// An MP4 item list whole: FFmpeg keeps one value of an item that holds several. What the list
// lacks (a genre kept as a number) stays as FFmpeg gave it.
void FillFromMP4(const TMP4Texts& texts, SongInformation& info) {
  const std::pair<std::string SongInformation::*, TMP4Item> fields[] = {
      {&SongInformation::Title, miTitle},             {&SongInformation::Artist, miArtist},           {&SongInformation::Album, miAlbum},
      {&SongInformation::Year, miYear},               {&SongInformation::Genre, miGenre},
      {&SongInformation::Comment, miComment},         {&SongInformation::AlbumArtist, miAlbumArtist},
      {&SongInformation::Composer, miComposer},       {&SongInformation::Track, miTrack},
      {&SongInformation::TotalTracks, miTotalTracks}, {&SongInformation::Disc, miDisc},
      {&SongInformation::TotalDiscs, miTotalDiscs}};
  for (const auto& [field, item] : fields) {
    if (!texts[item].empty()) {
      info.*field = texts[item];
    }
  }
}

// FFmpeg reads the file by its name; the stream opened before only proves it is a readable file.
void ReadMedia(TStream& file, const std::string& fileName, SongInformation& info) {
  ReadMediaInformation(fileName, info);
  TVorbisComments comments;
  TMP4Texts mp4;
  if (ReadOpusComments(file, comments)) {
    FillFromOpus(comments, info);
  } else if (ReadMP4Tags(file, mp4)) {
    FillFromMP4(mp4, info);
  }
}

using TFileReader = void (*)(TStream&, const std::string&, SongInformation&);

template <void (*Read)(TStream&, SongInformation&)>
void ByStream(TStream& file, const std::string&, SongInformation& info) {
  Read(file, info);
}

// The reader the input table names for the file's extension; nullptr for a name it does not know.
TFileReader ReaderFor(const std::string& fileName) {
  const TInputFormat* format = InputFormatFor(fileName);
  if (format == nullptr) {
    return nullptr;
  }
  switch (format->Reader) {
    case irMP3:
      return ByStream<ReadMP3>;
    case irWMA:
      return ByStream<ReadWMA>;
    case irOgg:
      return ByStream<ReadOgg>;
    case irAPE:
      return ByStream<ReadAPE>;
    case irWAV:
      return ByStream<ReadWAV>;
    case irFLAC:
      return ReadFLAC;
    case irMedia:
      return ReadMedia;
  }
  return nullptr;
}

}  // namespace

SongInformation ReadSongInformation(const std::string& fileName) {
  SongInformation info;
  if (fileName.empty()) {
    return info;
  }
  const TFileReader reader = ReaderFor(fileName);
  if (reader == nullptr) {
    info.Title = BaseName(fileName);
    return info;
  }
  try {
    TFileStream source(fileName, fmOpenRead);
    TReadCache file(source);
    try {
      reader(file, fileName, info);
    } catch (const EStreamError&) {
      // A file that cannot be read to its end shows what was read before the failure.
    }
    DescribeCover(ReadEmbeddedCover(fileName, file), info);
  } catch (const EStreamError&) {
    // A file that cannot be opened shows nothing.
  }
  return info;
}

std::string FormatVersionNumber(int32_t value, const std::string& separator) {
  const int64_t magnitude = value < 0 ? -int64_t{value} : value;
  std::string digits = std::to_string(magnitude);
  if (digits.size() < 4) {
    digits.insert(0, 4 - digits.size(), '0');
  }
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      out += separator;
    }
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

std::string UserThousandsSeparator() {
  const locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) {
    return ",";
  }
  std::string separator = ::nl_langinfo_l(THOUSEP, user);
  ::freelocale(user);
  return separator.empty() ? "," : separator;
}

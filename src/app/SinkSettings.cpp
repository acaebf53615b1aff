#include "app/SinkSettings.h"

#include <stdexcept>

#include "app/OutputPattern.h"
#include "tags/CoverArt.h"
#include "tags/ListValues.h"

namespace sn = SettingNames;

namespace {

int32_t IndexOrDefault(const TSettings& settings, const char* name) {
  const int32_t index = settings.Integer(name);
  if (index >= 0) {
    return index;
  }
  return TSettings().Integer(name);
}

// A bit-rate choice as a number ("128" gives 128).
int32_t Kbits(const TSettings& settings, const char* name) {
  const int32_t index = IndexOrDefault(settings, name);
  return std::stoi(TSettings::Find(name)->Choices.at(static_cast<size_t>(index)));
}

}  // namespace

TMP3SinkSettings MP3SinkSettings(const TSettings& settings) {
  TMP3SinkSettings mp3;
  mp3.BitRate = IndexOrDefault(settings, sn::CBRBitrate);
  mp3.SampleRate = IndexOrDefault(settings, sn::SampleRate);
  mp3.Quality = IndexOrDefault(settings, sn::CBRQuality);
  mp3.Mode = IndexOrDefault(settings, sn::Mode);
  mp3.EnableVBR = settings.Boolean(sn::UseVBR);
  mp3.WriteVBRHeader = settings.Boolean(sn::WriteVBRHeader);
  mp3.VBRMinBitrate = Kbits(settings, sn::MinBitrate);
  mp3.VBRMaxBitrate = Kbits(settings, sn::MaxBitrate);
  mp3.VBRQuality = IndexOrDefault(settings, sn::VBRQuality);
  mp3.Original = settings.Boolean(sn::Original);
  mp3.Copyright = settings.Boolean(sn::Copyright);
  mp3.CRC = settings.Boolean(sn::CRC);
  return mp3;
}

TVorbisSinkSettings VorbisSinkSettings(const TSettings& settings) {
  TVorbisSinkSettings vorbis;
  vorbis.Compression = static_cast<float>(settings.Integer(sn::OGGCompressionLevel)) / 100.0f;
  vorbis.DesiredNominalBitrate = IndexOrDefault(settings, sn::DesiredNominalBitrate);
  vorbis.DesiredMaximumBitrate = IndexOrDefault(settings, sn::DesiredMaximumBitrate);
  vorbis.MinimumBitrate = IndexOrDefault(settings, sn::DesiredMinimumBitrate);
  return vorbis;
}

TFLACSinkSettings FLACSinkSettings(const TSettings& settings) {
  return {settings.Integer(sn::FLACCompressionLevel), settings.Boolean(sn::FLACVerify)};
}

TOutputSampleFormat LosslessSampleFormat(const TSettings& settings, const std::string& name) {
  return IndexOrDefault(settings, name.c_str()) == 1 ? TOutputSampleFormat::osfCompactDisc : TOutputSampleFormat::osfAsInput;
}

int32_t APESinkCompressionLevel(const TSettings& settings) {
  return IndexOrDefault(settings, sn::APECompressionLevel) * 1000 + 1000;
}

std::string WMASinkProfileFile(const TSettings& settings, const std::string& appDir) {
  const std::string profile = settings.Text(sn::WMABitrate);
  if (profile.empty()) {
    throw std::runtime_error("no WMA profile is chosen (the folder " + appDir + "Profiles holds none, or none is selected)");
  }
  return appDir + "Profiles/" + profile + ".prx";
}

TSinkTags SinkTags(const TConversionRow& row, int32_t rowNumber) {
  return {row.Title,       row.Artist, row.Album,       row.Year,       std::to_string(rowNumber),
          row.Comment,     row.Genre,  row.AlbumArtist, row.Disc,       row.TotalTracks,
          row.TotalDiscs,  row.Composer};
}

TSinkTags SinkTags(const TSettings& settings, const TConversionRow& row, int32_t rowNumber) {
  return SinkTags(row, TrackNumberFor(settings, row, rowNumber));
}

std::string NumberOfTotal(const std::string& number, const std::string& total) {
  return number.empty() || total.empty() ? number : number + "/" + total;
}

std::vector<std::string> VorbisComments(const TConversionRow& row, const std::string& track) {
  std::vector<std::string> comments;
  // Lists of names go back as one comment per value, free texts whole.
  const auto add = [&comments](const char* key, const std::string& text, bool names) {
    for (const std::string& value : names ? SplitListValues(text) : std::vector<std::string>{text}) {
      comments.push_back(key + value);
    }
  };
  const auto addIfAny = [&add](const char* key, const std::string& text, bool names) {
    if (!text.empty()) {
      add(key, text, names);
    }
  };
  add("TITLE=", row.Title, false);
  add("ARTIST=", row.Artist, true);
  add("ALBUM=", row.Album, false);
  add("DATE=", row.Year, false);
  add("COMMENT=", row.Comment, false);
  add("GENRE=", row.Genre, true);
  addIfAny("TRACKNUMBER=", track, false);
  addIfAny("ALBUMARTIST=", row.AlbumArtist, true);
  addIfAny("DISCNUMBER=", row.Disc, false);
  addIfAny("TOTALTRACKS=", row.TotalTracks, false);
  addIfAny("TOTALDISCS=", row.TotalDiscs, false);
  addIfAny("COMPOSER=", row.Composer, true);
  return comments;
}

std::optional<TPicture> SinkCover(const TConversionRow& row, const TSettings& settings) {
  if (row.CoverFile.empty() || (row.CoverFile != row.FileName && !settings.Boolean(sn::FolderCover))) {
    return std::nullopt;
  }
  std::optional<TPicture> cover = ReadCoverFrom(row.CoverFile).Picture;
  // Whatever its type in the source, the row's one picture is the output's front cover.
  if (cover) {
    cover->Type = ptFrontCover;
  }
  return cover;
}

std::string VorbisPictureComment(const TPicture& picture) {
  return "METADATA_BLOCK_PICTURE=" + Base64Encode(FLACPictureBlock(picture));
}

#include "app/SinkSettings.h"

#include <stdexcept>

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
  return {row.Title, row.Artist, row.Album, row.Year, std::to_string(rowNumber), row.Comment, row.Genre};
}

std::vector<std::string> VorbisComments(const TConversionRow& row) {
  return {"TITLE=" + row.Title,     "ARTIST=" + row.Artist,   "ALBUM=" + row.Album,
          "DATE=" + row.Year,       "COMMENT=" + row.Comment, "GENRE=" + row.Genre};
}

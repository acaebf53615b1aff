// MP3 output for the conversion driver: the MP3 settings, the row's tag texts and its cover.

#include "app/DriverFormats.h"
#include "app/SinkSettings.h"
#include "formats/mp3/ACS_LAME.h"

void WireLAME(TFormatTable& table) {
  table.WireSink(
      "MP3", [] { return std::make_unique<TMP3Out>(); },
      [](TACSFileOut& out, const TSinkSetup& setup) {
        auto& sink = dynamic_cast<TMP3Out&>(out);
        const TMP3SinkSettings settings = MP3SinkSettings(setup.Settings);
        sink.SetBitRate(static_cast<acs_lame::TMP3BitRate>(settings.BitRate));
        sink.SetSampleRate(static_cast<acs_lame::TMP3SampleRate>(settings.SampleRate));
        sink.SetQuality(static_cast<acs_lame::TMP3Quality>(settings.Quality));
        sink.SetMode(static_cast<acs_lame::TMP3Mode>(settings.Mode));
        sink.SetEnableVBR(settings.EnableVBR);
        sink.SetWriteVBRHeader(settings.WriteVBRHeader);
        sink.SetVBRMinBitrate(settings.VBRMinBitrate);
        sink.SetVBRMaxBitrate(settings.VBRMaxBitrate);
        sink.SetVBRQuality(static_cast<acs_lame::TMP3Quality>(settings.VBRQuality));
        sink.SetOriginal(settings.Original);
        sink.SetCopyright(settings.Copyright);
        sink.SetCRC(settings.CRC);
        const TSinkTags tags = SinkTags(setup.Settings, setup.Row, setup.RowNumber);
        sink.SetId3TagTitle(tags.Title);
        sink.SetId3TagArtist(tags.Artist);
        sink.SetId3TagAlbum(tags.Album);
        sink.SetId3TagYear(tags.Year);
        sink.SetId3TagTrack(NumberOfTotal(tags.Track, tags.TotalTracks));
        sink.SetId3TagComment(tags.Comment);
        sink.SetId3TagGenre(tags.Genre);
        sink.SetId3TagAlbumArtist(tags.AlbumArtist);
        sink.SetId3TagDisc(NumberOfTotal(tags.Disc, tags.TotalDiscs));
        sink.SetId3TagComposer(tags.Composer);
        sink.SetCover(SinkCover(setup.Row, setup.Settings));
      });
}

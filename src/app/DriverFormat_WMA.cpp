// WMA output for the conversion driver: the chosen profile, the row's tag texts and its cover.

#include "app/DriverFormats.h"
#include "app/SinkSettings.h"
#include "formats/wma/acs_wma_out.h"
#include "platform/WideText.h"

void WireWMA(TFormatTable& table) {
  table.WireSink(
      "WMA", [] { return std::make_unique<TWMA_Out>(); },
      [](TACSFileOut& out, const TSinkSetup& setup) {
        auto& sink = dynamic_cast<TWMA_Out&>(out);
        sink.SetProfileFile(WMASinkProfileFile(setup.Settings, setup.AppDir));
        const TSinkTags tags = SinkTags(setup.Settings, setup.Row, setup.RowNumber);
        sink.SetId3TagTitle(Utf8ToUtf16(tags.Title));
        sink.SetId3TagArtist(Utf8ToUtf16(tags.Artist));
        sink.SetId3TagAlbum(Utf8ToUtf16(tags.Album));
        sink.SetId3TagYear(Utf8ToUtf16(tags.Year));
        sink.SetId3TagComment(Utf8ToUtf16(tags.Comment));
        sink.SetId3TagGenre(Utf8ToUtf16(tags.Genre));
        sink.SetId3TagTrack(Utf8ToUtf16(tags.Track));
        sink.SetId3TagAlbumArtist(Utf8ToUtf16(tags.AlbumArtist));
        sink.SetId3TagDisc(Utf8ToUtf16(NumberOfTotal(tags.Disc, tags.TotalDiscs)));
        sink.SetId3TagComposer(Utf8ToUtf16(tags.Composer));
        sink.SetCover(SinkCover(setup.Row, setup.Settings));
      });
}

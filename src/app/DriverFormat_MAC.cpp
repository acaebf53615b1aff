// Monkey's Audio input and output for the conversion driver: the level from the options and the
// row's seven tag texts and its cover.

#include "app/DriverFormats.h"
#include "app/SinkSettings.h"
#include "formats/ape/ACS_MAC.h"

namespace {

// The library is bound once for the process, before the first APE component is made, and freed at
// exit; a missing library then fails the APE rows with the components' own message.
void BindLibrary() {
  static const struct TProcessBinding {
    TProcessBinding() { MACDll::Startup(); }
    ~TProcessBinding() { MACDll::Shutdown(); }
  } binding;
}

void ConfigureSink(TACSFileOut& sink, const TSinkSetup& setup) {
  auto& out = dynamic_cast<TMACOut&>(sink);
  out.SetCompressionLevel(APESinkCompressionLevel(setup.Settings));
  out.SetSampleFormat(LosslessSampleFormat(setup.Settings, SettingNames::APESampleFormat));
  const TSinkTags tags = SinkTags(setup.Settings, setup.Row, setup.RowNumber);
  out.SetId3TagTitle(tags.Title);
  out.SetId3TagArtist(tags.Artist);
  out.SetId3TagAlbum(tags.Album);
  out.SetId3TagYear(tags.Year);
  out.SetId3TagTrack(tags.Track);
  out.SetId3TagComment(tags.Comment);
  out.SetId3TagGenre(tags.Genre);
  out.SetCover(SinkCover(setup.Row, setup.Settings));
}

}  // namespace

void WireMAC(TFormatTable& table) {
  table.WireSource("MACIn1", [] {
    BindLibrary();
    return std::make_unique<TMACIn>();
  });
  table.WireSink(
      "APE",
      [] {
        BindLibrary();
        auto sink = std::make_unique<TMACOut>();
        sink->SetMaxAudioBytes(-1);
        return sink;
      },
      ConfigureSink);
}

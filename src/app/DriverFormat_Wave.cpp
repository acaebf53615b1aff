// WAV input and output for the conversion driver: PCM out in the sample format of the settings,
// the row's texts as tag chunks after the audio.

#include "app/DriverFormats.h"
#include "app/SinkSettings.h"
#include "formats/wave/ACS_Wave.h"

void WireWave(TFormatTable& table) {
  table.WireSource("WaveIn1", [] { return std::make_unique<TWaveIn>(); });
  table.WireSink(
      "WAV",
      [] {
        auto sink = std::make_unique<TWaveOut>();
        sink->SetWavType(wtPCM);
        sink->SetBlockSize(512);
        return sink;
      },
      [](TACSFileOut& out, const TSinkSetup& setup) {
        auto& wave = dynamic_cast<TWaveOut&>(out);
        wave.SetSampleFormat(LosslessSampleFormat(setup.Settings, SettingNames::WAVSampleFormat));
        const TSinkTags tags = SinkTags(setup.Settings, setup.Row, setup.RowNumber);
        wave.SetTags({tags.Title, tags.Artist, tags.Album, tags.Year, NumberOfTotal(tags.Track, tags.TotalTracks),
                      tags.Comment, tags.Genre, tags.AlbumArtist, NumberOfTotal(tags.Disc, tags.TotalDiscs),
                      tags.Composer, std::nullopt});
      });
}

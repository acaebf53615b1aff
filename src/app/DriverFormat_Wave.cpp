// WAV input and output for the conversion driver: PCM out in the sample format of the settings,
// no tags.

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
      [](TACSFileOut& sink, const TSinkSetup& setup) {
        static_cast<TWaveOut&>(sink).SetSampleFormat(LosslessSampleFormat(setup.Settings, SettingNames::WAVSampleFormat));
      });
}

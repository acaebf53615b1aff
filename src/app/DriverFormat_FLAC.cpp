// FLAC input and output for the conversion driver: the compression level, verification and sample
// format from the settings, the row's texts as Vorbis comments and its cover.

#include "app/DriverFormats.h"
#include "app/SinkSettings.h"
#include "formats/flac/ACS_FLAC.h"

void WireFLAC(TFormatTable& table) {
  table.WireSource("FLACIn1", [] { return std::make_unique<TFLACIn>(); });
  table.WireSink(
      "FLAC",
      [] {
        auto sink = std::make_unique<TFLACOut>();
        sink->SetBestModelSearch(false);
        sink->SetBlockSize(4608);
        sink->SetCompressionLevel(-1);
        sink->SetEnableMidSideStereo(true);
        sink->SetEnableLooseMidSideStereo(false);
        sink->SetMaxLPCOrder(0);
        sink->SetMaxResidualPartitionOrder(0);
        sink->SetMinResidualPartitionOrder(0);
        sink->SetQLPCoeffPrecision(0);
        sink->SetQLPCoeffPrecisionSearch(false);
        sink->SetVerify(false);
        return sink;
      },
      [](TACSFileOut& sink, const TSinkSetup& setup) {
        auto& flac = static_cast<TFLACOut&>(sink);
        const TFLACSinkSettings settings = FLACSinkSettings(setup.Settings);
        flac.SetCompressionLevel(settings.CompressionLevel);
        flac.SetVerify(settings.Verify);
        flac.SetComments(VorbisComments(setup.Row, SinkTags(setup.Settings, setup.Row, setup.RowNumber).Track));
        flac.SetCover(SinkCover(setup.Row, setup.Settings));
        flac.SetSampleFormat(LosslessSampleFormat(setup.Settings, SettingNames::FLACSampleFormat));
      });
}

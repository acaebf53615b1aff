// OGG input and output for the conversion driver: the quality and bit-rate settings, the row's
// texts as Vorbis comments and its cover.

#include "app/DriverFormats.h"
#include "app/SinkSettings.h"
#include "formats/vorbis/ACS_Vorbis.h"

void WireVorbis(TFormatTable& table) {
  table.WireSource("VorbisIn1", [] { return std::make_unique<TVorbisIn>(); });
  table.WireSink(
      "OGG",
      [] {
        auto sink = std::make_unique<TVorbisOut>();
        sink->SetSerial(0);
        return sink;
      },
      [](TACSFileOut& out, const TSinkSetup& setup) {
        auto& sink = dynamic_cast<TVorbisOut&>(out);
        const TVorbisSinkSettings settings = VorbisSinkSettings(setup.Settings);
        sink.SetCompression(settings.Compression);
        // The sink checks each bit rate against those already set, so the nominal one goes first.
        sink.SetDesiredNominalBitrate(static_cast<TVorbisBitRate>(settings.DesiredNominalBitrate));
        sink.SetDesiredMaximumBitrate(static_cast<TVorbisBitRate>(settings.DesiredMaximumBitrate));
        sink.SetMinimumBitrate(static_cast<TVorbisBitRate>(settings.MinimumBitrate));
        std::vector<std::string> comments =
            VorbisComments(setup.Row, SinkTags(setup.Settings, setup.Row, setup.RowNumber).Track);
        if (const std::optional<TPicture> cover = SinkCover(setup.Row, setup.Settings)) {
          comments.push_back(VorbisPictureComment(*cover));
        }
        sink.SetComments(comments);
      });
}

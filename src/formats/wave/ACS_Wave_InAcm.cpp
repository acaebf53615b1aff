// The MPEG side of the WAV source: a file of format tag 0x0055 is converted whole into a PCM
// image in memory when it is opened, and that image stands in for the file while it is open.

#include "formats/wave/ACS_Wave.h"
#include "formats/wave/WaveConverter.h"

void TWaveIn::OpenConverted() {
  FValid = false;
  try {
    TWaveConverter converter;
    FStream->Seek(0);
    converter.ReadCompressedWave(*FStream);
    converter.SetTargetFormatTag(WAVE_FORMAT_PCM);
    if (acmFormatSuggest(nullptr, converter.SourceFormat(), converter.TargetFormat(),
                         TWaveConverter::FormatRecordSize, ACM_FORMATSUGGESTF_WFORMATTAG) != MMSYSERR_NOERROR ||
        converter.ConvertToPcm() != MMSYSERR_NOERROR) {
      return;
    }
    auto image = std::make_unique<TMemoryStream>();
    converter.WritePcmImage(*image);
    image->Seek(0);
    FSavedStream = FStream;
    FConvertedStream = std::move(image);
    FStream = FConvertedStream.get();
  } catch (const std::exception&) {
    return;
  }
  FValid = true;
  ReadWaveHeader();
  if (FValid) {
    FTotalSamples = Size() / (FBPS / 8 * FChan);
  }
  FWavType = wtACM;
}

void TWaveIn::CloseConverted() {
  if (FConvertedStream) {
    FStream = FSavedStream;
    FSavedStream = nullptr;
    FConvertedStream.reset();
  }
}

// The ADPCM side of the WAV source: checking an ADPCM layout at open, and the block refills.

#include <algorithm>
#include <bit>
#include <cstring>

#include "formats/wave/ACS_Wave.h"

static_assert(std::endian::native == std::endian::little, "decoded samples are copied out as little-endian PCM");

namespace {

// Header bytes of one block: 4 per channel for IMA, 7 per channel for MS ADPCM.
constexpr int32_t DviHeaderBytes = 4;
constexpr int32_t MsHeaderBytes = 7;

int32_t MsMaxSamplesPerBlock(int32_t blockAlign, int32_t channels) {
  return 2 + (blockAlign - MsHeaderBytes * channels) * 2 / channels;
}

}  // namespace

// Block sizes and sample counts are checked here so that a block always fits the work area and
// its decoded output always fits the decode buffer, whatever the header claims.
bool TWaveIn::AdpcmLayoutIsSound(const TWaveHeaderInfo& info) const {
  const int32_t channels = info.Channels;
  const int32_t blockAlign = info.BlockAlign;
  if (blockAlign > MaxBlockAlign || info.FactSamples < 0) {
    return false;
  }
  if (info.WavType == wtDVIADPCM) {
    if (info.BitsPerSample != 4 || blockAlign <= DviHeaderBytes * channels) {
      return false;
    }
    const int32_t samples = channels == 1 ? DviMonoSamplesPerBlock(blockAlign) : DviStereoSamplesPerBlock(blockAlign);
    return info.SamplesPerBlock == samples;
  }
  if (blockAlign <= MsHeaderBytes * channels || info.CoefCount == 0) {
    return false;
  }
  return info.SamplesPerBlock >= 2 && info.SamplesPerBlock <= MsMaxSamplesPerBlock(blockAlign, channels);
}

void TWaveIn::OpenAdpcm() {
  const int32_t factSamples = FWavType == wtDVIADPCM ? FDviFactSamples : FMsFactSamples;
  FBPS = 16;
  FTotalSamples = factSamples;
  FSize = 2 * static_cast<int64_t>(FChan) * factSamples;
}

int32_t TWaveIn::Refill() {
  switch (FWavType) {
    case wtDVIADPCM:
    case wtMSADPCM:
      if (!FValid || FStream == nullptr || Position() >= Size()) {
        return 0;
      }
      return FWavType == wtDVIADPCM ? ReadDviBlock() : ReadMsBlock();
    case wtACM:
      return RefillAcm();
    default:
      return RefillPcm();
  }
}

// Reads one block into the work area; a block cut short by the end of the data gives what is there.
int32_t TWaveIn::ReadBlock(uint16_t blockAlign) {
  const int64_t remaining = FDataEnd - FStream->Position();
  if (remaining <= 0) {
    return 0;
  }
  const auto wanted = static_cast<size_t>(std::min<int64_t>(blockAlign, remaining));
  return static_cast<int32_t>(FStream->Read(std::span<uint8_t>(FBlockArea.data(), wanted)));
}

int32_t TWaveIn::DeliverDecoded(int32_t samples) {
  const int32_t bytes = samples * 2;
  std::memcpy(FDecodeBuffer.data(), FDecodedSamples.data(), static_cast<size_t>(bytes));
  return bytes;
}

int32_t TWaveIn::ReadDviBlock() {
  const int32_t count = ReadBlock(FDviBlockAlign);
  const int32_t headerBytes = DviHeaderBytes * FChan;
  if (count < headerBytes) {
    return 0;
  }
  for (int32_t c = 0; c < FChan; ++c) {
    const uint8_t* header = FBlockArea.data() + DviHeaderBytes * c;
    FDviState[c].Predictor = static_cast<int16_t>(header[0] | (header[1] << 8));
    FDviState[c].StepIndex = header[2];
  }
  const std::span<const uint8_t> data(FBlockArea.data() + headerBytes, static_cast<size_t>(count - headerBytes));
  if (FChan == 1) {
    return DeliverDecoded(DecodeDviMono(FDviState[0], data, FDecodedSamples));
  }
  const auto perChannel = static_cast<int32_t>(data.size());
  return DeliverDecoded(2 * DecodeDviStereo(FDviState[0], FDviState[1], data, perChannel, FDecodedSamples));
}

int32_t TWaveIn::ReadMsBlock() {
  const int32_t count = ReadBlock(FMsBlockAlign);
  const int32_t headerBytes = MsHeaderBytes * FChan;
  if (count < headerBytes) {
    return 0;
  }
  const uint8_t* header = FBlockArea.data();
  auto field = [&](int32_t index) { return static_cast<int16_t>(header[index] | (header[index + 1] << 8)); };
  for (int32_t c = 0; c < FChan; ++c) {
    TMsChannelState& state = FMsState[c];
    state.PredictorIndex = header[c];
    state.Delta = field(FChan + 2 * c);
    state.Sample1 = field(3 * FChan + 2 * c);
    state.Sample2 = field(5 * FChan + 2 * c);
  }
  const std::span<const TMsCoefPair> coefs(FMsCoefs.data(), FMsCoefCount);
  const std::span<const uint8_t> data(FBlockArea.data() + headerBytes, static_cast<size_t>(count - headerBytes));
  const int32_t codes = FMsSamplesPerBlock - 2;
  if (FChan == 1) {
    return DeliverDecoded(DecodeMsMono(FMsState[0], coefs, data, codes, FDecodedSamples));
  }
  return DeliverDecoded(2 * DecodeMsStereo(FMsState[0], FMsState[1], coefs, data, codes, FDecodedSamples));
}

// The IMA ADPCM side of the WAV sink: the 60-byte header, one block per DoOutput, and the "fact"
// value completed at the end.

#include <bit>
#include <cstring>
#include <string>

#include "formats/wave/ACS_Wave.h"
#include "formats/wave/WaveWriter.h"

static_assert(std::endian::native == std::endian::little, "input PCM is read as little-endian 16-bit samples");

namespace {

int32_t DviSamplesPerBlock(int32_t blockSize, int32_t channels) {
  return channels == 1 ? DviMonoSamplesPerBlock(blockSize) : DviStereoSamplesPerBlock(blockSize);
}

// Blocks our own source reads back: room for at least the headers, at most 4096 bytes, and for
// stereo whole groups of 8 codes (the block layout has no place for a partial group).
bool DviBlockSizeFits(int32_t blockSize, int32_t channels) {
  if (channels != 1 && channels != 2) {
    return false;
  }
  if (blockSize <= 4 * channels || blockSize > TWaveIn::MaxBlockAlign) {
    return false;
  }
  return channels == 1 || (blockSize - 8) % 8 == 0;
}

std::array<uint8_t, DviHeaderSize> BuildDviHeader(const TWaveFormat& format, uint16_t blockSize, int64_t inputSize) {
  const int32_t samplesPerBlock = DviSamplesPerBlock(blockSize, format.Channels);
  // The sizes announced here are completed from what was written when the run ends.
  const int64_t frames = inputSize / (format.BitsPerSample / 8) / format.Channels;
  const uint32_t dataSize =
      AnnouncedSize32(RoundHalfEven64(static_cast<double>(frames) / samplesPerBlock) * static_cast<int64_t>(blockSize));
  std::array<uint8_t, DviHeaderSize> header{};
  std::memcpy(header.data(), "RIFF", 4);
  PutLe32(header.data() + 4, dataSize + 52);
  std::memcpy(header.data() + 8, "WAVEfmt ", 8);
  PutLe32(header.data() + 16, 20);
  PutLe16(header.data() + 20, 0x0011);
  PutLe16(header.data() + 22, format.Channels);
  PutLe32(header.data() + 24, format.SampleRate);
  PutLe32(header.data() + 28, format.SampleRate / static_cast<uint32_t>(samplesPerBlock) * blockSize);
  PutLe16(header.data() + 32, blockSize);
  PutLe16(header.data() + 34, 4);
  PutLe16(header.data() + 36, 2);
  PutLe16(header.data() + 38, static_cast<uint16_t>(samplesPerBlock));
  std::memcpy(header.data() + 40, "fact", 4);
  PutLe32(header.data() + 44, 4);
  PutLe32(header.data() + 48, AnnouncedSize32(frames));
  std::memcpy(header.data() + 52, "data", 4);
  PutLe32(header.data() + 56, dataSize);
  return header;
}

}  // namespace

void TWaveOut::PrepareDvi(const TWaveFormat& format, int64_t inputSize) {
  if (format.BitsPerSample != 16) {
    throw EACSException("Cannot encode 8 bit sound into ADPCM.");
  }
  if (FAppending) {
    if (format.Channels != FAppendFormat.Channels || format.SampleRate != FAppendFormat.SampleRate) {
      throw EACSException("Cannot append data in different audio format.");
    }
    // New blocks must start on a block boundary of a layout we can continue.
    const int64_t existing = FStream->Size() - FAppendFormat.DataStart;
    if (FAppendFormat.BitsPerSample != 4 || !DviBlockSizeFits(FBlockSize, format.Channels) || existing % FBlockSize != 0) {
      throw EACSException("Cannot append data to this .wav file.");
    }
    FDataStart = FAppendFormat.DataStart;
    FDviBlocksBefore = existing / FBlockSize;
    FStream->SeekToEnd();
  } else {
    if (!DviBlockSizeFits(FBlockSize, format.Channels)) {
      throw EACSException(FFileName + ": cannot write IMA ADPCM blocks of " + std::to_string(FBlockSize) +
                          " bytes for " + std::to_string(format.Channels) + " channel(s)");
    }
    FDataStart = DviHeaderSize;
    FDviBlocksBefore = 0;
    FStream->Seek(0);
    FStream->Write(BuildDviHeader(format, FBlockSize, inputSize));
  }
  FDviState = {};
  FDviChannels = format.Channels;
  FDviFrames = 0;
  FDviPcm.assign(static_cast<size_t>(DviSamplesPerBlock(FBlockSize, format.Channels)) * format.Channels, 0);
  FDviBlock.assign(FBlockSize, 0);
}

bool TWaveOut::OutputDviBlock() {
  std::fill(FDviPcm.begin(), FDviPcm.end(), int16_t{0});
  const std::span<uint8_t> area(reinterpret_cast<uint8_t*>(FDviPcm.data()), FDviPcm.size() * 2);
  size_t filled = 0;
  while (filled < area.size()) {
    const int32_t count = ReadInput(area.subspan(filled));
    if (count <= 0) {
      FEndOfInput = true;
      break;
    }
    filled += static_cast<size_t>(count);
  }
  // An input that ended on a block boundary leaves nothing to encode: no block of pure padding.
  if (filled == 0) {
    return false;
  }
  const auto channels = static_cast<size_t>(FDviChannels);
  const size_t frameBytes = 2 * channels;
  FDviFrames += static_cast<int64_t>((filled + frameBytes - 1) / frameBytes);
  for (size_t c = 0; c < channels; ++c) {
    FDviState[c].Predictor = FDviPcm[c];
  }
  const std::span<const int16_t> rest(FDviPcm.data() + channels, FDviPcm.size() - channels);
  if (channels == 1) {
    EncodeDviMono(FDviState[0], rest, FDviBlock);
  } else {
    EncodeDviStereo(FDviState[0], FDviState[1], rest, FDviBlock);
  }
  FStream->Write(FDviBlock);
  return true;
}

void TWaveOut::CompleteDviFact() {
  const int64_t frames = FDviBlocksBefore * DviSamplesPerBlock(FBlockSize, FDviChannels) + FDviFrames;
  const int64_t position = FAppending ? FAppendFormat.FactValuePosition : DviFactValueOffset;
  WriteLe32At(*FStream, position, ClampToUint32(frames));
}

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "formats/wave/ACS_Wave.h"
#include "formats/wave/WaveTagChunks.h"
#include "formats/wave/WaveWriter.h"

TWaveOut::TWaveOut() = default;

TWaveOut::~TWaveOut() { EndWorker(); }

void TWaveOut::SetWavType(TWavType value) {
  if (Busy() || (value != wtPCM && value != wtDVIADPCM)) {
    return;
  }
  FWavType = value;
}

void TWaveOut::SetBlockSize(uint16_t value) {
  if (Busy() || value == 0 || value % 4 != 0) {
    return;
  }
  FBlockSize = value;
}

void TWaveOut::SetFileMode(TFileOutputMode mode) { FFileMode = mode; }

TPcmFormat TWaveOut::AcceptedFormat(const TPcmFormat& offered) const {
  return LosslessAcceptedFormat(offered, FSampleFormat, {.MaxBits = 32, .MaxChannels = 8, .Float = true});
}

bool TWaveOut::ReadAppendHeader() {
  FStream->Seek(0);
  const TWaveHeaderInfo info = ScanWaveHeader(*FStream, TWaveScanPurpose::Append);
  if (info.WavType == wtUnsupported || info.Damaged) {
    return false;
  }
  if (info.WavType == wtDVIADPCM && info.FactValuePosition < 0) {
    return false;
  }
  // New audio goes at the end of the file, so the data chunk must be the last chunk: appending
  // after a trailing chunk (a "LIST" of tags, say) would turn that chunk into noise.
  const bool sizeKnown = info.DataSize != 0 && info.DataSize != 0xFFFFFFFFu;
  if (sizeKnown && info.DataOffset + static_cast<int64_t>(info.DataSize) + 8 <= FStream->Size()) {
    return false;
  }
  FAppendFormat.WavType = info.WavType;
  FAppendFormat.Channels = info.Channels;
  FAppendFormat.SampleRate = info.SampleRate;
  FAppendFormat.BitsPerSample = info.BitsPerSample;
  FAppendFormat.Kind = info.Kind;
  FAppendFormat.DataSizePosition = info.DataSizePosition;
  FAppendFormat.DataStart = info.DataOffset;
  FAppendFormat.FactValuePosition = info.FactValuePosition;
  FBlockSize = info.BlockAlign;
  return true;
}

void TWaveOut::Prepare() {
  FEndOfInput = false;
  FAppending = false;
  bool inputStarted = false;
  try {
    OpenTarget(true);
    Input()->Init();
    inputStarted = true;
    if (FFileMode == foAppend && FStream->Size() > 0) {
      if (!ReadAppendHeader()) {
        throw EACSException("Cannot append data to this .wav file.");
      }
      FWavType = FAppendFormat.WavType;
      FAppending = true;
    }
    TACSInput& input = *Input();
    const TPcmFormat pcm = input.GetFormat();
    const TWaveFormat format{static_cast<uint16_t>(pcm.Channels), static_cast<uint32_t>(pcm.SampleRate),
                             static_cast<uint16_t>(pcm.BitsPerSample)};
    FHeader = {};
    FBlockAlign = pcm.BytesPerFrame();
    if (FWavType == wtDVIADPCM) {
      PrepareDvi(format, input.Size());
    } else if (FAppending) {
      if (format.Channels != FAppendFormat.Channels || format.SampleRate != FAppendFormat.SampleRate ||
          format.BitsPerSample != FAppendFormat.BitsPerSample || pcm.Kind != FAppendFormat.Kind) {
        throw EACSException("Cannot append data in different audio format.");
      }
      FDataStart = FAppendFormat.DataStart;
      FStream->SeekToEnd();
    } else {
      FHeader = BuildWaveHeader(pcm, input.Size());
      FDataStart = static_cast<int64_t>(FHeader.Bytes.size());
      FStream->Seek(0);
      FStream->Write(FHeader.Bytes);
    }
  } catch (...) {
    AbandonPrepare(inputStarted);
    throw;
  }
}

bool TWaveOut::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  if (FEndOfInput) {
    return false;
  }
  if (FWavType == wtDVIADPCM) {
    return OutputDviBlock();
  }
  const int32_t count = ReadInput(FChunk);
  if (count <= 0) {
    return false;
  }
  // A failed write (a full disk, say) ends the run as a failure instead of silently dropping audio.
  FStream->Write(std::span<const uint8_t>(FChunk.data(), static_cast<size_t>(count)));
  return true;
}

void TWaveOut::CompleteHeader() {
  // The sizes always describe what was really written, whatever the input announced: a stopped
  // run or a short input leaves a file whose header is true.
  const int64_t length = FStream->Size();
  if (FHeader.Ds64Offset >= 0 && NeedsRf64(length)) {
    WriteRf64Sizes(*FStream, FHeader, FDataStart, FBlockAlign);
    return;
  }
  const int64_t newFilePosition = FWavType == wtDVIADPCM ? DviDataSizeOffset : FHeader.DataSizeOffset;
  const int64_t dataSizePosition = FAppending ? FAppendFormat.DataSizePosition : newFilePosition;
  WriteLe32At(*FStream, dataSizePosition, ClampToUint32(length - FDataStart));
  if (FWavType == wtDVIADPCM) {
    CompleteDviFact();
  }
  WriteLe32At(*FStream, RiffSizeOffset, ClampToUint32(length - 8));
}

void TWaveOut::AppendTagChunks() {
  const std::vector<uint8_t> chunks = BuildWaveTagChunks(FTags);
  // An RF64 file's sizes come from its ds64 chunk, which counts the data up to the end of the
  // file: a tag chunk after the data would be taken for audio, so such a file carries none.
  const bool rf64 = FHeader.Ds64Offset >= 0 && NeedsRf64(FStream->Size());
  if (FAppending || chunks.empty() || rf64) {
    return;
  }
  FStream->SeekToEnd();
  if (FStream->Size() % 2 != 0) {
    FStream->Write(std::vector<uint8_t>{0});  // the data chunk's pad byte
  }
  FStream->Write(chunks);
  WriteLe32At(*FStream, RiffSizeOffset, ClampToUint32(FStream->Size() - 8));
}

void TWaveOut::Done() {
  std::exception_ptr failure;
  if (FStream != nullptr) {
    try {
      CompleteHeader();
      AppendTagChunks();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  ReleaseStream();
  FlushInput();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

#include <algorithm>
#include <climits>

#include "formats/wave/ACS_Wave.h"
#include "formats/wave/WaveFormatCheck.h"
#include "pipeline/ChannelMask.h"

void TWaveIn::Refuse(std::string reason) {
  FValid = false;
  FInvalidReason = std::move(reason);
}

void TWaveIn::ReadWaveHeader() {
  const TWaveHeaderInfo info = ScanWaveHeader(*FStream, TWaveScanPurpose::Read);
  FWavType = info.WavType;
  if (FWavType == wtUnsupported) {
    Refuse(WaveFormatProblem(info));
    return;
  }
  FChan = info.Channels;
  FSR = static_cast<int32_t>(std::min<uint32_t>(info.SampleRate, INT32_MAX));
  FBPS = info.BitsPerSample;
  FKind = info.Kind;
  FChannelMask = PassableChannelMask(info.ChannelMask, info.Channels);
  FDataOffset = static_cast<uint16_t>(info.DataOffset);
  switch (FWavType) {
    case wtDVIADPCM:
      FDviBlockAlign = info.BlockAlign;
      FDviSamplesPerBlock = info.SamplesPerBlock;
      FDviFactSamples = info.FactSamples;
      break;
    case wtMSADPCM:
    case wtACM:
      FMsBlockAlign = info.BlockAlign;
      FMsSamplesPerBlock = info.SamplesPerBlock;
      FMsFactSamples = info.FactSamples;
      FMsCoefCount = info.CoefCount;
      FMsCoefs = info.Coefs;
      break;
    default:
      break;
  }
  if (std::string problem = WaveFormatProblem(info); !problem.empty()) {
    Refuse(std::move(problem));
    return;
  }
  if (FWavType == wtDVIADPCM || FWavType == wtMSADPCM || FWavType == wtACM) {
    const bool sizeKnown = info.DataSize != 0 && info.DataSize != 0xFFFFFFFFu;
    FDataEnd = sizeKnown ? std::min<int64_t>(info.DataOffset + static_cast<int64_t>(info.DataSize), FStream->Size())
                         : FStream->Size();
    if (FWavType == wtACM) {
      OpenAcm(info.AvgBytesPerSec);
    } else {
      FValid = AdpcmLayoutIsSound(info);
    }
    return;
  }
  if (FWavType == wtPCM) {
    // A data chunk that claims more than the file holds (or the "unknown" 0xFFFFFFFF of a
    // streaming writer) is read to the end of the file, so Size is what can really be delivered.
    const int32_t frameSize = FBPS / 8 * FChan;
    const int64_t available = std::max<int64_t>(FStream->Size() - info.DataOffset, 0);
    int64_t bytes = static_cast<int64_t>(std::min<uint64_t>(DeclaredDataSize(info), static_cast<uint64_t>(available)));
    bytes -= bytes % frameSize;
    FSize = bytes;
    const uint64_t declared = DeclaredDataSize(info);
    const bool unknown = declared == 0xFFFFFFFFu || declared > static_cast<uint64_t>(INT64_MAX);
    const int64_t stated = unknown ? bytes : static_cast<int64_t>(declared);
    FAnnouncedBytes = stated - stated % frameSize;
  }
}

int64_t TWaveIn::AnnouncedSize() {
  const bool wholeFile = FStartSample == 0 && FEndSample == -1;
  return FWavType == wtPCM && wholeFile ? std::max(FAnnouncedBytes, Size()) : Size();
}

TPcmFormat TWaveIn::GetFormat() {
  TPcmFormat format = TACSFileIn::GetFormat();
  format.Kind = FKind;
  format.ChannelMask = FChannelMask;
  return format;
}

void TWaveIn::OpenFile() {
  if (FOpenCount == 0) {
    CloseAcm();  // left behind when Reset dropped the open count
    FValid = true;
    FInvalidReason.clear();
    FWavType = wtUnsupported;
    if (!FStreamAssigned && !OpenOwnStream(FFileName)) {
      Refuse("cannot open the file");
    }
    if (FStream == nullptr) {
      FValid = false;
    } else {
      FStream->Seek(0);
      ReadWaveHeader();
    }
    if (FValid) {
      switch (FWavType) {
        case wtPCM:
          FTotalSamples = Size() / (FBPS / 8 * FChan);
          break;
        case wtDVIADPCM:
        case wtMSADPCM:
          OpenAdpcm();
          break;
        case wtACM:
          break;
        default:
          FValid = false;
          break;
      }
    }
  }
  ++FOpenCount;
}

void TWaveIn::CloseFile() {
  if (FOpenCount == 1) {
    CloseAcm();
    ReleaseStream();
  }
  if (FOpenCount > 0) {
    --FOpenCount;
  }
}

bool TWaveIn::Seek(int64_t sampleNumber) {
  if (!FSeekable) {
    return false;
  }
  OpenFile();
  bool positioned = false;
  if (FStream != nullptr && FValid) {
    int64_t position = -1;
    switch (FWavType) {
      case wtPCM:
        position = sampleNumber * (FBPS / 8) * FChan + FDataOffset;
        break;
      case wtACM:  // decoded again from the start, up to the frame
        StartAcm(sampleNumber);
        positioned = true;
        break;
      case wtDVIADPCM:
        if (FDviSamplesPerBlock > 0) {
          position = sampleNumber / FDviSamplesPerBlock * FDviBlockAlign + FDataOffset;
        }
        break;
      case wtMSADPCM:
        if (FMsSamplesPerBlock > 0) {
          position = sampleNumber / FMsSamplesPerBlock * FMsBlockAlign + FDataOffset;
        }
        break;
      default:
        break;
    }
    if (position >= 0) {
      FStream->Seek(position);
      positioned = true;
    }
  }
  CloseFile();
  return positioned;
}

int32_t TWaveIn::RefillPcm() {
  if (!FValid || FStream == nullptr) {
    return 0;
  }
  auto count = static_cast<int32_t>(FStream->Read(FDecodeBuffer));
  if (Position() + count >= Size()) {
    count = static_cast<int32_t>(Size() - Position());
  }
  return count;
}

int32_t TWaveIn::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  if (BufferUsedUp()) {
    int32_t count = Refill();
    if (count < 1) {
      if (!FLoop) {
        return 0;
      }
      Flush();
      Init();
      count = Refill();
      if (count < 1) {
        return 0;
      }
    }
    FBufStart = 1;
    FBufEnd = count;
  }
  return CopyFromBuffer(FDecodeBuffer.data(), buffer);
}

// The MPEG side of the WAV source: the data of a file of format tag 0x0055 is decoded through the
// audio compression service while it is read, a piece at a time, so a run decodes the file once
// and opening it for a format query decodes only its first frames.

#include <algorithm>
#include <cstring>
#include <utility>

#include "formats/wave/ACS_Wave.h"
#include "platform/MSAcm.h"

namespace {

constexpr size_t AcmInputPiece = 4096;

}  // namespace

struct TWaveIn::TAcmDecode {
  WAVEFORMATEX Source{};
  WAVEFORMATEX Target{};
  HACMSTREAM Stream = nullptr;
  std::array<uint8_t, AcmInputPiece> Input{};
  size_t InputStart = 0;
  size_t InputEnd = 0;
  bool InputEnded = false;
  int64_t SkipBytes = 0;  // decoded bytes still to drop after a seek
  int32_t Probed = 0;     // bytes decoded at open, waiting in the decode buffer

  ~TAcmDecode() { Close(); }
  void Close() {
    if (Stream != nullptr) {
      acmStreamClose(Stream, 0);
      Stream = nullptr;
    }
  }
};

// Made and destroyed here, where the MPEG decoding state is complete.
TWaveIn::TWaveIn() = default;
TWaveIn::~TWaveIn() = default;

void TWaveIn::OpenAcm(uint32_t sourceBytesPerSecond) {
  auto acm = std::make_unique<TAcmDecode>();
  acm->Source.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  acm->Source.nChannels = static_cast<uint16_t>(FChan);
  acm->Source.nSamplesPerSec = static_cast<uint32_t>(FSR);
  acm->Source.nAvgBytesPerSec = sourceBytesPerSecond;
  acm->Source.nBlockAlign = FMsBlockAlign;
  acm->Source.wBitsPerSample = static_cast<uint16_t>(FBPS);
  acm->Target.wFormatTag = WAVE_FORMAT_PCM;
  if (acmFormatSuggest(nullptr, &acm->Source, &acm->Target, sizeof acm->Target, ACM_FORMATSUGGESTF_WFORMATTAG) !=
      MMSYSERR_NOERROR) {
    FValid = false;
    return;
  }
  FChan = acm->Target.nChannels;
  FSR = static_cast<int32_t>(acm->Target.nSamplesPerSec);
  FBPS = acm->Target.wBitsPerSample;
  // The length is the fact chunk's, else an estimate from the stated bit rate; the end of the
  // decoding makes it exact.
  const int64_t dataBytes = std::max<int64_t>(FDataEnd - FDataOffset, 0);
  FTotalSamples = FMsFactSamples > 0 ? FMsFactSamples
                  : sourceBytesPerSecond > 0 ? dataBytes * FSR / sourceBytesPerSecond
                                             : 0;
  FSize = FTotalSamples * acm->Target.nBlockAlign;
  FAcm = std::move(acm);
  // Data that yields no audio at all makes the file invalid, found out from its first frames.
  StartAcm(0);
  FAcm->Probed = DecodeAcm();
  if (FAcm->Probed == 0) {
    FValid = false;
  }
}

void TWaveIn::StartAcm(int64_t skipFrames) {
  TAcmDecode& acm = *FAcm;
  acm.Close();
  acm.InputStart = acm.InputEnd = 0;
  acm.InputEnded = false;
  acm.Probed = 0;
  acm.SkipBytes = skipFrames * acm.Target.nBlockAlign;
  if (acmStreamOpen(&acm.Stream, nullptr, &acm.Source, &acm.Target, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) !=
      MMSYSERR_NOERROR) {
    acm.Stream = nullptr;
  }
  FStream->Seek(FDataOffset);
}

int32_t TWaveIn::RefillAcm() {
  if (!FAcm) {
    return 0;
  }
  int32_t n = FAcm->Probed > 0 ? std::exchange(FAcm->Probed, 0) : DecodeAcm();
  if (FEndSample != -1) {
    n = static_cast<int32_t>(std::clamp<int64_t>(Size() - Position(), 0, n));
  } else if (n == 0) {
    // Everything is delivered: the length is now what was decoded.
    FSize = Position();
  } else if (Position() + n > Size()) {
    FSize = Position() + n;
  }
  return n;
}

// Decodes into the decode buffer until some PCM is there or the data has ended; 0 at the end.
int32_t TWaveIn::DecodeAcm() {
  TAcmDecode& acm = *FAcm;
  if (acm.Stream == nullptr) {
    return 0;
  }
  for (;;) {
    if (acm.InputStart == acm.InputEnd && !acm.InputEnded) {
      const auto wanted = static_cast<size_t>(std::clamp<int64_t>(FDataEnd - FStream->Position(), 0, AcmInputPiece));
      acm.InputStart = 0;
      acm.InputEnd = wanted == 0 ? 0 : static_cast<size_t>(FStream->Read(std::span(acm.Input.data(), wanted)));
      acm.InputEnded = acm.InputEnd == 0;
    }
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = acm.Input.data() + acm.InputStart;
    header.cbSrcLength = static_cast<uint32_t>(acm.InputEnd - acm.InputStart);
    header.pbDst = FDecodeBuffer.data();
    header.cbDstLength = static_cast<uint32_t>(FDecodeBuffer.size());
    const uint32_t flags = acm.InputEnded ? ACM_STREAMCONVERTF_END : 0;
    if (acmStreamPrepareHeader(acm.Stream, &header, 0) != MMSYSERR_NOERROR) {
      return 0;
    }
    const MMRESULT converted = acmStreamConvert(acm.Stream, &header, flags);
    acmStreamUnprepareHeader(acm.Stream, &header, 0);
    if (converted != MMSYSERR_NOERROR) {
      return 0;
    }
    acm.InputStart += header.cbSrcLengthUsed;
    auto produced = static_cast<int32_t>(header.cbDstLengthUsed);
    const auto dropped = static_cast<int32_t>(std::min<int64_t>(acm.SkipBytes, produced));
    if (dropped > 0) {
      std::memmove(FDecodeBuffer.data(), FDecodeBuffer.data() + dropped, static_cast<size_t>(produced - dropped));
      acm.SkipBytes -= dropped;
      produced -= dropped;
    }
    if (produced > 0) {
      return produced;
    }
    if (acm.InputEnded && acm.InputStart == acm.InputEnd && header.cbDstLengthUsed == 0) {
      return 0;
    }
  }
}

void TWaveIn::CloseAcm() { FAcm.reset(); }

#include "platform/MSAcm.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <span>

#include "platform/MediaDecoder.h"

struct TAcmStream {
  WAVEFORMATEX Source{};
  WAVEFORMATEX Target{};
  std::unique_ptr<TMediaDecoder> Decoder;
  bool Drained = false;
};

namespace {

// The largest record understood: MPEGLAYER3WAVEFORMAT, 18 bytes and 12 of its own.
constexpr uint32_t MaxFormatSize = 30;
// One MPEG Layer-3 frame holds at most this many samples per channel.
constexpr uint32_t MaxFrameSamples = 1152;
// The lowest bit rate MPEG audio allows, 8 kbit/s, in bytes per second.
constexpr uint32_t LowestByteRate = 1000;

constexpr std::array<uint32_t, 9> MpegRates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

WAVEFORMATEX CopyFormat(const WAVEFORMATEX* format) {
  WAVEFORMATEX copy{};
  std::memcpy(&copy, format, sizeof copy);
  return copy;
}

bool IsMpegSource(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_MPEGLAYER3 && (format.nChannels == 1 || format.nChannels == 2) &&
         std::find(MpegRates.begin(), MpegRates.end(), format.nSamplesPerSec) != MpegRates.end();
}

WAVEFORMATEX PcmFor(const WAVEFORMATEX& source) {
  WAVEFORMATEX pcm{};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = source.nChannels;
  pcm.nSamplesPerSec = source.nSamplesPerSec;
  pcm.wBitsPerSample = 16;
  pcm.nBlockAlign = static_cast<uint16_t>(2 * source.nChannels);
  pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
  pcm.cbSize = 0;
  return pcm;
}

// The decoder cannot change rate or channels on request: the target is the source's own PCM.
bool IsTargetFor(const WAVEFORMATEX& target, const WAVEFORMATEX& source) {
  const WAVEFORMATEX pcm = PcmFor(source);
  return target.wFormatTag == pcm.wFormatTag && target.nChannels == pcm.nChannels &&
         target.nSamplesPerSec == pcm.nSamplesPerSec && target.wBitsPerSample == pcm.wBitsPerSample &&
         target.nBlockAlign == pcm.nBlockAlign;
}

uint32_t ClampedProduct(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX)); }

}  // namespace

MMRESULT acmMetrics(HACMOBJ, uint32_t uMetric, void* pMetric) {
  if (pMetric == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if (uMetric != ACM_METRIC_MAX_SIZE_FORMAT) {
    return ACMERR_NOTPOSSIBLE;
  }
  std::memcpy(pMetric, &MaxFormatSize, sizeof MaxFormatSize);
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatSuggest(HACMDRIVER, const WAVEFORMATEX* pwfxSrc, WAVEFORMATEX* pwfxDst, uint32_t cbwfxDst,
                          uint32_t fdwSuggest) {
  if (pwfxSrc == nullptr || pwfxDst == nullptr || cbwfxDst < sizeof(WAVEFORMATEX)) {
    return MMSYSERR_INVALPARAM;
  }
  if ((fdwSuggest & ~ACM_FORMATSUGGESTF_WFORMATTAG) != 0) {
    return MMSYSERR_INVALFLAG;
  }
  const WAVEFORMATEX source = CopyFormat(pwfxSrc);
  if (!IsMpegSource(source)) {
    return ACMERR_NOTPOSSIBLE;
  }
  if ((fdwSuggest & ACM_FORMATSUGGESTF_WFORMATTAG) != 0 && CopyFormat(pwfxDst).wFormatTag != WAVE_FORMAT_PCM) {
    return ACMERR_NOTPOSSIBLE;
  }
  const WAVEFORMATEX pcm = PcmFor(source);
  std::memcpy(pwfxDst, &pcm, sizeof pcm);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(HACMSTREAM* phas, HACMDRIVER, const WAVEFORMATEX* pwfxSrc, const WAVEFORMATEX* pwfxDst,
                       void* pwfltr, uintptr_t dwCallback, uintptr_t, uint32_t fdwOpen) {
  if (phas == nullptr || pwfxSrc == nullptr || pwfxDst == nullptr || pwfltr != nullptr || dwCallback != 0) {
    return MMSYSERR_INVALPARAM;
  }
  if ((fdwOpen & ~ACM_STREAMOPENF_NONREALTIME) != 0) {
    return MMSYSERR_INVALFLAG;
  }
  const WAVEFORMATEX source = CopyFormat(pwfxSrc);
  const WAVEFORMATEX target = CopyFormat(pwfxDst);
  if (!IsMpegSource(source) || !IsTargetFor(target, source)) {
    return ACMERR_NOTPOSSIBLE;
  }
  std::unique_ptr<TAcmStream> stream(new (std::nothrow) TAcmStream);
  if (!stream) {
    return MMSYSERR_NOMEM;
  }
  stream->Source = source;
  stream->Target = target;
  stream->Decoder = std::make_unique<TMediaDecoder>();
  if (!stream->Decoder->OpenMpegAudio(target.nChannels, target.nSamplesPerSec)) {
    return MMSYSERR_NOMEM;
  }
  *phas = stream.release();
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t* pdwOutputBytes, uint32_t fdwSize) {
  if (has == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  if (pdwOutputBytes == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  // From the source's stated bit rate (at least the lowest MPEG allows), with one frame to spare.
  const uint64_t sourceRate = std::max(has->Source.nAvgBytesPerSec, LowestByteRate);
  const uint64_t targetRate = has->Target.nAvgBytesPerSec;
  const uint64_t frameBytes = static_cast<uint64_t>(MaxFrameSamples) * has->Target.nBlockAlign;
  if (fdwSize != ACM_STREAMSIZEF_SOURCE) {
    return MMSYSERR_INVALFLAG;
  }
  *pdwOutputBytes = ClampedProduct((cbInput * targetRate + sourceRate - 1) / sourceRate + frameBytes);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t) {
  if (has == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  if (pash == nullptr || pash->cbStruct < sizeof(ACMSTREAMHEADER) || (pash->pbSrc == nullptr && pash->cbSrcLength > 0) ||
      (pash->pbDst == nullptr && pash->cbDstLength > 0)) {
    return MMSYSERR_INVALPARAM;
  }
  pash->fdwStatus |= ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwConvert) {
  if (has == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  if (pash == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) == 0) {
    return ACMERR_UNPREPARED;
  }
  constexpr uint32_t known = ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END;
  if ((fdwConvert & ~known) != 0) {
    return MMSYSERR_INVALFLAG;
  }
  pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
  TMediaDecoder& decoder = *has->Decoder;
  const std::span<const uint8_t> source(pash->pbSrc, pash->cbSrcLength);
  const std::span<uint8_t> target(pash->pbDst, pash->cbDstLength);
  size_t used = 0;
  size_t produced = decoder.Take(target);
  while (produced < target.size() && used < source.size()) {
    used += decoder.Feed(source.subspan(used));
    produced += decoder.Take(target.subspan(produced));
  }
  if ((fdwConvert & ACM_STREAMCONVERTF_END) != 0 && used == source.size() && !has->Drained) {
    decoder.FeedEnd();
    has->Drained = true;
    produced += decoder.Take(target.subspan(produced));
  }
  pash->cbSrcLengthUsed = static_cast<uint32_t>(used);
  pash->cbDstLengthUsed = static_cast<uint32_t>(produced);
  pash->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
  if (has->Drained && decoder.PendingBytes() == 0 && !decoder.DecodedAny()) {
    return MMSYSERR_ERROR;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t) {
  if (has == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  if (pash == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) == 0) {
    return ACMERR_UNPREPARED;
  }
  pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM has, uint32_t) {
  if (has == nullptr) {
    return MMSYSERR_INVALHANDLE;
  }
  std::unique_ptr<TAcmStream> closing(has);
  return MMSYSERR_NOERROR;
}

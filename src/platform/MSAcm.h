#pragma once

// The audio compression service the WAV converter calls: the calls, records, flags and result
// codes of the platform's audio compression manager, for the one conversion this system needs:
// MPEG Layer-3 data (format tag 0x0055) to 16-bit PCM. Decoding is done by FFmpeg.
//
// Format records are passed as pointers into caller memory and only copied, never dereferenced
// in place, so a record may live in a plain byte array.

#include <cstdint>

using MMRESULT = uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
constexpr MMRESULT ACMERR_UNPREPARED = 514;

constexpr uint16_t WAVE_FORMAT_PCM = 0x0001;
constexpr uint16_t WAVE_FORMAT_MPEGLAYER3 = 0x0055;

#pragma pack(push, 1)
struct WAVEFORMATEX {
  uint16_t wFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;
  uint16_t wBitsPerSample;
  uint16_t cbSize;  // bytes of format-specific data that follow
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct ACMSTREAMHEADER {
  uint32_t cbStruct;
  uint32_t fdwStatus;
  uintptr_t dwUser;
  uint8_t* pbSrc;
  uint32_t cbSrcLength;
  uint32_t cbSrcLengthUsed;
  uintptr_t dwSrcUser;
  uint8_t* pbDst;
  uint32_t cbDstLength;
  uint32_t cbDstLengthUsed;
  uintptr_t dwDstUser;
  uint32_t dwReservedDriver[10];
};

struct TAcmStream;
using HACMSTREAM = TAcmStream*;
using HACMDRIVER = void*;
using HACMOBJ = void*;

// acmMetrics
constexpr uint32_t ACM_METRIC_MAX_SIZE_FORMAT = 50;
// acmFormatSuggest: which fields of the destination record the caller fixed
constexpr uint32_t ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
// acmStreamOpen
constexpr uint32_t ACM_STREAMOPENF_NONREALTIME = 0x00000004;
// acmStreamSize
constexpr uint32_t ACM_STREAMSIZEF_SOURCE = 0x00000000;
// acmStreamConvert
constexpr uint32_t ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
constexpr uint32_t ACM_STREAMCONVERTF_START = 0x00000010;
constexpr uint32_t ACM_STREAMCONVERTF_END = 0x00000020;
// ACMSTREAMHEADER.fdwStatus
constexpr uint32_t ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
constexpr uint32_t ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;

// The largest format record the service understands (ACM_METRIC_MAX_SIZE_FORMAT), in bytes.
MMRESULT acmMetrics(HACMOBJ hao, uint32_t uMetric, void* pMetric);

// Completes the destination record for a conversion from the source record; with
// ACM_FORMATSUGGESTF_WFORMATTAG the destination's format tag is fixed by the caller.
MMRESULT acmFormatSuggest(HACMDRIVER had, const WAVEFORMATEX* pwfxSrc, WAVEFORMATEX* pwfxDst, uint32_t cbwfxDst,
                          uint32_t fdwSuggest);

MMRESULT acmStreamOpen(HACMSTREAM* phas, HACMDRIVER had, const WAVEFORMATEX* pwfxSrc, const WAVEFORMATEX* pwfxDst,
                       void* pwfltr, uintptr_t dwCallback, uintptr_t dwInstance, uint32_t fdwOpen);

// With ACM_STREAMSIZEF_SOURCE: the destination bytes for cbInput source bytes. An estimate from
// the stated bit rate: a conversion may produce more, and then delivers the rest through further
// acmStreamConvert calls.
MMRESULT acmStreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t* pdwOutputBytes, uint32_t fdwSize);

MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwPrepare);

// Converts from pbSrc into pbDst and tells how much of each was used. Decoded audio that does not
// fit the destination stays with the stream and comes first in the next call. With
// ACM_STREAMCONVERTF_END the source given is the last, so once all of it is used the decoder is
// emptied; a call with END that finds the whole stream held no decodable audio fails with
// MMSYSERR_ERROR.
MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwConvert);

MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwUnprepare);

MMRESULT acmStreamClose(HACMSTREAM has, uint32_t fdwClose);

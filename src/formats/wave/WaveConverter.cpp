#include "formats/wave/WaveConverter.h"

#include <algorithm>
#include <cstring>

#include "formats/wave/WaveWriter.h"

namespace {

constexpr int64_t CandidateSize = 8;  // identifier and body size
constexpr int64_t SearchStepBack = 7;
constexpr size_t PcmFormatFieldBytes = 16;

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// Reads up to `size` bytes of a body, as many as the stream still holds.
std::vector<uint8_t> ReadBody(TStream& stream, uint32_t size) {
  const int64_t available = std::max<int64_t>(stream.Size() - stream.Position(), 0);
  std::vector<uint8_t> body(static_cast<size_t>(std::min<int64_t>(size, available)));
  body.resize(static_cast<size_t>(stream.Read(body)));
  return body;
}

}  // namespace

TWaveConverter::TWaveConverter() {
  if (acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &FFormatBufferSize) != MMSYSERR_NOERROR) {
    FFormatBufferSize = 0;
  }
  FFormatBufferSize = std::min(FFormatBufferSize, FormatRecordSize);
}

void TWaveConverter::SetTargetFormatTag(uint16_t tag) { PutLe16(FTargetFormat.data(), tag); }

void TWaveConverter::Clear() {
  Bytes().clear();
  FSourceFormat.fill(0);
  Seek(0);
}

// One pass of the search: true while the load may go on.
bool TWaveConverter::ReadCandidate(TStream& stream, const uint8_t* candidate, int64_t& count) {
  const uint32_t size = Le32(candidate + 4);
  if (std::memcmp(candidate, "fmt ", 4) == 0) {
    if (size > FormatRecordSize) {
      Clear();
      return false;
    }
    const std::vector<uint8_t> body = ReadBody(stream, size);
    count += static_cast<int64_t>(body.size());
    FSourceFormat.fill(0);
    std::copy(body.begin(), body.end(), FSourceFormat.begin());
  } else if (std::memcmp(candidate, "fact", 4) == 0) {
    count += static_cast<int64_t>(ReadBody(stream, size).size());
  } else if (std::memcmp(candidate, "data", 4) == 0 && size > 0) {
    Bytes() = ReadBody(stream, size);
    count += static_cast<int64_t>(Bytes().size());
  }
  return true;
}

void TWaveConverter::ReadCompressedWave(TStream& stream) {
  std::array<uint8_t, 12> head{};
  if (!stream.ReadExact(head) || std::memcmp(head.data(), "RIFF", 4) != 0 ||
      std::memcmp(head.data() + 8, "WAVE", 4) != 0) {
    return;
  }
  // A byte-by-byte search from 7 bytes before the end of the last chunk read: chunks of odd size
  // and chunks of other kinds are passed over without trusting their sizes.
  int64_t count = static_cast<int64_t>(head.size());
  const int64_t size = stream.Size();
  while (count < size - 1) {
    count -= SearchStepBack;
    stream.Seek(count);
    std::array<uint8_t, CandidateSize> candidate{};
    const int64_t got = stream.Read(candidate);
    count += got;
    if (got < CandidateSize || !ReadCandidate(stream, candidate.data(), count)) {
      break;
    }
  }
  Seek(0);
}

MMRESULT TWaveConverter::ConvertToPcm() {
  HACMSTREAM stream = nullptr;
  MMRESULT result =
      acmStreamOpen(&stream, nullptr, SourceFormat(), TargetFormat(), nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
  if (result != MMSYSERR_NOERROR) {
    return result;
  }
  std::vector<uint8_t> pcm;
  result = ConvertContent(stream, pcm);
  const MMRESULT closed = acmStreamClose(stream, 0);
  if (result == MMSYSERR_NOERROR) {
    result = closed;
  }
  if (result != MMSYSERR_NOERROR) {
    return result;
  }
  std::copy_n(FTargetFormat.begin(), FFormatBufferSize, FSourceFormat.begin());
  // The content is as long as the audio decoded, not as the size estimate: no silence is added.
  Bytes() = std::move(pcm);
  Seek(0);
  return MMSYSERR_NOERROR;
}

MMRESULT TWaveConverter::ConvertContent(HACMSTREAM stream, std::vector<uint8_t>& pcm) {
  const size_t total = std::min<size_t>(Bytes().size(), UINT32_MAX);
  uint32_t estimate = 0;
  MMRESULT result = acmStreamSize(stream, static_cast<uint32_t>(total), &estimate, ACM_STREAMSIZEF_SOURCE);
  if (result != MMSYSERR_NOERROR) {
    return result;
  }
  std::vector<uint8_t> buffer(std::clamp<uint32_t>(estimate, 1, MaxConvertBuffer));
  Seek(0);
  size_t offset = 0;
  uint32_t flags = ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END;
  for (;;) {
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = Bytes().data() + offset;
    header.cbSrcLength = static_cast<uint32_t>(total - offset);
    header.pbDst = buffer.data();
    header.cbDstLength = static_cast<uint32_t>(buffer.size());
    result = acmStreamPrepareHeader(stream, &header, 0);
    if (result != MMSYSERR_NOERROR) {
      return result;
    }
    result = acmStreamConvert(stream, &header, flags);
    const MMRESULT unprepared = acmStreamUnprepareHeader(stream, &header, 0);
    if (result == MMSYSERR_NOERROR) {
      result = unprepared;
    }
    if (result != MMSYSERR_NOERROR) {
      return result;
    }
    pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + header.cbDstLengthUsed);
    offset += header.cbSrcLengthUsed;
    const bool moved = header.cbSrcLengthUsed > 0 || header.cbDstLengthUsed > 0;
    if (!moved || (offset >= total && header.cbDstLengthUsed < header.cbDstLength)) {
      return MMSYSERR_NOERROR;
    }
    flags &= ~ACM_STREAMCONVERTF_START;
  }
}

void TWaveConverter::WritePcmImage(TStream& target) {
  try {
    const auto dataSize = ClampToUint32(static_cast<int64_t>(Bytes().size()));
    std::array<uint8_t, CanonicalPcmHeaderSize> header{};
    std::memcpy(header.data(), "RIFF", 4);
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    PutLe32(header.data() + 16, PcmFormatFieldBytes);
    std::memcpy(header.data() + 20, FSourceFormat.data(), PcmFormatFieldBytes);
    std::memcpy(header.data() + 36, "data", 4);
    PutLe32(header.data() + 40, dataSize);
    target.Write(header);
    target.Write(std::span<const uint8_t>(Bytes().data(), dataSize));
    WriteLe32At(target, RiffSizeOffset, ClampToUint32(target.Size() - 8));
  } catch (const std::exception&) {
  }
}

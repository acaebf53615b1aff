#pragma once

// Turns the compressed audio of a WAV file (MPEG data, format tag 0x0055) into a PCM WAV image in
// memory through the audio compression service. The converter is itself a memory stream: its
// content is first the compressed data and, after ConvertToPcm, the PCM.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/MSAcm.h"
#include "platform/Streams.h"

class TWaveConverter : public TMemoryStream {
public:
  static constexpr uint32_t FormatRecordSize = 129;
  // The destination buffer of one conversion call is at most this large; longer audio takes
  // several calls.
  static constexpr uint32_t MaxConvertBuffer = 16u << 20;

  TWaveConverter();

  // Loads the "fmt " body into SourceFormat and the "data" body as the content. A stream that
  // does not begin with "RIFF" and "WAVE", or a "fmt " body that does not fit a format record,
  // leaves the converter empty.
  void ReadCompressedWave(TStream& stream);
  // Converts the content from SourceFormat to TargetFormat; 0 or the first failing result code.
  MMRESULT ConvertToPcm();
  // The 44-byte PCM header and the content; a failure while writing leaves what was written.
  void WritePcmImage(TStream& target);

  uint32_t FormatBufferSize() const { return FFormatBufferSize; }
  WAVEFORMATEX* SourceFormat() { return reinterpret_cast<WAVEFORMATEX*>(FSourceFormat.data()); }
  WAVEFORMATEX* TargetFormat() { return reinterpret_cast<WAVEFORMATEX*>(FTargetFormat.data()); }
  void SetTargetFormatTag(uint16_t tag);

protected:
  uint32_t FFormatBufferSize = 0;
  std::array<uint8_t, FormatRecordSize> FSourceFormat{};
  std::array<uint8_t, FormatRecordSize> FTargetFormat{};

private:
  void Clear();
  bool ReadCandidate(TStream& stream, const uint8_t* candidate, int64_t& count);
  MMRESULT ConvertContent(HACMSTREAM stream, std::vector<uint8_t>& pcm);
};

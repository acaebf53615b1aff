#pragma once

// WAV files: the source reads PCM (8- to 32-bit integer and 32-bit float, 1 to 8 channels, in
// the plain, the extensible and the RF64 layout), IMA ADPCM and MS ADPCM, and MPEG data decoded
// to PCM while it is read; the sink writes PCM in the input's format or IMA ADPCM and can append
// to an existing file of the same format.

#include <array>
#include <memory>
#include <vector>

#include "formats/wave/AdpcmCodec.h"
#include "formats/wave/WaveTagChunks.h"
#include "formats/wave/WaveHeader.h"
#include "formats/wave/WaveWriter.h"
#include "pipeline/ACS_Classes.h"
#include "pipeline/OutputSampleFormat.h"

class TWaveIn : public TACSFileIn {
public:
  static constexpr int32_t DecodeBufferSize = 16384;
  // The largest ADPCM block read; its decoded output fits the decode buffer for both kinds.
  static constexpr int32_t MaxBlockAlign = 4096;

  TWaveIn();
  ~TWaveIn() override;

  int32_t GetData(std::span<uint8_t> buffer) override;
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int64_t sampleNumber) override;
  int64_t AnnouncedSize() override;
  TPcmFormat GetFormat() override;

  TWavType WavType() const { return FWavType; }
  uint16_t DataOffset() const { return FDataOffset; }
  // Why the last OpenFile found the file not Valid ("" when it gave no reason).
  std::string InvalidReason() const override { return FInvalidReason; }

protected:
  std::array<uint8_t, DecodeBufferSize> FDecodeBuffer{};
  TWavType FWavType = wtUnsupported;
  uint16_t FDviBlockAlign = 0;
  uint16_t FDviSamplesPerBlock = 0;
  int32_t FDviFactSamples = 0;
  std::array<TDviChannelState, 2> FDviState{};
  uint16_t FMsBlockAlign = 0;
  uint16_t FMsSamplesPerBlock = 0;
  int32_t FMsFactSamples = 0;
  uint16_t FMsCoefCount = 0;
  std::array<TMsCoefPair, 32> FMsCoefs{};
  std::array<TMsChannelState, 2> FMsState{};
  uint16_t FDataOffset = 0;
  TSampleKind FKind = TSampleKind::skInteger;
  uint32_t FChannelMask = 0;
  std::string FInvalidReason;

private:
  void ReadWaveHeader();
  void Refuse(std::string reason);
  int32_t RefillPcm();

  // ADPCM (ACS_Wave_InAdpcm.cpp)
  bool AdpcmLayoutIsSound(const TWaveHeaderInfo& info) const;
  void OpenAdpcm();
  int32_t Refill();
  int32_t ReadDviBlock();
  int32_t ReadMsBlock();
  int32_t ReadBlock(uint16_t blockAlign);
  int32_t DeliverDecoded(int32_t samples);

  // MPEG data (ACS_Wave_InAcm.cpp)
  struct TAcmDecode;
  void OpenAcm(uint32_t sourceBytesPerSecond);
  void StartAcm(int64_t skipFrames);
  int32_t RefillAcm();
  int32_t DecodeAcm();
  void CloseAcm();
  std::unique_ptr<TAcmDecode> FAcm;

  std::array<uint8_t, MaxBlockAlign> FBlockArea{};
  std::array<int16_t, DecodeBufferSize / 2> FDecodedSamples{};
  int64_t FAnnouncedBytes = 0;  // the PCM the data chunk states, which the file may not hold
  int64_t FDataEnd = 0;  // the end of the ADPCM data chunk, or of the stream when its size is not told
};

class TWaveOut : public TACSFileOut {
public:
  static constexpr int32_t ChunkSize = 16384;

  TWaveOut();
  ~TWaveOut() override;

  TWavType WavType() const { return FWavType; }
  void SetWavType(TWavType value);
  uint16_t BlockSize() const { return FBlockSize; }
  void SetBlockSize(uint16_t value);
  void SetFileMode(TFileOutputMode mode) override;
  // Any PCM a WAV file holds is written as it comes; the 8- and 16-bit mono or stereo PCM that
  // sinks have always been given still comes as 16-bit stereo.
  TPcmFormat AcceptedFormat(const TPcmFormat& offered) const override;
  TOutputSampleFormat SampleFormat() const { return FSampleFormat; }
  void SetSampleFormat(TOutputSampleFormat value) { FSampleFormat = value; }
  // Texts written as tag chunks after the audio of a new file; a run that appends leaves the
  // file's chunks as they are.
  const TWaveTags& Tags() const { return FTags; }
  void SetTags(const TWaveTags& value) { FTags = value; }

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;

private:
  // What ReadAppendHeader found in the file being extended.
  struct TAppendFormat {
    TWavType WavType = wtUnsupported;
    uint16_t Channels = 0;
    uint32_t SampleRate = 0;
    uint16_t BitsPerSample = 0;
    TSampleKind Kind = TSampleKind::skInteger;
    int64_t DataSizePosition = 0;
    int64_t DataStart = 0;
    int64_t FactValuePosition = 0;
  };

  bool ReadAppendHeader();
  void CompleteHeader();
  void AppendTagChunks();

  // IMA ADPCM output (ACS_Wave_OutDvi.cpp)
  void PrepareDvi(const TWaveFormat& format, int64_t inputSize);
  bool OutputDviBlock();
  void CompleteDviFact();

  bool FEndOfInput = false;
  std::array<uint8_t, ChunkSize> FChunk{};
  TWavType FWavType = wtPCM;
  std::array<TDviChannelState, 2> FDviState{};
  TAppendFormat FAppendFormat;
  uint16_t FBlockSize = 512;
  bool FAppending = false;  // this run extends an existing, non-empty file
  TWaveTags FTags;
  int64_t FDataStart = 44;  // where the sample data of the file being written begins
  TWaveHeaderImage FHeader;  // the header this run wrote (none when it appends)
  int32_t FBlockAlign = 4;
  TOutputSampleFormat FSampleFormat = TOutputSampleFormat::osfAsInput;
  std::vector<int16_t> FDviPcm;    // the PCM of one IMA block
  std::vector<uint8_t> FDviBlock;  // one encoded IMA block
  int32_t FDviChannels = 1;
  int64_t FDviFrames = 0;          // input frames encoded by this run
  int64_t FDviBlocksBefore = 0;    // blocks the file held before this run
};

#pragma once

// WAV files: the source reads PCM (and recognises IMA ADPCM, MS ADPCM and MPEG data), the sink
// writes PCM and can append to an existing file of the same format.

#include <array>
#include <memory>

#include "formats/wave/WaveHeader.h"
#include "pipeline/ACS_Classes.h"

struct TDviChannelState {
  int16_t Predictor = 0;
  uint8_t StepIndex = 0;
};

struct TMsChannelState {
  uint8_t PredictorIndex = 0;
  int16_t Delta = 0;
  int16_t Sample1 = 0;
  int16_t Sample2 = 0;
};

class TWaveIn : public TACSFileIn {
public:
  static constexpr int32_t DecodeBufferSize = 16384;

  TWaveIn() = default;
  ~TWaveIn() override;

  int32_t GetData(std::span<uint8_t> buffer) override;
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int32_t sampleNumber) override;

  TWavType WavType() const { return FWavType; }
  uint16_t DataOffset() const { return FDataOffset; }

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

private:
  void ReadWaveHeader();
  bool FormatIsSound(const TWaveHeaderInfo& info) const;
  int32_t RefillPcm();
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
    int64_t DataSizePosition = 0;
    int64_t DataStart = 0;
    int64_t FactValuePosition = 0;
  };

  bool ReadAppendHeader();
  void OpenTarget(bool& appending);
  void WritePcmHeader();
  void FailPrepare(const char* message);
  void CompleteHeader();

  bool FEndOfInput = false;
  std::array<uint8_t, ChunkSize> FChunk{};
  TWavType FWavType = wtPCM;
  std::array<TDviChannelState, 2> FDviState{};
  TAppendFormat FAppendFormat;
  uint16_t FBlockSize = 512;
  bool FAppending = false;  // this run extends an existing, non-empty file
  int64_t FDataStart = 44;  // where the sample data of the file being written begins
};

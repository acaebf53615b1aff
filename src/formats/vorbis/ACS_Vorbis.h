#pragma once

// Ogg Vorbis files: the sink encodes 16-bit PCM (quality-driven or bit-rate-managed) with Vorbis
// comments, the source decodes to 16-bit PCM. Both drive libogg and libvorbis loaded at run time.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"
#include "platform/DynamicLibrary.h"

// The bit-rate names clash with those of the MP3 sink, so they are named through their type:
// TVorbisBitRate::br128.
namespace acs_vorbis {
enum TVorbisBitRate : int32_t {
  brAutoSelect,
  br45,
  br48,
  br56,
  br64,
  br80,
  br96,
  br112,
  br128,
  br144,
  br160,
  br192,
  br224,
  br256,
  br320,
  br499
};
}  // namespace acs_vorbis
using acs_vorbis::TVorbisBitRate;

// Bits per second of a member; -1 for brAutoSelect.
int32_t VorbisBitsPerSecond(TVorbisBitRate rate);

struct TVorbisEncoderState;
struct TVorbisDecoderState;

class TVorbisOut : public TACSFileOut {
public:
  static constexpr int32_t BlockBufferSize = 65536;
  static constexpr int32_t AnalysisSlice = 1024;  // sample frames handed to the library at a time

  TVorbisOut();
  ~TVorbisOut() override;

  // 16-bit at the offered rate; 3 to 8 channels stay as they are when their speakers make a
  // layout Vorbis defines, anything else is taken as stereo.
  TPcmFormat AcceptedFormat(const TPcmFormat& offered) const override;

  float Compression() const { return FCompression; }
  void SetCompression(float value) { FCompression = value; }
  const std::vector<std::string>& Comments() const { return FComments; }
  void SetComments(const std::vector<std::string>& lines) { FComments = lines; }
  TVorbisBitRate DesiredNominalBitrate() const { return FDesiredNominalBitrate; }
  void SetDesiredNominalBitrate(TVorbisBitRate value);
  TVorbisBitRate DesiredMaximumBitrate() const { return FDesiredMaximumBitrate; }
  void SetDesiredMaximumBitrate(TVorbisBitRate value);
  TVorbisBitRate MinimumBitrate() const { return FMinimumBitrate; }
  void SetMinimumBitrate(TVorbisBitRate value);
  int32_t Serial() const { return FSerial; }
  void SetSerial(int32_t value) { FSerial = value; }
  void SetFileMode(TFileOutputMode mode) override;

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;

private:
  void SetUpEncoder(int32_t channels, int32_t sampleRate);
  void WriteHeaders();
  void Drain();
  void Analyse(const int16_t* samples, int32_t frames);
  void WritePage(const void* page);
  void ReleaseEncoder();

  TBindingRef FOgg;
  TBindingRef FVorbis;
  TBindingRef FVorbisFile;
  TBindingRef FVorbisEnc;
  float FCompression = 0.2f;
  std::vector<std::string> FComments;
  TVorbisBitRate FDesiredNominalBitrate = TVorbisBitRate::brAutoSelect;
  TVorbisBitRate FDesiredMaximumBitrate = TVorbisBitRate::brAutoSelect;
  TVorbisBitRate FMinimumBitrate = TVorbisBitRate::brAutoSelect;
  int32_t FSerial = 0;

  std::array<int16_t, BlockBufferSize / 2> FBlockBuffer{};
  std::unique_ptr<TVorbisEncoderState> FState;
  bool FEndOfStream = false;
  int32_t FChannels = 0;
  std::vector<int32_t> FOrder;  // the input channel of each Vorbis channel
};

class TVorbisIn : public TACSFileIn {
public:
  static constexpr int32_t DecodeBufferSize = 8192;

  TVorbisIn();
  ~TVorbisIn() override;

  int32_t GetData(std::span<uint8_t> buffer) override;
  // Unlike the base, refuses a file the library did not accept instead of delivering from it.
  void Init() override;
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int64_t sampleNumber) override;

private:
  friend struct TVorbisInCallbacks;

  void FillBuffer();
  // At the end of the data: a read error, or a stream whose last page is missing, is the run's fault.
  void NoteStreamEnd(long lastRead);
  void ForgetFormat();

  TBindingRef FOgg;
  TBindingRef FVorbis;
  TBindingRef FVorbisFile;
  TBindingRef FVorbisEnc;
  std::array<uint8_t, DecodeBufferSize> FDecodeBuffer{};
  std::unique_ptr<TVorbisDecoderState> FState;
  bool FFileOpen = false;  // the library accepted the stream and holds its file state
  int FCurrentSection = -1;
  bool FEndOfStream = false;
  std::string FInvalidReason;
};

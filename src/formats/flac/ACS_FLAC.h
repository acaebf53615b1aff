#pragma once

// FLAC files: the sink encodes the pipeline's PCM, the source decodes streams of 4 to 32 bits in 1
// to 8 channels; a speaker layout other than the usual one is kept in a channel-mask comment. Both
// drive libFLAC's stream encoder and decoder, handing it every byte through callbacks.

#include <FLAC/format.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"
#include "pipeline/OutputSampleFormat.h"
#include "platform/DynamicLibrary.h"
#include "tags/Picture.h"

class TFLACMetadata;

class TFLACOut : public TACSFileOut {
public:
  TFLACOut();
  ~TFLACOut() override;

  uint16_t BlockSize() const { return FBlockSize; }
  void SetBlockSize(uint16_t value) { FBlockSize = value; }
  int32_t CompressionLevel() const { return FCompressionLevel; }
  void SetCompressionLevel(int32_t value);  // above 8 stored as 8; negative: the detail settings
  bool EnableMidSideStereo() const { return FEnableMidSideStereo; }
  void SetEnableMidSideStereo(bool value) { FEnableMidSideStereo = value; }
  bool EnableLooseMidSideStereo() const { return FEnableLooseMidSideStereo; }
  void SetEnableLooseMidSideStereo(bool value);
  bool BestModelSearch() const { return FBestModelSearch; }
  void SetBestModelSearch(bool value);
  uint16_t MaxLPCOrder() const { return FMaxLPCOrder; }
  void SetMaxLPCOrder(uint16_t value) { FMaxLPCOrder = value; }
  uint16_t QLPCoeffPrecision() const { return FQLPCoeffPrecision; }
  void SetQLPCoeffPrecision(uint16_t value) { FQLPCoeffPrecision = value; }
  bool QLPCoeffPrecisionSearch() const { return FQLPCoeffPrecisionSearch; }
  void SetQLPCoeffPrecisionSearch(bool value) { FQLPCoeffPrecisionSearch = value; }
  uint16_t MinResidualPartitionOrder() const { return FMinResidualPartitionOrder; }
  void SetMinResidualPartitionOrder(uint16_t value) { FMinResidualPartitionOrder = value; }
  uint16_t MaxResidualPartitionOrder() const { return FMaxResidualPartitionOrder; }
  void SetMaxResidualPartitionOrder(uint16_t value) { FMaxResidualPartitionOrder = value; }
  bool Verify() const { return FVerify; }
  void SetVerify(bool value) { FVerify = value; }
  // "KEY=value" texts written as the file's Vorbis comments; a key may repeat.
  const std::vector<std::string>& Comments() const { return FComments; }
  void SetComments(const std::vector<std::string>& lines) { FComments = lines; }
  // The picture a PICTURE block carries; none without one.
  void SetCover(std::optional<TPicture> value) { FCover = std::move(value); }
  // Integer PCM up to 32 bits in up to 8 channels is encoded as it comes (floats as 24-bit); the
  // 8- and 16-bit mono or stereo PCM that sinks have always been given still comes as 16-bit stereo.
  TPcmFormat AcceptedFormat(const TPcmFormat& offered) const override;
  TOutputSampleFormat SampleFormat() const { return FSampleFormat; }
  void SetSampleFormat(TOutputSampleFormat value) { FSampleFormat = value; }

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;

private:
  struct TEncoderDeleter {
    void operator()(void* encoder) const;
  };
  friend struct TFLACOutCallbacks;

  void ConfigureEncoder(TACSInput& input);
  void SetMetadata();
  // Fills FCoverBlock from the cover; false when there is none or a PICTURE block cannot hold it.
  bool FillCoverBlock();
  // Keeps the channel-mask comment of a layout other than the usual one for the file's comments.
  void DescribeChannelLayout(uint32_t mask);
  void StartEncoder();
  void FinishEncoder();
  int32_t FillReadBlock();

  TBindingRef FLibrary;
  uint16_t FBlockSize = 4608;
  int32_t FCompressionLevel = -1;
  bool FEnableMidSideStereo = true;
  bool FEnableLooseMidSideStereo = false;
  bool FBestModelSearch = false;
  uint16_t FMaxLPCOrder = 0;
  uint16_t FQLPCoeffPrecision = 0;
  bool FQLPCoeffPrecisionSearch = false;
  uint16_t FMinResidualPartitionOrder = 0;
  uint16_t FMaxResidualPartitionOrder = 0;
  bool FVerify = false;
  std::vector<std::string> FComments;
  std::optional<TPicture> FCover;
  // The PICTURE block handed to the encoder with the others; it points into FCover and lives as
  // long.
  FLAC__StreamMetadata FCoverBlock{};
  TOutputSampleFormat FSampleFormat = TOutputSampleFormat::osfAsInput;

  // Read by the encoder until it finishes, so it is declared first and outlives it.
  std::unique_ptr<TFLACMetadata> FMetadata;
  std::unique_ptr<void, TEncoderDeleter> FEncoder;
  // "WAVEFORMATEXTENSIBLE_CHANNEL_MASK=0x..." for a layout other than the usual one, else empty.
  std::string FLayoutComment;
  std::vector<uint8_t> FReadBlock;
  std::vector<int32_t> FSamples;
  bool FEndOfInput = false;
  int32_t FBitsPerSample = 16;
  int32_t FChannels = 2;
  // Why the write callback last failed (the file and the system's reason); the library itself
  // only learns that it did.
  std::string FWriteFailure;
};

class TFLACIn : public TACSFileIn {
public:
  TFLACIn();
  ~TFLACIn() override;

  int32_t GetData(std::span<uint8_t> buffer) override;
  // Unlike the base, refuses a file it cannot decode instead of delivering from it.
  void Init() override;
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int64_t sampleNumber) override;
  TPcmFormat GetFormat() override;
  std::string InvalidReason() const override { return FInvalidReason; }

private:
  struct TDecoderDeleter {
    void operator()(void* decoder) const;
  };
  friend struct TFLACInCallbacks;

  bool DecodeNextFrame();
  [[noreturn]] void Refuse(const std::string& reason);

  TBindingRef FLibrary;
  std::unique_ptr<void, TDecoderDeleter> FDecoder;
  std::vector<uint8_t> FFrameBuffer;  // the PCM of the last decoded frame
  int32_t FFrameBytes = 0;
  uint32_t FBlockSizeOfFrame = 0;
  int32_t FBytesPerSampleFrame = 0;
  uint32_t FMinFrameSize = 0;
  bool FEndOfStream = false;
  bool FFrameWritten = false;
  // A seek leaves the frame holding the target in the frame buffer; it is delivered first.
  bool FSeekFramePending = false;
  std::string FInvalidReason;
  int32_t FStreamBits = 0;     // the stream's own width; FBPS is it rounded up to whole bytes
  uint32_t FChannelMask = 0;  // from the stream's channel-mask comment, 0 for the usual order
};

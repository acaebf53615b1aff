#pragma once

// Monkey's Audio files through our codec library: TMACOut compresses the pipeline's PCM into an
// APE file and tags it, TMACIn decompresses one. The library opens and writes the files itself.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "formats/ape/MACDll.h"
#include "pipeline/ACS_Classes.h"
#include "tags/Picture.h"
#include "pipeline/OutputSampleFormat.h"

class TMACOut : public TACSFileOut {
public:
  static constexpr int32_t BlockBufferSize = 65536;

  TMACOut();  // EACSException when the library is not loaded
  ~TMACOut() override;

  int32_t CompressionLevel() const { return FCompressionLevel; }
  // 1000, 2000, 3000 or 4000; anything else stores 2000.
  void SetCompressionLevel(int32_t value);
  // 16-bit stereo, the only shape whose files every decoder reads back the same; wider samples and
  // more channels are brought to it by the stages.
  TPcmFormat AcceptedFormat(const TPcmFormat& offered) const override;
  TOutputSampleFormat SampleFormat() const { return FSampleFormat; }
  void SetSampleFormat(TOutputSampleFormat value) { FSampleFormat = value; }
  int32_t MaxAudioBytes() const { return FMaxAudioBytes; }
  void SetMaxAudioBytes(int32_t value) { FMaxAudioBytes = value; }

  const std::string& Id3TagTitle() const { return FId3TagTitle; }
  void SetId3TagTitle(const std::string& value) { FId3TagTitle = value; }
  const std::string& Id3TagArtist() const { return FId3TagArtist; }
  void SetId3TagArtist(const std::string& value) { FId3TagArtist = value; }
  const std::string& Id3TagAlbum() const { return FId3TagAlbum; }
  void SetId3TagAlbum(const std::string& value) { FId3TagAlbum = value; }
  const std::string& Id3TagYear() const { return FId3TagYear; }
  void SetId3TagYear(const std::string& value) { FId3TagYear = value; }
  const std::string& Id3TagTrack() const { return FId3TagTrack; }
  void SetId3TagTrack(const std::string& value) { FId3TagTrack = value; }
  const std::string& Id3TagComment() const { return FId3TagComment; }
  void SetId3TagComment(const std::string& value) { FId3TagComment = value; }
  const std::string& Id3TagGenre() const { return FId3TagGenre; }
  void SetId3TagGenre(const std::string& value) { FId3TagGenre = value; }
  // The picture the tag's "Cover Art (Front)" item carries; none without one.
  void SetCover(std::optional<TPicture> value) { FCover = std::move(value); }

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;

private:
  void StartCompressor();
  void TagCover();
  void PlaceChunk(int32_t count);
  [[noreturn]] void FailCall(const std::string& call, int code, int systemError) const;

  int32_t FCompressionLevel = 2000;
  int32_t FMaxAudioBytes = -1;
  TOutputSampleFormat FSampleFormat = TOutputSampleFormat::osfAsInput;
  std::string FId3TagTitle;
  std::string FId3TagArtist;
  std::string FId3TagAlbum;
  std::string FId3TagYear;
  std::string FId3TagTrack;
  std::string FId3TagComment;
  std::string FId3TagGenre;
  std::optional<TPicture> FCover;
  std::array<uint8_t, BlockBufferSize> FBlockBuffer{};
  std::unique_ptr<TAPECompress> FAPECompress;
  TMACWaveFormatEx FWaveFormat{};
  bool FEndOfInput = false;
};

class TMACIn : public TACSFileIn {
public:
  static constexpr int32_t DecodeBufferSize = 8192;

  TMACIn();  // EACSException when the library is not loaded
  ~TMACIn() override;

  int32_t GetBitsPerSample() override;
  int32_t GetChannels() override;
  int32_t GetSampleRate() override;
  int32_t GetTotalTime() override;
  int32_t GetData(std::span<uint8_t> buffer) override;
  void OpenFile() override;
  void CloseFile() override;
  bool Seek(int64_t sampleNumber) override;

private:
  int32_t CachedFormat(const int32_t& value);
  void Refill();

  std::unique_ptr<TAPEDecompress> FAPEDecompress;
  std::array<uint8_t, DecodeBufferSize> FBuffer{};
  bool FEndOfStream = false;
};

#pragma once

// MP3 files: the sink encodes 16-bit PCM with the LAME library (constant or variable bit rate)
// and tags the file with seven text fields.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"
#include "platform/DynamicLibrary.h"
#include "tags/Picture.h"

// Some member names clash with the Vorbis sink's and with LAME's own header, so they are named
// through their type: TMP3BitRate::br128, TMP3Mode::STEREO.
namespace acs_lame {
enum TMP3BitRate : int32_t {
  br8,
  br16,
  br24,
  br32,
  br40,
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
  br320
};
enum TMP3Quality : int32_t { ql0, ql1, ql2, ql3, ql4, ql5, ql6, ql7, ql8, ql9 };
enum TMP3SampleRate : int32_t { srDefault, sr32kHz, sr41kHz, sr48kHz };
enum TMP3Mode : int32_t { STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO };
}  // namespace acs_lame
using acs_lame::TMP3BitRate;
using acs_lame::TMP3Mode;
using acs_lame::TMP3Quality;
using acs_lame::TMP3SampleRate;

int32_t MP3KbitPerSecond(TMP3BitRate rate);
int32_t MP3SampleRateHz(TMP3SampleRate rate);

class TMP3Out : public TACSFileOut {
public:
  static constexpr int32_t BlockBufferSize = 16384;
  static constexpr int32_t OutputBufferSize = 17440;  // 1.25 x 8192 + 7200: the largest block's worst case

  // The lowest and highest input rates the encoder takes.
  static constexpr int32_t MinInputRate = 8000;
  static constexpr int32_t MaxInputRate = 48000;

  TMP3Out();
  ~TMP3Out() override;

  // 16-bit stereo at the offered rate when the encoder takes it; otherwise at the output rate
  // chosen in SampleRate, or without one at the nearest rate it takes.
  TPcmFormat AcceptedFormat(const TPcmFormat& offered) const override;

  TMP3BitRate BitRate() const { return FBitRate; }
  void SetBitRate(TMP3BitRate value) { FBitRate = value; }
  TMP3Quality Quality() const { return FQuality; }
  void SetQuality(TMP3Quality value) { FQuality = value; }
  TMP3SampleRate SampleRate() const { return FSampleRate; }
  void SetSampleRate(TMP3SampleRate value) { FSampleRate = value; }
  TMP3Mode Mode() const { return FMode; }
  void SetMode(TMP3Mode value) { FMode = value; }
  bool CRC() const { return FCRC; }
  void SetCRC(bool value) { FCRC = value; }
  bool Copyright() const { return FCopyright; }
  void SetCopyright(bool value) { FCopyright = value; }
  bool Original() const { return FOriginal; }
  void SetOriginal(bool value) { FOriginal = value; }
  bool EnableVBR() const { return FEnableVBR; }
  void SetEnableVBR(bool value) { FEnableVBR = value; }
  bool WriteVBRHeader() const { return FWriteVBRHeader; }
  void SetWriteVBRHeader(bool value) { FWriteVBRHeader = value; }
  TMP3Quality VBRQuality() const { return FVBRQuality; }
  void SetVBRQuality(TMP3Quality value) { FVBRQuality = value; }
  int32_t VBRMinBitrate() const { return FVBRMinBitrate; }
  void SetVBRMinBitrate(int32_t value) { FVBRMinBitrate = value; }
  int32_t VBRMaxBitrate() const { return FVBRMaxBitrate; }
  void SetVBRMaxBitrate(int32_t value) { FVBRMaxBitrate = value; }

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
  // Fields only the ID3v2 tag holds.
  const std::string& Id3TagAlbumArtist() const { return FId3TagAlbumArtist; }
  void SetId3TagAlbumArtist(const std::string& value) { FId3TagAlbumArtist = value; }
  const std::string& Id3TagDisc() const { return FId3TagDisc; }
  void SetId3TagDisc(const std::string& value) { FId3TagDisc = value; }
  const std::string& Id3TagComposer() const { return FId3TagComposer; }
  void SetId3TagComposer(const std::string& value) { FId3TagComposer = value; }
  // The picture the tag before the audio carries; none without one.
  void SetCover(std::optional<TPicture> value) { FCover = std::move(value); }

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;

private:
  struct TEncoderCloser {
    void operator()(void* encoder) const;
  };
  using TEncoder = std::unique_ptr<void, TEncoderCloser>;

  TEncoder NewEncoder(TACSInput& input);
  // The settings the library was given, for the message when it refuses them.
  std::string DescribeSettings(TACSInput& input) const;
  void WriteTagTrailer();
  void CompleteHeaderFrame();

  TBindingRef FLibrary;
  TMP3BitRate FBitRate = TMP3BitRate::br128;
  TMP3Quality FQuality = TMP3Quality::ql5;
  TMP3SampleRate FSampleRate = TMP3SampleRate::srDefault;
  TMP3Mode FMode = TMP3Mode::STEREO;
  bool FCRC = false;
  bool FCopyright = false;
  bool FOriginal = true;
  bool FEnableVBR = false;
  bool FWriteVBRHeader = false;
  TMP3Quality FVBRQuality = TMP3Quality::ql5;
  int32_t FVBRMinBitrate = 128;
  int32_t FVBRMaxBitrate = 192;
  std::string FId3TagTitle;
  std::string FId3TagArtist;
  std::string FId3TagAlbum;
  std::string FId3TagYear;
  std::string FId3TagTrack;
  std::string FId3TagComment;
  std::string FId3TagGenre;
  std::string FId3TagAlbumArtist;
  std::string FId3TagDisc;
  std::string FId3TagComposer;
  std::optional<TPicture> FCover;

  std::array<int16_t, BlockBufferSize / 2> FBlockBuffer{};
  std::vector<uint8_t> FOutputBuffer;
  TEncoder FEncoder;
  int32_t FChannels = 2;
  int64_t FAudioStart = 0;  // where the first MP3 frame (LAME's header frame) was written
};

#pragma once

// The WMA file sink: the writer layer creates and writes the file for FileName (its temporary
// file until the run has finished it), with the encoder settings of the profile named by
// ProfileFile and six tag attributes in its header.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/ACS_Classes.h"
#include "platform/MediaWriter.h"
#include "tags/Picture.h"

class TWMA_Out : public TACSFileOut {
public:
  // A profile and its terminating zero must fit a buffer of 3001 bytes.
  static constexpr int32_t MaxProfileSize = 2998;

  TWMA_Out();
  ~TWMA_Out() override;

  const std::u16string& Id3TagTitle() const { return FId3TagTitle; }
  void SetId3TagTitle(const std::u16string& value) { FId3TagTitle = value; }
  const std::u16string& Id3TagArtist() const { return FId3TagArtist; }
  void SetId3TagArtist(const std::u16string& value) { FId3TagArtist = value; }
  const std::u16string& Id3TagAlbum() const { return FId3TagAlbum; }
  void SetId3TagAlbum(const std::u16string& value) { FId3TagAlbum = value; }
  const std::u16string& Id3TagYear() const { return FId3TagYear; }
  void SetId3TagYear(const std::u16string& value) { FId3TagYear = value; }
  const std::u16string& Id3TagComment() const { return FId3TagComment; }
  void SetId3TagComment(const std::u16string& value) { FId3TagComment = value; }
  const std::u16string& Id3TagGenre() const { return FId3TagGenre; }
  void SetId3TagGenre(const std::u16string& value) { FId3TagGenre = value; }
  // Attributes beyond the six the design names: WM/TrackNumber, WM/AlbumArtist, WM/PartOfSet,
  // WM/Composer.
  const std::u16string& Id3TagTrack() const { return FId3TagTrack; }
  void SetId3TagTrack(const std::u16string& value) { FId3TagTrack = value; }
  const std::u16string& Id3TagAlbumArtist() const { return FId3TagAlbumArtist; }
  void SetId3TagAlbumArtist(const std::u16string& value) { FId3TagAlbumArtist = value; }
  const std::u16string& Id3TagDisc() const { return FId3TagDisc; }
  void SetId3TagDisc(const std::u16string& value) { FId3TagDisc = value; }
  const std::u16string& Id3TagComposer() const { return FId3TagComposer; }
  void SetId3TagComposer(const std::u16string& value) { FId3TagComposer = value; }
  // The picture the header's "WM/Picture" attribute carries; none without one.
  void SetCover(std::optional<TPicture> value) { FCover = std::move(value); }
  const std::string& ProfileFile() const { return FProfileFile; }
  void SetProfileFile(const std::string& value) { FProfileFile = value; }

  // Presentation time of the next sample, in 100-nanosecond units.
  int64_t SampleTime() const { return FSampleTime; }

protected:
  bool DoOutput(bool abort) override;
  void Done() override;
  void Prepare() override;

  // EACSException naming the file when it cannot be read, is larger than MaxProfileSize or is
  // not a valid profile.
  std::shared_ptr<const TWMProfile> LoadProfile(const std::string& path);
  TWriterResult CreateWriter(const std::string& fileName, std::shared_ptr<const TWMProfile> profile);
  void SetTags(IWMHeaderInfo& headerInfo);
  // Receives the diagnostic texts; the program keeps no log, so they are dropped.
  virtual void Log(const std::string& text);

private:
  void StartWriter(const std::string& target);
  std::string WriterReason(TWriterResult result) const;
  [[noreturn]] void FailWriting(TWriterResult result);

  std::u16string FId3TagTitle;
  std::u16string FId3TagArtist;
  std::u16string FId3TagAlbum;
  std::u16string FId3TagYear;
  std::u16string FId3TagComment;
  std::u16string FId3TagGenre;
  std::u16string FId3TagTrack;
  std::u16string FId3TagAlbumArtist;
  std::u16string FId3TagDisc;
  std::u16string FId3TagComposer;
  std::optional<TPicture> FCover;
  std::string FProfileFile;
  int64_t FSampleTime = 0;
  std::unique_ptr<TWMWriter> FWriter;
  IWMHeaderInfo* FHeaderInfo = nullptr;
  std::vector<uint8_t> FChunk;
  int32_t FChannels = 2;
  int32_t FBitsPerSample = 16;
  int32_t FFrameBytes = 4;
  int32_t FSampleRate = 44100;
  bool FWriteFailed = false;  // the file is broken and goes with the writer
};

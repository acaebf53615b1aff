#include "formats/mp3/ACS_LAME.h"

#include <algorithm>
#include <cstdarg>
#include <filesystem>

#include "formats/CodecLibrary.h"
#include "formats/mp3/Id3v2Writer.h"
#include "formats/mp3/lame.h"

namespace {

lame_global_flags* AsEncoder(void* encoder) { return static_cast<lame_global_flags*>(encoder); }

void IgnoreReport(const char*, va_list) {}

}  // namespace

int32_t MP3KbitPerSecond(TMP3BitRate rate) {
  static constexpr int32_t Rates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};
  return Rates[rate];
}

int32_t MP3SampleRateHz(TMP3SampleRate rate) {
  static constexpr int32_t Rates[] = {0, 32000, 44100, 48000};
  return Rates[rate];
}

void TMP3Out::TEncoderCloser::operator()(void* encoder) const { LameLibrary().lame_close(AsEncoder(encoder)); }

TMP3Out::TMP3Out() : FLibrary(LameLibrary()) {
  RequireLoaded({&LameLibrary()});
  RequireEntryPoints(LameLibrary(),
                     {"lame_init", "lame_set_num_samples", "lame_set_in_samplerate", "lame_set_num_channels",
                      "lame_set_out_samplerate", "lame_set_mode", "lame_set_copyright", "lame_set_original",
                      "lame_set_error_protection", "lame_set_brate", "lame_set_quality", "lame_set_bWriteVbrTag",
                      "lame_get_bWriteVbrTag", "lame_set_VBR", "lame_set_VBR_q", "lame_set_VBR_min_bitrate_kbps",
                      "lame_set_VBR_max_bitrate_kbps", "lame_init_params", "lame_encode_buffer_interleaved",
                      "lame_encode_buffer", "id3tag_init", "id3tag_v1_only", "id3tag_set_title", "id3tag_set_artist",
                      "id3tag_set_album", "id3tag_set_year", "id3tag_set_track", "id3tag_set_comment",
                      "id3tag_set_genre", "lame_encode_flush", "lame_get_lametag_frame", "lame_close"});
}

TMP3Out::~TMP3Out() { EndWorker(); }

TPcmFormat TMP3Out::AcceptedFormat(const TPcmFormat& offered) const {
  TPcmFormat accepted = TACSFileOut::AcceptedFormat(offered);
  if (offered.SampleRate < MinInputRate || offered.SampleRate > MaxInputRate) {
    accepted.SampleRate = FSampleRate != TMP3SampleRate::srDefault ? MP3SampleRateHz(FSampleRate)
                                                                    : std::clamp(offered.SampleRate, MinInputRate, MaxInputRate);
  }
  return accepted;
}

TMP3Out::TEncoder TMP3Out::NewEncoder(TACSInput& input) {
  const TLameBinding& lib = LameLibrary();
  TEncoder encoder(lib.lame_init());
  if (!encoder) {
    throw EACSException(FFileName + ": the MP3 encoder could not be created");
  }
  lame_global_flags* gfp = AsEncoder(encoder.get());
  if (lib.lame_set_errorf != nullptr && lib.lame_set_msgf != nullptr && lib.lame_set_debugf != nullptr) {
    lib.lame_set_errorf(gfp, &IgnoreReport);
    lib.lame_set_msgf(gfp, &IgnoreReport);
    lib.lame_set_debugf(gfp, &IgnoreReport);
  }
  const int32_t bytesPerFrame = input.GetBitsPerSample() / 8 * input.GetChannels();
  if (input.Size() > 0 && bytesPerFrame > 0) {
    lib.lame_set_num_samples(gfp, static_cast<unsigned long>(input.Size() / bytesPerFrame));
  }
  lib.lame_set_in_samplerate(gfp, input.GetSampleRate());
  lib.lame_set_num_channels(gfp, input.GetChannels());
  lib.lame_set_out_samplerate(gfp, MP3SampleRateHz(FSampleRate));
  lib.lame_set_mode(gfp, static_cast<MPEG_mode>(FMode));
  lib.lame_set_copyright(gfp, FCopyright ? 1 : 0);
  lib.lame_set_original(gfp, FOriginal ? 1 : 0);
  lib.lame_set_error_protection(gfp, FCRC ? 1 : 0);
  if (!FEnableVBR) {
    lib.lame_set_brate(gfp, MP3KbitPerSecond(FBitRate));
    lib.lame_set_quality(gfp, FQuality);
  } else {
    if (FWriteVBRHeader) {
      lib.lame_set_bWriteVbrTag(gfp, 1);
    }
    lib.lame_set_VBR(gfp, static_cast<vbr_mode>(2));
    lib.lame_set_VBR_q(gfp, FVBRQuality);
    if (FVBRMaxBitrate < FVBRMinBitrate) {
      std::swap(FVBRMinBitrate, FVBRMaxBitrate);
    }
    lib.lame_set_VBR_min_bitrate_kbps(gfp, FVBRMinBitrate);
    lib.lame_set_VBR_max_bitrate_kbps(gfp, FVBRMaxBitrate);
  }
  return encoder;
}

std::string TMP3Out::DescribeSettings(TACSInput& input) const {
  const std::string rates = FEnableVBR ? "VBR quality " + std::to_string(static_cast<int>(FVBRQuality)) + " within " +
                                             std::to_string(FVBRMinBitrate) + " to " + std::to_string(FVBRMaxBitrate) +
                                             " kbit/s"
                                       : std::to_string(MP3KbitPerSecond(FBitRate)) + " kbit/s";
  return std::to_string(input.GetChannels()) + " channel(s) at " + std::to_string(input.GetSampleRate()) +
         " Hz, output rate " + std::to_string(MP3SampleRateHz(FSampleRate)) + " Hz, channel mode " +
         std::to_string(static_cast<int>(FMode)) + ", " + rates;
}

void TMP3Out::Prepare() {
  bool inputStarted = false;
  try {
    OpenTarget(false);
    TACSInput& input = *Input();
    input.Init();
    inputStarted = true;
    if (input.GetBitsPerSample() != 16) {
      throw EACSException(FFileName + ": the MP3 encoder takes 16-bit samples, the input has " +
                          std::to_string(input.GetBitsPerSample()));
    }
    FChannels = input.GetChannels();
    FEncoder = NewEncoder(input);
    if (LameLibrary().lame_init_params(AsEncoder(FEncoder.get())) < 0) {
      FEncoder.reset();
      throw EACSException(FFileName + ": the MP3 encoder refused the settings (" + DescribeSettings(input) + ")");
    }
    FOutputBuffer.assign(OutputBufferSize, 0);
    // The full tag goes before the audio; LAME's ID3v1 trailer follows the audio at the end.
    const std::vector<uint8_t> tag =
        BuildId3v2Tag({FId3TagTitle, FId3TagArtist, FId3TagAlbum, FId3TagYear, FId3TagTrack, FId3TagComment,
                       FId3TagGenre, FId3TagAlbumArtist, FId3TagDisc, FId3TagComposer, FCover});
    FStream->Write(tag);
    FAudioStart = FStream->Position();
  } catch (...) {
    FEncoder.reset();
    FOutputBuffer = {};
    AbandonPrepare(inputStarted);
    throw;
  }
}

bool TMP3Out::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  const int32_t bytes = ReadInput(std::span<uint8_t>(reinterpret_cast<uint8_t*>(FBlockBuffer.data()), BlockBufferSize));
  if (bytes <= 0) {
    return false;
  }
  const TLameBinding& lib = LameLibrary();
  lame_global_flags* gfp = AsEncoder(FEncoder.get());
  int encoded = 0;
  if (FChannels == 2) {
    encoded = lib.lame_encode_buffer_interleaved(gfp, FBlockBuffer.data(), bytes / 4, FOutputBuffer.data(),
                                                 OutputBufferSize);
  } else {
    encoded = lib.lame_encode_buffer(gfp, FBlockBuffer.data(), FBlockBuffer.data(), bytes / 2, FOutputBuffer.data(),
                                     OutputBufferSize);
  }
  // A refused block is a failure of the run, not its end: the caller must not take it for success.
  if (encoded < 0) {
    throw EACSException(FFileName + ": the MP3 encoder failed (code " + std::to_string(encoded) + ")");
  }
  FStream->Write(std::span<const uint8_t>(FOutputBuffer.data(), static_cast<size_t>(encoded)));
  return true;
}

void TMP3Out::WriteTagTrailer() {
  const TLameBinding& lib = LameLibrary();
  lame_global_flags* gfp = AsEncoder(FEncoder.get());
  lib.id3tag_init(gfp);
  // Only the ID3v1 trailer can still be written after the audio; the full tag is at the start.
  lib.id3tag_v1_only(gfp);
  lib.id3tag_set_title(gfp, Utf8ToLatin1(FId3TagTitle).c_str());
  lib.id3tag_set_artist(gfp, Utf8ToLatin1(FId3TagArtist).c_str());
  lib.id3tag_set_album(gfp, Utf8ToLatin1(FId3TagAlbum).c_str());
  lib.id3tag_set_year(gfp, Utf8ToLatin1(FId3TagYear).c_str());
  lib.id3tag_set_track(gfp, Utf8ToLatin1(FId3TagTrack).c_str());
  lib.id3tag_set_comment(gfp, Utf8ToLatin1(FId3TagComment).c_str());
  lib.id3tag_set_genre(gfp, Utf8ToLatin1(FId3TagGenre).c_str());
  const int flushed = lib.lame_encode_flush(gfp, FOutputBuffer.data(), OutputBufferSize);
  if (flushed < 0) {
    throw EACSException(FFileName + ": the MP3 encoder failed to finish (code " + std::to_string(flushed) + ")");
  }
  FStream->Write(std::span<const uint8_t>(FOutputBuffer.data(), static_cast<size_t>(flushed)));
}

// LAME wrote a placeholder header frame first; now that the run is over its true frame count,
// length and gapless information go back in its place.
void TMP3Out::CompleteHeaderFrame() {
  const TLameBinding& lib = LameLibrary();
  lame_global_flags* gfp = AsEncoder(FEncoder.get());
  if (lib.lame_get_bWriteVbrTag(gfp) == 0) {
    return;
  }
  const size_t size = lib.lame_get_lametag_frame(gfp, FOutputBuffer.data(), FOutputBuffer.size());
  if (size == 0 || size > FOutputBuffer.size() || FAudioStart + static_cast<int64_t>(size) > FStream->Size()) {
    return;
  }
  const int64_t end = FStream->Position();
  FStream->Seek(FAudioStart);
  FStream->Write(std::span<const uint8_t>(FOutputBuffer.data(), size));
  FStream->Seek(end);
}

void TMP3Out::Done() {
  std::exception_ptr failure;
  if (FEncoder && FStream != nullptr) {
    try {
      WriteTagTrailer();
      CompleteHeaderFrame();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  FEncoder.reset();
  FOutputBuffer = {};
  ReleaseStream();
  FlushInput();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

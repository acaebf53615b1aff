#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "formats/CodecLibrary.h"
#include "formats/vorbis/ACS_Vorbis.h"
#include "formats/vorbis/Codec.h"
#include "formats/vorbis/VorbisChannels.h"
#include "formats/vorbis/VorbisEnc.h"
#include "formats/vorbis/VorbisFile.h"
#include "formats/vorbis/ogg.h"

// The library records of one encoding, and which of them are set up and need clearing.
struct TVorbisEncoderState {
  ogg_stream_state Stream{};
  ogg_page Page{};
  ogg_packet Packet{};
  vorbis_info Info{};
  vorbis_comment Comment{};
  vorbis_dsp_state Dsp{};
  vorbis_block Block{};
  ogg_packet Header{};
  ogg_packet HeaderComment{};
  ogg_packet HeaderCode{};
  bool InfoReady = false;
  bool CommentReady = false;
  bool DspReady = false;
  bool BlockReady = false;
  bool StreamReady = false;
};

int32_t VorbisBitsPerSecond(TVorbisBitRate rate) {
  static constexpr int32_t Rates[] = {-1,     45000,  48000,  56000,  64000,  80000,  96000,  112000,
                                      128000, 144000, 160000, 192000, 224000, 256000, 320000, 499000};
  return Rates[rate];
}

TVorbisOut::TVorbisOut()
    : FOgg(OggLibrary()), FVorbis(VorbisLibrary()), FVorbisFile(VorbisFileLibrary()), FVorbisEnc(VorbisEncLibrary()) {
  RequireLoaded({&OggLibrary(), &VorbisLibrary(), &VorbisFileLibrary(), &VorbisEncLibrary()});
  RequireEntryPoints(OggLibrary(), {"ogg_stream_init", "ogg_stream_packetin", "ogg_stream_flush", "ogg_stream_pageout",
                                    "ogg_page_eos", "ogg_stream_clear"});
  RequireEntryPoints(VorbisLibrary(),
                     {"vorbis_info_init", "vorbis_comment_init", "vorbis_comment_add_tag", "vorbis_analysis_init",
                      "vorbis_block_init", "vorbis_analysis_headerout", "vorbis_analysis_buffer",
                      "vorbis_analysis_wrote", "vorbis_analysis_blockout", "vorbis_analysis", "vorbis_bitrate_addblock",
                      "vorbis_bitrate_flushpacket", "vorbis_block_clear", "vorbis_dsp_clear", "vorbis_comment_clear",
                      "vorbis_info_clear"});
  RequireEntryPoints(VorbisEncLibrary(), {"vorbis_encode_init_vbr", "vorbis_encode_init"});
}

TPcmFormat TVorbisOut::AcceptedFormat(const TPcmFormat& offered) const {
  TPcmFormat accepted = TACSFileOut::AcceptedFormat(offered);
  if (offered.Channels > 2 && !VorbisChannelOrder(offered.Channels, offered.ChannelMask).empty()) {
    accepted.Channels = offered.Channels;
    accepted.ChannelMask = offered.ChannelMask;
  }
  return accepted;
}

TVorbisOut::~TVorbisOut() {
  EndWorker();
  ReleaseEncoder();
}

void TVorbisOut::SetDesiredNominalBitrate(TVorbisBitRate value) {
  FDesiredNominalBitrate = value;
  if (value < FMinimumBitrate) {
    FMinimumBitrate = value;
  }
  if (FDesiredMaximumBitrate < FDesiredNominalBitrate) {
    FDesiredMaximumBitrate = FDesiredNominalBitrate;
  }
  if (value == TVorbisBitRate::brAutoSelect) {
    FDesiredMaximumBitrate = TVorbisBitRate::brAutoSelect;
  }
}

void TVorbisOut::SetDesiredMaximumBitrate(TVorbisBitRate value) {
  if (FDesiredNominalBitrate != TVorbisBitRate::brAutoSelect &&
      (value == TVorbisBitRate::brAutoSelect || value >= FDesiredNominalBitrate)) {
    FDesiredMaximumBitrate = value;
  }
}

void TVorbisOut::SetMinimumBitrate(TVorbisBitRate value) {
  if (value <= FDesiredNominalBitrate) {
    FMinimumBitrate = value;
  }
}

void TVorbisOut::SetFileMode(TFileOutputMode mode) { FFileMode = mode; }

void TVorbisOut::SetUpEncoder(int32_t channels, int32_t sampleRate) {
  TVorbisEncoderState& s = *FState;
  VorbisLibrary().vorbis_info_init(&s.Info);
  s.InfoReady = true;
  const std::string format = std::to_string(channels) + " channel(s) at " + std::to_string(sampleRate) + " Hz";
  if (FDesiredNominalBitrate == TVorbisBitRate::brAutoSelect) {
    if (VorbisEncLibrary().vorbis_encode_init_vbr(&s.Info, channels, sampleRate, FCompression) != 0) {
      char quality[32];
      std::snprintf(quality, sizeof quality, "%.2f", static_cast<double>(FCompression));
      throw EACSException(FFileName + ": the Vorbis encoder refused " + format + " with the quality " + quality);
    }
    return;
  }
  const int32_t nominal = VorbisBitsPerSecond(FDesiredNominalBitrate);
  const int32_t maximum = std::max(VorbisBitsPerSecond(FDesiredMaximumBitrate), nominal);
  const int32_t minimum = VorbisBitsPerSecond(FMinimumBitrate) < 0 ? nominal : VorbisBitsPerSecond(FMinimumBitrate);
  if (VorbisEncLibrary().vorbis_encode_init(&s.Info, channels, sampleRate, maximum, nominal, minimum) != 0) {
    throw EACSException(FFileName + ": the Vorbis encoder refused " + format + " with the bit rates " +
                        std::to_string(minimum / 1000) + " to " + std::to_string(maximum / 1000) + " kbit/s (nominal " +
                        std::to_string(nominal / 1000) + ")");
  }
}

void TVorbisOut::WritePage(const void* page) {
  const auto& p = *static_cast<const ogg_page*>(page);
  FStream->Write(std::span<const uint8_t>(p.header, static_cast<size_t>(p.header_len)));
  FStream->Write(std::span<const uint8_t>(p.body, static_cast<size_t>(p.body_len)));
}

void TVorbisOut::WriteHeaders() {
  const TVorbisBinding& vorbis = VorbisLibrary();
  const TOggBinding& ogg = OggLibrary();
  TVorbisEncoderState& s = *FState;
  vorbis.vorbis_comment_init(&s.Comment);
  s.CommentReady = true;
  for (const std::string& line : FComments) {
    const size_t equals = line.find('=');
    const std::string key = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
    vorbis.vorbis_comment_add_tag(&s.Comment, key.c_str(), value.c_str());
  }
  vorbis.vorbis_analysis_init(&s.Dsp, &s.Info);
  s.DspReady = true;
  vorbis.vorbis_block_init(&s.Dsp, &s.Block);
  s.BlockReady = true;
  ogg.ogg_stream_init(&s.Stream, FSerial);
  s.StreamReady = true;
  vorbis.vorbis_analysis_headerout(&s.Dsp, &s.Comment, &s.Header, &s.HeaderComment, &s.HeaderCode);
  ogg.ogg_stream_packetin(&s.Stream, &s.Header);
  ogg.ogg_stream_packetin(&s.Stream, &s.HeaderComment);
  ogg.ogg_stream_packetin(&s.Stream, &s.HeaderCode);
  // The headers stand on pages of their own, before any audio.
  while (ogg.ogg_stream_flush(&s.Stream, &s.Page) != 0) {
    WritePage(&s.Page);
  }
}

void TVorbisOut::Prepare() {
  bool inputStarted = false;
  try {
    OpenTarget(true);
    Input()->Init();
    inputStarted = true;
    if (FFileMode == foAppend) {
      FStream->SeekToEnd();
    }
    FEndOfStream = false;
    if (Input()->GetBitsPerSample() != 16) {
      throw EACSException(FFileName + ": the Vorbis encoder takes 16-bit samples, the input has " +
                          std::to_string(Input()->GetBitsPerSample()));
    }
    const TPcmFormat format = Input()->GetFormat();
    FChannels = format.Channels;
    FOrder = VorbisChannelOrder(FChannels, format.ChannelMask);
    if (FOrder.empty()) {
      throw EACSException(FFileName + ": Vorbis has no layout for the input's " + std::to_string(FChannels) +
                          " channels");
    }
    FState = std::make_unique<TVorbisEncoderState>();
    SetUpEncoder(FChannels, Input()->GetSampleRate());
    WriteHeaders();
  } catch (...) {
    ReleaseEncoder();
    AbandonPrepare(inputStarted);
    throw;
  }
}

void TVorbisOut::Drain() {
  const TVorbisBinding& vorbis = VorbisLibrary();
  const TOggBinding& ogg = OggLibrary();
  TVorbisEncoderState& s = *FState;
  while (vorbis.vorbis_analysis_blockout(&s.Dsp, &s.Block) == 1) {
    vorbis.vorbis_analysis(&s.Block, nullptr);
    vorbis.vorbis_bitrate_addblock(&s.Block);
    while (vorbis.vorbis_bitrate_flushpacket(&s.Dsp, &s.Packet) == 1) {
      ogg.ogg_stream_packetin(&s.Stream, &s.Packet);
      while (!FEndOfStream && ogg.ogg_stream_pageout(&s.Stream, &s.Page) != 0) {
        WritePage(&s.Page);
        if (ogg.ogg_page_eos(&s.Page) != 0) {
          FEndOfStream = true;
        }
      }
    }
  }
}

void TVorbisOut::Analyse(const int16_t* samples, int32_t frames) {
  const TVorbisBinding& vorbis = VorbisLibrary();
  float** buffer = vorbis.vorbis_analysis_buffer(&FState->Dsp, frames);
  for (int32_t c = 0; c < FChannels; ++c) {
    const int16_t* from = samples + FOrder[static_cast<size_t>(c)];
    float* into = buffer[c];
    for (int32_t i = 0; i < frames; ++i) {
      into[i] = from[static_cast<size_t>(i) * static_cast<size_t>(FChannels)] / 32768.0f;
    }
  }
  vorbis.vorbis_analysis_wrote(&FState->Dsp, frames);
  Drain();
}

bool TVorbisOut::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  if (FEndOfStream) {
    return false;
  }
  const int32_t bytesPerFrame = 2 * FChannels;
  // Whole frames only: a block buffer that is no multiple of a frame would split one.
  const int32_t bytes = ReadInput(std::span<uint8_t>(reinterpret_cast<uint8_t*>(FBlockBuffer.data()),
                                                     static_cast<size_t>(BlockBufferSize / bytesPerFrame * bytesPerFrame)));
  if (bytes <= 0) {
    VorbisLibrary().vorbis_analysis_wrote(&FState->Dsp, 0);
    Drain();
    return true;
  }
  // The library moves the samples it still holds down after every block it takes out, so the
  // chunk goes in in slices: the moves then stay short.
  const int32_t frames = bytes / bytesPerFrame;
  for (int32_t done = 0; done < frames; done += AnalysisSlice) {
    const int32_t slice = std::min(AnalysisSlice, frames - done);
    Analyse(FBlockBuffer.data() + static_cast<size_t>(done) * static_cast<size_t>(FChannels), slice);
  }
  return true;
}

void TVorbisOut::ReleaseEncoder() {
  if (!FState) {
    return;
  }
  TVorbisEncoderState& s = *FState;
  if (s.StreamReady) {
    OggLibrary().ogg_stream_clear(&s.Stream);
  }
  if (s.BlockReady) {
    VorbisLibrary().vorbis_block_clear(&s.Block);
  }
  if (s.DspReady) {
    VorbisLibrary().vorbis_dsp_clear(&s.Dsp);
  }
  if (s.CommentReady) {
    VorbisLibrary().vorbis_comment_clear(&s.Comment);
  }
  if (s.InfoReady) {
    VorbisLibrary().vorbis_info_clear(&s.Info);
  }
  FState.reset();
}

void TVorbisOut::Done() {
  std::exception_ptr failure;
  // A stopped run still ends the stream properly: the audio the encoder holds and the
  // end-of-stream page are written, so players and tools see a complete file.
  if (FState && FState->StreamReady && !FEndOfStream && FStream != nullptr) {
    try {
      VorbisLibrary().vorbis_analysis_wrote(&FState->Dsp, 0);
      Drain();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  ReleaseStream();
  FlushInput();
  FComments.clear();
  ReleaseEncoder();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

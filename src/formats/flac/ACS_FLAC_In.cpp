#include <algorithm>
#include <climits>

#include "formats/CodecLibrary.h"
#include "formats/flac/ACS_FLAC.h"
#include "formats/flac/ChannelMaskComment.h"
#include "formats/flac/FLAC.h"
#include "pipeline/ChannelMask.h"

namespace {

constexpr int32_t MaxChannels = 8;

FLAC__StreamDecoder* AsDecoder(void* decoder) { return static_cast<FLAC__StreamDecoder*>(decoder); }

std::string DecodeErrorText(FLAC__StreamDecoderErrorStatus status) {
  switch (status) {
    case FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC:
      return "the FLAC stream lost sync";
    case FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER:
      return "a FLAC frame header is damaged";
    case FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH:
      return "a FLAC frame fails its checksum";
    default:
      return "the FLAC stream is damaged";
  }
}

}  // namespace

// The library calls back from C: no exception may pass through it.
struct TFLACInCallbacks {
  static TFLACIn& Source(void* client) { return *static_cast<TFLACIn*>(client); }

  static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                            void* client) {
    try {
      TStream& stream = *Source(client).FStream;
      if (stream.Position() >= stream.Size()) {
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
      }
      *bytes = static_cast<size_t>(stream.Read(std::span<uint8_t>(buffer, *bytes)));
      return *bytes == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    } catch (...) {
      *bytes = 0;
      return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
  }

  static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* client) {
    TFLACIn& source = Source(client);
    if (!source.FSeekable) {
      return FLAC__STREAM_DECODER_SEEK_STATUS_UNSUPPORTED;
    }
    try {
      source.FStream->Seek(static_cast<int64_t>(offset));
      return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
    } catch (...) {
      return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    }
  }

  static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* client) {
    TFLACIn& source = Source(client);
    if (source.Size() == 0) {
      return FLAC__STREAM_DECODER_TELL_STATUS_UNSUPPORTED;
    }
    *offset = static_cast<FLAC__uint64>(source.FStream->Position());
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
  }

  static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length, void* client) {
    *length = static_cast<FLAC__uint64>(Source(client).FStream->Size());
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
  }

  static FLAC__bool Eof(const FLAC__StreamDecoder*, void* client) {
    const TStream& stream = *Source(client).FStream;
    return stream.Position() >= stream.Size();
  }

  static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                              const FLAC__int32* const channels[], void* client) {
    TFLACIn& source = Source(client);
    const auto& header = frame->header;
    // Frames that do not match the stream information would overrun the interleaving below.
    if (static_cast<int32_t>(header.channels) != source.FChan ||
        static_cast<int32_t>(header.bits_per_sample) != source.FStreamBits) {
      return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    source.FBlockSizeOfFrame = header.blocksize;
    const int32_t bytes = source.FBPS / 8;
    source.FFrameBytes = bytes * static_cast<int32_t>(header.blocksize) * source.FChan;
    source.FFrameBuffer.resize(static_cast<size_t>(source.FFrameBytes));
    // A width between whole bytes (12, 20 bits) fills the upper bits of the next one.
    const int32_t shift = source.FBPS - source.FStreamBits;
    uint8_t* out = source.FFrameBuffer.data();
    for (uint32_t i = 0; i < header.blocksize; ++i) {
      for (int32_t c = 0; c < source.FChan; ++c) {
        const auto sample = static_cast<uint32_t>(channels[c][i]) << shift;
        if (bytes == 1) {
          *out++ = static_cast<uint8_t>(sample + 128);
          continue;
        }
        for (int32_t b = 0; b < bytes; ++b) {
          *out++ = static_cast<uint8_t>(sample >> (8 * b));
        }
      }
    }
    source.FFrameWritten = true;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
  }

  static void TakeChannelMask(TFLACIn& source, const FLAC__StreamMetadata_VorbisComment& comments) {
    for (uint32_t i = 0; i < comments.num_comments; ++i) {
      const auto& entry = comments.comments[i];
      uint32_t mask = 0;
      if (entry.entry != nullptr &&
          ParseChannelMaskComment({reinterpret_cast<const char*>(entry.entry), entry.length}, mask)) {
        source.FChannelMask = PassableChannelMask(mask, source.FChan);
      }
    }
  }

  static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* client) {
    TFLACIn& source = Source(client);
    if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
      TakeChannelMask(source, metadata->data.vorbis_comment);
      return;
    }
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) {
      return;
    }
    const auto& info = metadata->data.stream_info;
    source.FSR = static_cast<int32_t>(info.sample_rate);
    source.FChan = static_cast<int32_t>(info.channels);
    source.FStreamBits = static_cast<int32_t>(info.bits_per_sample);
    // Samples travel in whole bytes: 8, 16, 24 or 32 bits.
    source.FBPS = (source.FStreamBits + 7) / 8 * 8;
    if (source.FChan > MaxChannels) {
      source.FValid = false;
      source.FInvalidReason = std::to_string(source.FChan) + " channels";
    }
    if (source.FStreamBits < 4 || source.FStreamBits > 32) {
      source.FValid = false;
      source.FInvalidReason = std::to_string(source.FStreamBits) + " bits per sample";
    }
    // The stream information holds 36 bits of sample count.
    source.FTotalSamples = static_cast<int64_t>(info.total_samples);
    source.FSize = source.FBPS / 8 * source.FTotalSamples * source.FChan;
    source.FMinFrameSize = info.min_framesize;
  }

  static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* client) {
    TFLACIn& source = Source(client);
    // While delivering, the library steps over the damage and goes on: the run fails at its end.
    if (source.Busy() && source.FReadFault.empty()) {
      source.FReadFault = DecodeErrorText(status);
    }
    source.FValid = false;
    if (source.FInvalidReason.empty()) {
      source.FInvalidReason = "damaged data";
    }
  }
};

void TFLACIn::TDecoderDeleter::operator()(void* decoder) const {
  const TFLACBinding& lib = FLACLibrary();
  lib.FLAC__stream_decoder_flush(AsDecoder(decoder));
  lib.FLAC__stream_decoder_finish(AsDecoder(decoder));
  lib.FLAC__stream_decoder_delete(AsDecoder(decoder));
}

TFLACIn::TFLACIn() : FLibrary(FLACLibrary()) {
  RequireLoaded({&FLACLibrary()});
  RequireEntryPoints(FLACLibrary(),
                     {"FLAC__stream_decoder_new", "FLAC__stream_decoder_delete", "FLAC__stream_decoder_init_stream",
                      "FLAC__stream_decoder_process_until_end_of_metadata", "FLAC__stream_decoder_process_single",
                      "FLAC__stream_decoder_get_state", "FLAC__stream_decoder_seek_absolute",
                      "FLAC__stream_decoder_reset", "FLAC__stream_decoder_flush", "FLAC__stream_decoder_finish",
                      "FLAC__stream_decoder_set_metadata_respond"});
}

TFLACIn::~TFLACIn() {
  while (FOpenCount > 0) {
    CloseFile();
  }
}

void TFLACIn::OpenFile() {
  if (++FOpenCount > 1) {
    return;
  }
  FSeekFramePending = false;
  FInvalidReason.clear();
  if (!FStreamAssigned) {
    if (FFileName.empty()) {
      FOpenCount = 0;
      throw EACSException("File name is not assigned");
    }
    if (!OpenOwnStream(FFileName)) {
      // An unreadable file is no error here: the source is not Valid and Init says why.
      FValid = false;
      FInvalidReason = "cannot open the file";
      FChan = FSR = FBPS = 0;
      FSize = 0;
      FTotalSamples = 0;
      return;
    }
  }
  FValid = true;
  FChan = FSR = FBPS = FStreamBits = 0;
  FChannelMask = 0;
  FSize = 0;
  FTotalSamples = 0;
  FBlockSizeOfFrame = 0;
  FFrameBytes = 0;
  FDecoder.reset(FLACLibrary().FLAC__stream_decoder_new());
  if (!FDecoder) {
    throw EACSException("Failed to initialize FLAC decoder.");
  }
  FLACLibrary().FLAC__stream_decoder_set_metadata_respond(AsDecoder(FDecoder.get()), FLAC__METADATA_TYPE_VORBIS_COMMENT);
  const FLAC__StreamDecoderInitStatus status = FLACLibrary().FLAC__stream_decoder_init_stream(
      AsDecoder(FDecoder.get()), &TFLACInCallbacks::Read, &TFLACInCallbacks::Seek, &TFLACInCallbacks::Tell,
      &TFLACInCallbacks::Length, &TFLACInCallbacks::Eof, &TFLACInCallbacks::Write, &TFLACInCallbacks::Metadata,
      &TFLACInCallbacks::Error, this);
  if (status != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
    throw EACSException("Failed to initialize FLAC decoder.");
  }
  if (!FLACLibrary().FLAC__stream_decoder_process_until_end_of_metadata(AsDecoder(FDecoder.get()))) {
    FValid = false;
  }
  if (FChan == 0 || FSR == 0) {
    FValid = false;
    if (FInvalidReason.empty()) {
      FInvalidReason = "no FLAC stream information";
    }
  }
  FEndOfStream = false;
  FBytesPerSampleFrame = (FBPS / 8) * FChan;
}

TPcmFormat TFLACIn::GetFormat() {
  TPcmFormat format = TACSFileIn::GetFormat();
  format.ChannelMask = FChannelMask;
  return format;
}

void TFLACIn::CloseFile() {
  if (FOpenCount == 1) {
    FDecoder.reset();
    FFrameBuffer = {};
    FFrameBytes = 0;
    ReleaseStream();
  }
  if (FOpenCount > 0) {
    --FOpenCount;
  }
}

void TFLACIn::Refuse(const std::string& reason) {
  Flush();
  throw EACSException(FFileName + ": cannot decode this FLAC file (" + reason + ")");
}

void TFLACIn::Init() {
  TACSFileIn::Init();
  if (!FValid || FDecoder == nullptr) {
    Refuse(FInvalidReason.empty() ? "not a FLAC stream" : FInvalidReason);
  }
}

bool TFLACIn::DecodeNextFrame() {
  const TFLACBinding& lib = FLACLibrary();
  FLAC__StreamDecoder* decoder = AsDecoder(FDecoder.get());
  FFrameWritten = false;
  FFrameBytes = 0;
  // Metadata blocks after the stream information come back without a frame: go on past them.
  while (true) {
    if (!lib.FLAC__stream_decoder_process_single(decoder)) {
      if (lib.FLAC__stream_decoder_get_state(decoder) == FLAC__STREAM_DECODER_END_OF_STREAM) {
        FEndOfStream = true;
        return false;
      }
      throw EACSException("Error reading FLAC file");
    }
    if (FFrameWritten) {
      return true;
    }
    const FLAC__StreamDecoderState state = lib.FLAC__stream_decoder_get_state(decoder);
    if (state == FLAC__STREAM_DECODER_READ_METADATA || state == FLAC__STREAM_DECODER_SEARCH_FOR_METADATA ||
        state == FLAC__STREAM_DECODER_SEARCH_FOR_FRAME_SYNC || state == FLAC__STREAM_DECODER_READ_FRAME) {
      continue;
    }
    FEndOfStream = true;
    if (state != FLAC__STREAM_DECODER_END_OF_STREAM && FStream->Position() < FStream->Size()) {
      throw EACSException("Sinc lost or corrupt data");
    }
    return false;
  }
}

int32_t TFLACIn::GetData(std::span<uint8_t> buffer) {
  if (!FBusy) {
    throw EACSException("The Stream is not opened");
  }
  if (BufferUsedUp()) {
    FBufStart = 1;
    FBufEnd = 0;
    bool decoded = FSeekFramePending || (!FEndOfStream && DecodeNextFrame());
    if (!decoded && FLoop) {
      Flush();
      Init();
      decoded = FSeekFramePending || DecodeNextFrame();
    }
    FSeekFramePending = false;
    if (!decoded) {
      return 0;
    }
    int32_t count = FFrameBytes;
    // Only a range the caller asked for ends before the decoder's end of stream.
    if (FEndSample != -1 && Size() >= 0 && Position() + count > Size()) {
      count = static_cast<int32_t>(std::max<int64_t>(Size() - Position(), 0));
      if (count == 0) {
        FEndOfStream = true;
        if (!FLoop || Size() == 0) {
          return 0;
        }
        Flush();
        Init();
        return GetData(buffer);
      }
    }
    FBufEnd = count;
  }
  return CopyFromBuffer(FFrameBuffer.data(), buffer);
}

bool TFLACIn::Seek(int64_t sampleNumber) {
  if (FDecoder == nullptr || !FValid) {
    return false;
  }
  const TFLACBinding& lib = FLACLibrary();
  FFrameWritten = false;
  // The library decodes the frame that holds the target and hands it over starting at the target.
  const bool ok =
      lib.FLAC__stream_decoder_seek_absolute(AsDecoder(FDecoder.get()), static_cast<FLAC__uint64>(sampleNumber));
  if (!ok) {
    lib.FLAC__stream_decoder_reset(AsDecoder(FDecoder.get()));
  }
  FSeekFramePending = ok && FFrameWritten;
  FEndOfStream = false;
  FPosition = sampleNumber * FBytesPerSampleFrame;
  FBufStart = 1;
  FBufEnd = 0;
  return ok;
}

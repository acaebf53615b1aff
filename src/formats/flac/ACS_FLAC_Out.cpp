#include <algorithm>
#include <cmath>
#include <filesystem>

#include "formats/CodecLibrary.h"
#include "formats/flac/ACS_FLAC.h"
#include "formats/flac/ChannelMaskComment.h"
#include "formats/flac/FLAC.h"
#include "formats/flac/FLACMetadata.h"

namespace {

constexpr const char* InitFailedMessage = "Failed to initialize FLAC encoder.";

FLAC__StreamEncoder* AsEncoder(void* encoder) { return static_cast<FLAC__StreamEncoder*>(encoder); }

std::string InitFailureReason(FLAC__StreamEncoderInitStatus status, const TFLACOut& sink, TACSInput& input) {
  const std::string rate = std::to_string(input.GetSampleRate()) + " Hz";
  switch (status) {
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_NUMBER_OF_CHANNELS:
      return "The channel count " + std::to_string(input.GetChannels()) + " was refused.";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_BITS_PER_SAMPLE:
      return "The sample width of " + std::to_string(input.GetBitsPerSample()) + " bits was refused.";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_SAMPLE_RATE:
      return "The sample rate " + rate + " was refused.";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_BLOCK_SIZE:
      return "The block size " + std::to_string(sink.BlockSize()) + " was refused.";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_MAX_LPC_ORDER:
      return "The LPC order " + std::to_string(sink.MaxLPCOrder()) + " was refused.";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_QLP_COEFF_PRECISION:
      return "The coefficient precision " + std::to_string(sink.QLPCoeffPrecision()) + " was refused.";
    case FLAC__STREAM_ENCODER_INIT_STATUS_BLOCK_SIZE_TOO_SMALL_FOR_LPC_ORDER:
      return "The block size " + std::to_string(sink.BlockSize()) + " is too small for the LPC order " +
             std::to_string(sink.MaxLPCOrder()) + ".";
    case FLAC__STREAM_ENCODER_INIT_STATUS_NOT_STREAMABLE:
      return "The block size " + std::to_string(sink.BlockSize()) + " at " + rate +
             " is outside the streamable subset.";
    default:
      return "The encoder reported status " + std::to_string(static_cast<int>(status)) + ".";
  }
}

}  // namespace

// The library calls back from C: no exception may pass through it.
struct TFLACOutCallbacks {
  static FLAC__StreamEncoderWriteStatus Write(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes,
                                              uint32_t, uint32_t, void* client) {
    auto* sink = static_cast<TFLACOut*>(client);
    try {
      sink->FStream->Write(std::span<const uint8_t>(buffer, bytes));
      return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
    } catch (const std::exception& error) {
      sink->FWriteFailure = error.what();
    } catch (...) {
      sink->FWriteFailure = sink->FFileName + ": cannot write";
    }
    return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
  }

  static FLAC__StreamEncoderSeekStatus Seek(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* client) {
    try {
      static_cast<TFLACOut*>(client)->FStream->Seek(static_cast<int64_t>(offset));
      return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
    } catch (...) {
      return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    }
  }

  static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* client) {
    *offset = static_cast<FLAC__uint64>(static_cast<TFLACOut*>(client)->FStream->Position());
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
  }

  static void Metadata(const FLAC__StreamEncoder*, const FLAC__StreamMetadata*, void*) {}
};

void TFLACOut::TEncoderDeleter::operator()(void* encoder) const {
  FLACLibrary().FLAC__stream_encoder_delete(AsEncoder(encoder));
}

TFLACOut::TFLACOut() : FLibrary(FLACLibrary()) {
  RequireLoaded({&FLACLibrary()});
  RequireEntryPoints(FLACLibrary(),
                     {"FLAC__stream_encoder_new", "FLAC__stream_encoder_delete", "FLAC__stream_encoder_set_verify",
                      "FLAC__stream_encoder_set_channels", "FLAC__stream_encoder_set_bits_per_sample",
                      "FLAC__stream_encoder_set_sample_rate", "FLAC__stream_encoder_set_do_mid_side_stereo",
                      "FLAC__stream_encoder_set_loose_mid_side_stereo", "FLAC__stream_encoder_set_blocksize",
                      "FLAC__stream_encoder_set_compression_level", "FLAC__stream_encoder_set_max_lpc_order",
                      "FLAC__stream_encoder_set_qlp_coeff_precision", "FLAC__stream_encoder_set_do_qlp_coeff_prec_search",
                      "FLAC__stream_encoder_set_min_residual_partition_order",
                      "FLAC__stream_encoder_set_max_residual_partition_order",
                      "FLAC__stream_encoder_set_do_exhaustive_model_search",
                      "FLAC__stream_encoder_set_total_samples_estimate", "FLAC__stream_encoder_get_blocksize",
                      "FLAC__stream_encoder_init_stream", "FLAC__stream_encoder_process_interleaved",
                      "FLAC__stream_encoder_finish", "FLAC__stream_encoder_set_metadata",
                      "FLAC__metadata_object_new", "FLAC__metadata_object_delete",
                      "FLAC__metadata_object_vorbiscomment_append_comment"});
}

TFLACOut::~TFLACOut() { EndWorker(); }

void TFLACOut::SetCompressionLevel(int32_t value) { FCompressionLevel = value > 8 ? 8 : value; }

void TFLACOut::SetEnableLooseMidSideStereo(bool value) {
  FEnableLooseMidSideStereo = value;
  if (value) {
    FEnableMidSideStereo = true;
  }
}

void TFLACOut::SetBestModelSearch(bool value) {
  FBestModelSearch = value;
  if (value) {
    FEnableMidSideStereo = true;
    FEnableLooseMidSideStereo = false;
  }
}

TPcmFormat TFLACOut::AcceptedFormat(const TPcmFormat& offered) const {
  return LosslessAcceptedFormat(offered, FSampleFormat, {.MaxBits = 32, .MaxChannels = 8, .Float = false});
}

void TFLACOut::DescribeChannelLayout(uint32_t mask) { FLayoutComment = ChannelMaskComment(mask, FChannels); }

void TFLACOut::ConfigureEncoder(TACSInput& input) {
  const TFLACBinding& lib = FLACLibrary();
  FLAC__StreamEncoder* encoder = AsEncoder(FEncoder.get());
  const TPcmFormat format = input.GetFormat();
  FBitsPerSample = format.BitsPerSample;
  FChannels = format.Channels;
  lib.FLAC__stream_encoder_set_verify(encoder, FVerify);
  lib.FLAC__stream_encoder_set_channels(encoder, static_cast<uint32_t>(FChannels));
  lib.FLAC__stream_encoder_set_bits_per_sample(encoder, static_cast<uint32_t>(FBitsPerSample));
  lib.FLAC__stream_encoder_set_sample_rate(encoder, static_cast<uint32_t>(input.GetSampleRate()));
  if (FChannels == 2) {
    lib.FLAC__stream_encoder_set_do_mid_side_stereo(encoder, FEnableMidSideStereo);
    lib.FLAC__stream_encoder_set_loose_mid_side_stereo(encoder, FEnableLooseMidSideStereo);
  }
  lib.FLAC__stream_encoder_set_blocksize(encoder, FBlockSize);
  if (FCompressionLevel >= 0) {
    lib.FLAC__stream_encoder_set_compression_level(encoder, static_cast<uint32_t>(FCompressionLevel));
  } else {
    lib.FLAC__stream_encoder_set_max_lpc_order(encoder, FMaxLPCOrder);
    if (FQLPCoeffPrecision != 0 && FBitsPerSample + FQLPCoeffPrecision > 31) {
      FQLPCoeffPrecision = static_cast<uint16_t>(std::max(31 - FBitsPerSample, 0));
    }
    lib.FLAC__stream_encoder_set_qlp_coeff_precision(encoder, FQLPCoeffPrecision);
    lib.FLAC__stream_encoder_set_do_qlp_coeff_prec_search(encoder, FQLPCoeffPrecisionSearch);
    lib.FLAC__stream_encoder_set_min_residual_partition_order(encoder, FMinResidualPartitionOrder);
    lib.FLAC__stream_encoder_set_max_residual_partition_order(encoder, FMaxResidualPartitionOrder);
    lib.FLAC__stream_encoder_set_do_exhaustive_model_search(encoder, FBestModelSearch);
  }
  const int32_t bytesPerSample = FBitsPerSample / 8;
  if (input.Size() > 0 && bytesPerSample > 0 && FChannels > 0) {
    const double frames = std::nearbyint(static_cast<double>(input.Size()) / bytesPerSample / FChannels);
    lib.FLAC__stream_encoder_set_total_samples_estimate(encoder, static_cast<FLAC__uint64>(frames));
  }
  DescribeChannelLayout(format.ChannelMask);
}

void TFLACOut::SetMetadata() {
  FMetadata = std::make_unique<TFLACMetadata>(FLACLibrary());
  std::vector<std::string> comments = FComments;
  if (!FLayoutComment.empty()) {
    comments.push_back(FLayoutComment);
  }
  FMetadata->AddVorbisComments(comments);
  if (FillCoverBlock()) {
    FMetadata->AddBorrowed(&FCoverBlock);
  }
  FMetadata->AddPadding(TFLACMetadata::PaddingSize);
  FLACLibrary().FLAC__stream_encoder_set_metadata(AsEncoder(FEncoder.get()), FMetadata->Blocks(), FMetadata->Count());
}

bool TFLACOut::FillCoverBlock() {
  if (!FCover) {
    return false;
  }
  const size_t length = FLACPictureBlock(*FCover).size();
  const bool printable = std::all_of(FCover->MimeType.begin(), FCover->MimeType.end(),
                                     [](char c) { return c >= 0x20 && c <= 0x7E; });
  // A metadata block holds at most 2^24 - 1 bytes; the library refuses MIME types beyond ASCII.
  if (length >= (size_t{1} << 24) || !printable) {
    return false;
  }
  FCoverBlock = {};
  FCoverBlock.type = FLAC__METADATA_TYPE_PICTURE;
  FCoverBlock.length = static_cast<uint32_t>(length);
  FLAC__StreamMetadata_Picture& picture = FCoverBlock.data.picture;
  picture.type = static_cast<FLAC__StreamMetadata_Picture_Type>(FCover->Type);
  picture.mime_type = FCover->MimeType.data();
  picture.description = reinterpret_cast<FLAC__byte*>(FCover->Description.data());
  const TImageSize size = ImageDimensions(FCover->Data);
  picture.width = size.Width;
  picture.height = size.Height;
  picture.depth = size.Width > 0 ? 24 : 0;
  picture.data_length = static_cast<FLAC__uint32>(FCover->Data.size());
  picture.data = FCover->Data.data();
  return true;
}

void TFLACOut::StartEncoder() {
  const TFLACBinding& lib = FLACLibrary();
  FLAC__StreamEncoder* encoder = AsEncoder(FEncoder.get());
  const FLAC__StreamEncoderInitStatus status =
      lib.FLAC__stream_encoder_init_stream(encoder, &TFLACOutCallbacks::Write, &TFLACOutCallbacks::Seek,
                                           &TFLACOutCallbacks::Tell, &TFLACOutCallbacks::Metadata, this);
  if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK && !FWriteFailure.empty()) {
    throw EACSException(FWriteFailure);
  }
  if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
    throw EACSException(std::string(InitFailedMessage) + " " + InitFailureReason(status, *this, *Input()));
  }
  // Block size 0 lets the library choose; the read block then follows its choice.
  const uint32_t frames = FBlockSize != 0 ? FBlockSize : lib.FLAC__stream_encoder_get_blocksize(encoder);
  FReadBlock.assign(static_cast<size_t>(FBitsPerSample / 8) * frames * static_cast<size_t>(FChannels), 0);
}

void TFLACOut::Prepare() {
  bool inputStarted = false;
  try {
    OpenTarget(false);
    FEndOfInput = false;
    FWriteFailure.clear();
    FEncoder.reset(FLACLibrary().FLAC__stream_encoder_new());
    if (!FEncoder) {
      throw EACSException(InitFailedMessage);
    }
    Input()->Init();
    inputStarted = true;
    ConfigureEncoder(*Input());
    SetMetadata();
    StartEncoder();
  } catch (...) {
    FEncoder.reset();
    FMetadata.reset();
    AbandonPrepare(inputStarted);
    throw;
  }
}

int32_t TFLACOut::FillReadBlock() {
  size_t filled = 0;
  while (filled < FReadBlock.size()) {
    const int32_t count = ReadInput(std::span<uint8_t>(FReadBlock).subspan(filled));
    if (count <= 0) {
      FEndOfInput = true;
      break;
    }
    filled += static_cast<size_t>(count);
  }
  return static_cast<int32_t>(filled);
}

bool TFLACOut::DoOutput(bool abort) {
  bool result = false;
  if (!BeginChunk(abort, result)) {
    return result;
  }
  if (FEndOfInput) {
    return false;
  }
  const int32_t bytes = FillReadBlock();
  if (bytes == 0) {
    return false;
  }
  const auto width = static_cast<size_t>(FBitsPerSample / 8);
  const size_t samples = static_cast<size_t>(bytes) / width;
  FSamples.resize(samples);
  if (width == 1) {
    for (size_t i = 0; i < samples; ++i) {
      FSamples[i] = static_cast<int32_t>(FReadBlock[i]) - 128;
    }
  } else {
    // Little-endian samples, sign-extended from their top byte.
    const int unused = 32 - FBitsPerSample;
    for (size_t i = 0; i < samples; ++i) {
      uint32_t value = 0;
      for (size_t b = 0; b < width; ++b) {
        value |= static_cast<uint32_t>(FReadBlock[i * width + b]) << (8 * b);
      }
      FSamples[i] = static_cast<int32_t>(value << unused) >> unused;
    }
  }
  const auto frames = static_cast<uint32_t>(samples / static_cast<size_t>(FChannels));
  if (!FLACLibrary().FLAC__stream_encoder_process_interleaved(AsEncoder(FEncoder.get()), FSamples.data(), frames)) {
    throw EACSException(FWriteFailure.empty() ? std::string("Failed to encode data.") : FWriteFailure);
  }
  return true;
}

void TFLACOut::FinishEncoder() {
  if (!FEncoder) {
    return;
  }
  // The library encodes what it still holds and rewrites the stream information at the start.
  const bool finished = FLACLibrary().FLAC__stream_encoder_finish(AsEncoder(FEncoder.get()));
  FEncoder.reset();
  FMetadata.reset();
  if (!finished) {
    throw EACSException(FWriteFailure.empty() ? FFileName + ": the FLAC stream could not be completed" : FWriteFailure);
  }
}

void TFLACOut::Done() {
  std::exception_ptr failure;
  try {
    FinishEncoder();
  } catch (...) {
    failure = std::current_exception();
  }
  FReadBlock = {};
  FSamples = {};
  ReleaseStream();
  FlushInput();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

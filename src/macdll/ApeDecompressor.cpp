#include "macdll/ApeDecompressor.h"

#include <algorithm>
#include <climits>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "macdll/MACDllApi.h"

namespace {

int ClampToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

}  // namespace

void TApeDecompressor::TFFmpegDeleter::operator()(AVFormatContext* context) const { avformat_close_input(&context); }
void TApeDecompressor::TFFmpegDeleter::operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
void TApeDecompressor::TFFmpegDeleter::operator()(AVFrame* frame) const { av_frame_free(&frame); }
void TApeDecompressor::TFFmpegDeleter::operator()(AVPacket* packet) const { av_packet_free(&packet); }

TApeDecompressor::TApeDecompressor() = default;
TApeDecompressor::~TApeDecompressor() = default;

int TApeDecompressor::Open(const char* fileName) {
  if (fileName == nullptr) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  if (!ReadApeHeader(fileName, FHeader)) {
    return MAC_ERROR_INVALID_INPUT_FILE;
  }
  // The demuxer allocates the seek table it is told of before reading it: a few damaged bytes
  // must not make it claim gigabytes.
  if (FHeader.SeekTableBytes > FHeader.FileSize) {
    return MAC_ERROR_INVALID_INPUT_FILE;
  }
  FHeaderKnown = FHeader.CurrentLayout;
  if (FHeaderKnown && FHeader.TotalFrames == 0) {
    // A file that holds no audio at all: FFmpeg refuses it, but it is well-formed.
    const bool sound = (FHeader.Channels == 1 || FHeader.Channels == 2) && FHeader.SampleRate > 0 &&
                       (FHeader.BitsPerSample == 8 || FHeader.BitsPerSample == 16 || FHeader.BitsPerSample == 24);
    if (!sound) {
      return MAC_ERROR_INVALID_INPUT_FILE;
    }
    FSampleRate = static_cast<int>(std::min<uint32_t>(FHeader.SampleRate, INT_MAX));
    FBitsPerSample = FHeader.BitsPerSample;
    FChannels = FHeader.Channels;
    FEndOfStream = true;
    return MAC_ERROR_SUCCESS;
  }
  return OpenDecoder(fileName);
}

int TApeDecompressor::OpenDecoder(const char* fileName) {
  AVFormatContext* format = nullptr;
  const AVInputFormat* ape = av_find_input_format("ape");
  if (ape == nullptr) {
    return MAC_ERROR_INITIALIZING_UNMAC;
  }
  if (avformat_open_input(&format, fileName, ape, nullptr) < 0) {
    return MAC_ERROR_INVALID_INPUT_FILE;
  }
  FFormat.reset(format);
  if (FFormat->nb_streams < 1 || FFormat->streams[0]->codecpar->codec_id != AV_CODEC_ID_APE) {
    return MAC_ERROR_INVALID_INPUT_FILE;
  }
  FStreamIndex = 0;
  const AVStream* stream = FFormat->streams[0];
  const AVCodecParameters* parameters = stream->codecpar;
  FSampleRate = parameters->sample_rate;
  FChannels = parameters->ch_layout.nb_channels;
  FBitsPerSample = parameters->bits_per_coded_sample;
  if (FSampleRate <= 0 || FChannels < 1 || FChannels > 2 ||
      (FBitsPerSample != 8 && FBitsPerSample != 16 && FBitsPerSample != 24)) {
    return MAC_ERROR_INVALID_INPUT_FILE;
  }
  FTotalBlocks = stream->duration != AV_NOPTS_VALUE ? std::max<int64_t>(stream->duration, 0) : 0;

  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_APE);
  FCodec.reset(codec != nullptr ? avcodec_alloc_context3(codec) : nullptr);
  FFrame.reset(av_frame_alloc());
  FPacket.reset(av_packet_alloc());
  if (!FCodec || !FFrame || !FPacket) {
    return MAC_ERROR_INSUFFICIENT_MEMORY;
  }
  if (avcodec_parameters_to_context(FCodec.get(), parameters) < 0) {
    return MAC_ERROR_INITIALIZING_UNMAC;
  }
  // A frame whose CRC does not match is an error, not silently wrong audio.
  FCodec->err_recognition |= AV_EF_CRCCHECK;
  if (avcodec_open2(FCodec.get(), codec, nullptr) < 0) {
    return MAC_ERROR_INITIALIZING_UNMAC;
  }
  FDecodedBlock = 0;
  return MAC_ERROR_SUCCESS;
}

int TApeDecompressor::FeedPacket() {
  while (true) {
    const int read = av_read_frame(FFormat.get(), FPacket.get());
    if (read < 0) {
      // End of file (or an unreadable rest): let the decoder hand out what it still holds.
      FDraining = true;
      avcodec_send_packet(FCodec.get(), nullptr);
      return MAC_ERROR_SUCCESS;
    }
    if (FPacket->stream_index != FStreamIndex) {
      av_packet_unref(FPacket.get());
      continue;
    }
    if (FDecodedBlock < 0) {
      FDecodedBlock = FPacket->pts != AV_NOPTS_VALUE ? FPacket->pts : FCurrentBlock;
    }
    const int sent = avcodec_send_packet(FCodec.get(), FPacket.get());
    av_packet_unref(FPacket.get());
    return sent < 0 ? MAC_ERROR_DECOMPRESSING_FRAME : MAC_ERROR_SUCCESS;
  }
}

void TApeDecompressor::TakeFrame() {
  const int blocks = FFrame->nb_samples;
  const int channels = std::min(FFrame->ch_layout.nb_channels, FChannels);
  // Blocks before a seek target are decoded only to reach it.
  const int64_t skip = std::clamp<int64_t>(FCurrentBlock - FDecodedBlock, 0, blocks);
  FDecodedBlock += blocks;
  const int bytesPerSample = FBitsPerSample / 8;
  const size_t align = static_cast<size_t>(bytesPerSample) * FChannels;
  FPending.erase(FPending.begin(), FPending.begin() + static_cast<std::ptrdiff_t>(FPendingStart));
  FPendingStart = 0;
  const size_t start = FPending.size();
  FPending.resize(start + static_cast<size_t>(blocks - skip) * align, 0);
  uint8_t* const out = FPending.data() + start;
  // Interleaves the decoder's planes; one loop per sample format keeps the per-sample work small.
  const auto interleave = [&](auto put) {
    for (int c = 0; c < channels; ++c) {
      const uint8_t* plane = FFrame->extended_data[c];
      uint8_t* target = out + static_cast<size_t>(c * bytesPerSample);
      for (int64_t n = skip; n < blocks; ++n, target += align) {
        put(target, plane, n);
      }
    }
  };
  switch (FFrame->format) {
    case AV_SAMPLE_FMT_U8P:
      interleave([](uint8_t* target, const uint8_t* plane, int64_t n) { *target = plane[n]; });
      break;
    case AV_SAMPLE_FMT_S16P:
      interleave([](uint8_t* target, const uint8_t* plane, int64_t n) { std::memcpy(target, plane + 2 * n, 2); });
      break;
    default:
      // 24-bit audio comes as 32-bit samples holding the value in the top three bytes.
      interleave([](uint8_t* target, const uint8_t* plane, int64_t n) {
        int32_t value;
        std::memcpy(&value, plane + 4 * n, 4);
        const uint32_t sample = static_cast<uint32_t>(value) >> 8;
        target[0] = static_cast<uint8_t>(sample);
        target[1] = static_cast<uint8_t>(sample >> 8);
        target[2] = static_cast<uint8_t>(sample >> 16);
      });
  }
}

int TApeDecompressor::DecodeMore() {
  while (true) {
    const int received = avcodec_receive_frame(FCodec.get(), FFrame.get());
    if (received == 0) {
      TakeFrame();
      av_frame_unref(FFrame.get());
      return MAC_ERROR_SUCCESS;
    }
    if (received == AVERROR_EOF) {
      FEndOfStream = true;
      return MAC_ERROR_SUCCESS;
    }
    if (received != AVERROR(EAGAIN)) {
      FEndOfStream = true;
      return MAC_ERROR_DECOMPRESSING_FRAME;
    }
    if (FDraining) {
      FEndOfStream = true;
      return MAC_ERROR_SUCCESS;
    }
    const int fed = FeedPacket();
    if (fed != MAC_ERROR_SUCCESS) {
      FEndOfStream = true;
      return fed;
    }
  }
}

int TApeDecompressor::GetData(uint8_t* buffer, int blocks, int& blocksRetrieved) {
  blocksRetrieved = 0;
  if (buffer == nullptr || blocks < 0) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  const size_t align = static_cast<size_t>(FBitsPerSample / 8) * FChannels;
  while (blocksRetrieved < blocks) {
    const size_t available = (FPending.size() - FPendingStart) / align;
    if (available > 0) {
      const size_t n = std::min<size_t>(available, static_cast<size_t>(blocks - blocksRetrieved));
      std::memcpy(buffer + static_cast<size_t>(blocksRetrieved) * align, FPending.data() + FPendingStart, n * align);
      FPendingStart += n * align;
      blocksRetrieved += static_cast<int>(n);
      FCurrentBlock += static_cast<int64_t>(n);
      continue;
    }
    if (FEndOfStream) {
      break;
    }
    const int result = DecodeMore();
    if (result != MAC_ERROR_SUCCESS) {
      return result;
    }
  }
  return MAC_ERROR_SUCCESS;
}

int TApeDecompressor::Seek(int64_t block) {
  if (block < 0) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  block = std::min(block, FTotalBlocks);
  FCurrentBlock = block;
  FPending.clear();
  FPendingStart = 0;
  if (!FFormat) {
    return MAC_ERROR_SUCCESS;
  }
  if (av_seek_frame(FFormat.get(), FStreamIndex, block, AVSEEK_FLAG_BACKWARD) < 0) {
    FEndOfStream = true;
    return MAC_ERROR_IO_READ;
  }
  avcodec_flush_buffers(FCodec.get());
  FDecodedBlock = -1;
  FEndOfStream = false;
  FDraining = false;
  return MAC_ERROR_SUCCESS;
}

int64_t TApeDecompressor::LengthMs() const {
  return FSampleRate > 0 ? FTotalBlocks * 1000 / FSampleRate : 0;
}

int TApeDecompressor::GetInfo(int field) const {
  const int64_t align = static_cast<int64_t>(FBitsPerSample / 8) * FChannels;
  switch (field) {
    case APE_INFO_FILE_VERSION:
      return FHeaderKnown ? FHeader.Version : 0;
    case APE_INFO_COMPRESSION_LEVEL:
      return FHeaderKnown ? FHeader.Level : 0;
    case APE_INFO_FORMAT_FLAGS:
      return FHeaderKnown ? FHeader.Flags : 0;
    case APE_INFO_SAMPLE_RATE:
      return FSampleRate;
    case APE_INFO_BITS_PER_SAMPLE:
      return FBitsPerSample;
    case APE_INFO_BYTES_PER_SAMPLE:
      return FBitsPerSample / 8;
    case APE_INFO_CHANNELS:
      return FChannels;
    case APE_INFO_BLOCK_ALIGN:
      return static_cast<int>(align);
    case APE_INFO_BLOCKS_PER_FRAME:
      return FHeaderKnown ? ClampToInt(FHeader.BlocksPerFrame) : 0;
    case APE_INFO_FINAL_FRAME_BLOCKS:
      return FHeaderKnown ? ClampToInt(FHeader.FinalFrameBlocks) : 0;
    case APE_INFO_TOTAL_FRAMES:
      return FHeaderKnown ? ClampToInt(FHeader.TotalFrames) : 0;
    case APE_INFO_WAV_DATA_BYTES:
      return ClampToInt(FTotalBlocks * align);
    case APE_INFO_TOTAL_BLOCKS:
    case APE_DECOMPRESS_TOTAL_BLOCKS:
      return ClampToInt(FTotalBlocks);
    case APE_INFO_LENGTH_MS:
    case APE_DECOMPRESS_LENGTH_MS:
      return ClampToInt(LengthMs());
    case APE_DECOMPRESS_CURRENT_BLOCK:
      return ClampToInt(FCurrentBlock);
    case APE_DECOMPRESS_CURRENT_MS:
      return FSampleRate > 0 ? ClampToInt(FCurrentBlock * 1000 / FSampleRate) : 0;
    default:
      return 0;
  }
}

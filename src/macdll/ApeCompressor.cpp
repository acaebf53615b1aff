#include "macdll/ApeCompressor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <future>
#include <new>

namespace {

constexpr uint16_t FileVersion = 3990;
constexpr uint16_t FlagCreateWavHeader = 32;

void AppendLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t value) {
  AppendLe16(out, value & 0xFFFF);
  AppendLe16(out, value >> 16);
}

bool IsLevel(int level) { return level >= 1000 && level <= 5000 && level % 1000 == 0; }

}  // namespace

TApeCompressor::TApeCompressor() = default;

TApeCompressor::~TApeCompressor() {
  if (FStarted) {
    Kill();
  }
}

int TApeCompressor::Fail(int code) { return FailOnFile(code, FFile); }

int TApeCompressor::FailOnFile(int code, const TRawFile& file) {
  if (FError == MAC_ERROR_SUCCESS) {
    FError = code;
    FSystemError = code == MAC_ERROR_IO_WRITE || code == MAC_ERROR_IO_READ ? file.LastError() : 0;
  }
  return FError;
}

int TApeCompressor::Start(const char* outputFile, const TMACWaveFormatEx* waveFormat, int maxAudioBytes, int level,
                          const void* headerData, int headerBytes) {
  if (FStarted || outputFile == nullptr || waveFormat == nullptr) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  if (waveFormat->wFormatTag != 1) {
    return MAC_ERROR_UNSUPPORTED_FILE_TYPE;
  }
  const uint16_t bits = waveFormat->wBitsPerSample;
  if (bits != 8 && bits != 16 && bits != 24) {
    return MAC_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH;
  }
  if (waveFormat->nChannels != 1 && waveFormat->nChannels != 2) {
    return MAC_ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT;
  }
  if (waveFormat->nSamplesPerSec == 0) {
    return MAC_ERROR_INPUT_FILE_UNSUPPORTED_SAMPLE_RATE;
  }
  if (!IsLevel(level)) {
    return MAC_ERROR_BAD_PARAMETER;
  }
  FFileName = outputFile;
  if (!FFile.Create(FFileName)) {
    FSystemError = FFile.LastError();
    return MAC_ERROR_INVALID_OUTPUT_FILE;
  }
  // Loud 24-bit stereo can overflow the predictor's 32-bit sums. Up to level 4000 FFmpeg's decoders
  // wrap around as we do; at 5000 some compute the stereo predictor exactly instead, so 24-bit
  // stereo is coded at 4000. Mono wraps around at every level.
  FLevel = bits == 24 && waveFormat->nChannels == 2 && level == 5000 ? 4000 : level;
  FChannels = waveFormat->nChannels;
  FBitsPerSample = waveFormat->wBitsPerSample;
  FSampleRate = waveFormat->nSamplesPerSec;
  FBlockAlign = FChannels * (FBitsPerSample / 8u);
  if (headerData != nullptr && headerBytes > 0) {
    const auto* bytes = static_cast<const uint8_t*>(headerData);
    FWavHeader.assign(bytes, bytes + headerBytes);
  }
  try {
    const std::vector<uint32_t> lengths = FrameLengthsOfLevel(FLevel);
    FInput.assign(static_cast<size_t>(lengths.front()) * FBlockAlign, 0);
    // With the amount announced the seek table's size is known and the longest frames go straight
    // to their final place; otherwise Finish moves them once behind the table.
    const uint64_t expectedBlocks = maxAudioBytes > 0 ? static_cast<uint64_t>(maxAudioBytes) / FBlockAlign : 0;
    const uint64_t expectedFrames = (expectedBlocks + lengths.front() - 1) / lengths.front();
    const int64_t dataStart = DescriptorBytes + HeaderBytes + 4 * static_cast<int64_t>(expectedFrames) +
                              static_cast<int64_t>(FWavHeader.size());
    const TFrameEncoder encoder(FChannels, FBitsPerSample, FLevel);
    FTakes.push_back(std::make_unique<TCodedTake>(encoder, lengths.front(), FFile, dataStart, FWavHeader));
    // A length without a scratch file is simply not tried.
    for (auto length = lengths.begin() + 1; length != lengths.end(); ++length) {
      auto take = std::make_unique<TCodedTake>(encoder, *length, FFileName, FWavHeader);
      if (take->Ready()) {
        FTakes.push_back(std::move(take));
      }
    }
  } catch (const std::bad_alloc&) {
    Kill();
    return MAC_ERROR_INSUFFICIENT_MEMORY;
  }
  FStarted = true;
  return MAC_ERROR_SUCCESS;
}

uint8_t* TApeCompressor::LockBuffer(int& bytesAvailable) {
  if (!FStarted || FError != MAC_ERROR_SUCCESS) {
    bytesAvailable = 0;
    return nullptr;
  }
  bytesAvailable = BufferBytesAvailable();
  return FInput.data() + FFilled;
}

int TApeCompressor::BufferBytesAvailable() const {
  return FStarted ? static_cast<int>(FInput.size() - FFilled) : 0;
}

int TApeCompressor::UnlockBuffer(int bytesAdded) {
  if (!FStarted) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  if (FError != MAC_ERROR_SUCCESS) {
    return FError;
  }
  if (bytesAdded < 0 || static_cast<size_t>(bytesAdded) > FInput.size() - FFilled) {
    return MAC_ERROR_BAD_PARAMETER;
  }
  // The header counts blocks in 32 bits.
  if (FTotalBlocks + (FFilled + static_cast<uint64_t>(bytesAdded)) / FBlockAlign > UINT32_MAX) {
    return Fail(MAC_ERROR_APE_COMPRESS_TOO_MUCH_DATA);
  }
  FFilled += static_cast<size_t>(bytesAdded);
  if (FFilled == FInput.size()) {
    return CodeBuffered();
  }
  return MAC_ERROR_SUCCESS;
}

int TApeCompressor::AddData(const uint8_t* data, int bytes) {
  if (data == nullptr || bytes < 0) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  int placed = 0;
  while (placed < bytes) {
    int available = 0;
    uint8_t* target = LockBuffer(available);
    if (target == nullptr) {
      return FError != MAC_ERROR_SUCCESS ? FError : MAC_ERROR_INVALID_FUNCTION_PARAMETER;
    }
    const int n = std::min(available, bytes - placed);
    std::memcpy(target, data + placed, static_cast<size_t>(n));
    const int result = UnlockBuffer(n);
    if (result != MAC_ERROR_SUCCESS) {
      return result;
    }
    placed += n;
  }
  return MAC_ERROR_SUCCESS;
}

int TApeCompressor::CodeBuffered() {
  const size_t blocks = FFilled / FBlockAlign;
  FFilled = 0;
  if (blocks == 0) {
    return MAC_ERROR_SUCCESS;
  }
  const std::span<const uint8_t> pcm(FInput.data(), blocks * FBlockAlign);
  FTotalBlocks += blocks;
  // The takes share nothing but the input, so the scratch ones are coded beside the first.
  std::vector<std::future<int>> scratchCoded;
  for (auto take = FTakes.begin() + 1; take != FTakes.end(); ++take) {
    scratchCoded.push_back(std::async(std::launch::async | std::launch::deferred, [this, pcm, &take = **take] {
      return take.Code(pcm, FBlockAlign, FWavHeader.size());
    }));
  }
  const int coded = FTakes.front()->Code(pcm, FBlockAlign, FWavHeader.size());
  // A scratch take only ever offers a smaller file; when it cannot go on, the others will do.
  for (size_t i = 0; i < scratchCoded.size(); ++i) {
    if (scratchCoded[i].get() != MAC_ERROR_SUCCESS) {
      FTakes[i + 1].reset();
    }
  }
  std::erase(FTakes, nullptr);
  return coded == MAC_ERROR_SUCCESS ? coded : Fail(coded);
}

TCodedTake& TApeCompressor::Kept() {
  TCodedTake* kept = FTakes.front().get();
  for (auto take = FTakes.begin() + 1; take != FTakes.end(); ++take) {
    if ((*take)->Finish() == MAC_ERROR_SUCCESS && (*take)->FileBytes() < kept->FileBytes()) {
      kept = take->get();
    }
  }
  return *kept;
}

int TApeCompressor::PlaceFrameData(TCodedTake& take, int64_t firstFrame) {
  if (&take != FTakes.front().get()) {
    if (!FFile.CopyFrom(take.File(), take.DataStart(), firstFrame, static_cast<int64_t>(take.StoredBytes()))) {
      return Fail(MAC_ERROR_IO_WRITE);
    }
  } else if (firstFrame != take.DataStart() &&
             !FFile.Move(take.DataStart(), firstFrame, static_cast<int64_t>(take.StoredBytes()))) {
    return Fail(MAC_ERROR_IO_WRITE);
  }
  take.SetDataStart(firstFrame);
  return MAC_ERROR_SUCCESS;
}

std::vector<uint8_t> TApeCompressor::BuildHeader(const TCodedTake& take) const {
  std::vector<uint8_t> header;
  AppendLe16(header, static_cast<uint32_t>(FLevel));
  AppendLe16(header, FWavHeader.empty() ? FlagCreateWavHeader : 0);
  AppendLe32(header, take.BlocksPerFrame());
  AppendLe32(header, take.FinalFrameBlocks());
  AppendLe32(header, static_cast<uint32_t>(take.FrameOffsets().size()));
  AppendLe16(header, FBitsPerSample);
  AppendLe16(header, FChannels);
  AppendLe32(header, FSampleRate);
  return header;
}

std::vector<uint8_t> TApeCompressor::BuildSeekTable(const TCodedTake& take, int64_t firstFrame) {
  std::vector<uint8_t> table;
  for (uint64_t offset : take.FrameOffsets()) {
    AppendLe32(table, static_cast<uint32_t>(static_cast<uint64_t>(firstFrame) + offset));
  }
  return table;
}

std::vector<uint8_t> TApeCompressor::BuildDescriptor(const TCodedTake& take, int terminatingBytes,
                                                     const uint8_t* md5) const {
  std::vector<uint8_t> descriptor = {'M', 'A', 'C', ' '};
  AppendLe16(descriptor, FileVersion);
  AppendLe16(descriptor, 0);
  AppendLe32(descriptor, DescriptorBytes);
  AppendLe32(descriptor, HeaderBytes);
  AppendLe32(descriptor, static_cast<uint32_t>(4 * take.FrameOffsets().size()));
  AppendLe32(descriptor, static_cast<uint32_t>(FWavHeader.size()));
  AppendLe32(descriptor, static_cast<uint32_t>(take.StoredBytes()));
  AppendLe32(descriptor, static_cast<uint32_t>(take.StoredBytes() >> 32));
  AppendLe32(descriptor, static_cast<uint32_t>(terminatingBytes));
  descriptor.insert(descriptor.end(), md5, md5 + 16);
  return descriptor;
}

int TApeCompressor::Finish(const uint8_t* terminatingData, int terminatingBytes) {
  if (!FStarted) {
    return MAC_ERROR_INVALID_FUNCTION_PARAMETER;
  }
  if (terminatingData == nullptr || terminatingBytes < 0) {
    terminatingBytes = 0;
  }
  int result = FError;
  if (result == MAC_ERROR_SUCCESS) {
    result = CodeBuffered();
  }
  if (result == MAC_ERROR_SUCCESS) {
    const int finished = FTakes.front()->Finish();
    result = finished == MAC_ERROR_SUCCESS ? MAC_ERROR_SUCCESS : Fail(finished);
  }
  TCodedTake& take = Kept();
  const int64_t firstFrame = DescriptorBytes + HeaderBytes + 4 * static_cast<int64_t>(take.FrameOffsets().size()) +
                             static_cast<int64_t>(FWavHeader.size());
  if (result == MAC_ERROR_SUCCESS) {
    result = PlaceFrameData(take, firstFrame);
  }
  const int64_t tail = firstFrame + static_cast<int64_t>(take.StoredBytes());
  const std::span<const uint8_t> terminating(terminatingData, static_cast<size_t>(terminatingBytes));
  if (result == MAC_ERROR_SUCCESS && !FFile.WriteAt(tail, terminating)) {
    result = Fail(MAC_ERROR_IO_WRITE);
  }
  if (result != MAC_ERROR_SUCCESS) {
    Kill();
    return result;
  }
  const std::vector<uint8_t> header = BuildHeader(take);
  const std::vector<uint8_t> seekTable = BuildSeekTable(take, firstFrame);
  uint8_t md5[16];
  take.FinalMD5({terminating, header, seekTable}, md5);

  std::vector<uint8_t> front = BuildDescriptor(take, terminatingBytes, md5);
  front.insert(front.end(), header.begin(), header.end());
  front.insert(front.end(), seekTable.begin(), seekTable.end());
  front.insert(front.end(), FWavHeader.begin(), FWavHeader.end());
  if (!FFile.WriteAt(0, front) || !FFile.Truncate(tail + terminatingBytes)) {
    Fail(MAC_ERROR_IO_WRITE);
    Kill();
    return FError;
  }
  FFile.Close();
  FTakes.clear();
  FStarted = false;
  return MAC_ERROR_SUCCESS;
}

void TApeCompressor::Kill() {
  FTakes.clear();
  if (FFile.IsOpen()) {
    FFile.Close();
    std::remove(FFileName.c_str());
  }
  FStarted = false;
}

#include "macdll/CodedTake.h"

#include <algorithm>
#include <new>
#include <utility>

extern "C" {
#include <libavutil/md5.h>
#include <libavutil/mem.h>
}

#include "macdll/MACDllApi.h"

namespace {

constexpr uint64_t FixedHeaderBytes = 52 + 24;  // descriptor and header

}  // namespace

void TCodedTake::TMD5Deleter::operator()(AVMD5* context) const { av_free(context); }

TCodedTake::TCodedTake(TFrameEncoder encoder, uint32_t blocksPerFrame, TRawFile& file, int64_t dataStart,
                       std::span<const uint8_t> wavHeader)
    : FEncoder(std::move(encoder)),
      FBlocksPerFrame(blocksPerFrame), FFile(file), FDataStart(dataStart), FMD5(av_md5_alloc()) {
  if (!FMD5) {
    throw std::bad_alloc();
  }
  av_md5_init(FMD5.get());
  av_md5_update(FMD5.get(), wavHeader.data(), wavHeader.size());
}

TCodedTake::TCodedTake(TFrameEncoder encoder, uint32_t blocksPerFrame, const std::string& outputFile,
                       std::span<const uint8_t> wavHeader)
    : TCodedTake(std::move(encoder), blocksPerFrame, FScratch, 0, wavHeader) {
  FScratch.CreateScratch(outputFile);
}

TCodedTake::~TCodedTake() = default;

int TCodedTake::Code(std::span<const uint8_t> pcm, uint32_t blockAlign, size_t wavHeaderBytes) {
  const size_t frameBytes = static_cast<size_t>(FBlocksPerFrame) * blockAlign;
  for (size_t at = 0; at < pcm.size(); at += frameBytes) {
    const size_t bytes = std::min(frameBytes, pcm.size() - at);
    FFrameOffsets.push_back(FLogicalBytes);
    const size_t before = FLogical.size();
    FEncoder.Encode(pcm.subspan(at, bytes), FLogical);
    FLogicalBytes += FLogical.size() - before;
    FFinalFrameBlocks = static_cast<uint32_t>(bytes / blockAlign);
    // Seek table entries are 32-bit offsets from the start of the file.
    if (FixedHeaderBytes + 4 * FFrameOffsets.size() + wavHeaderBytes + FLogicalBytes > UINT32_MAX) {
      return MAC_ERROR_APE_COMPRESS_TOO_MUCH_DATA;
    }
    const int stored = Store();
    if (stored != MAC_ERROR_SUCCESS) {
      return stored;
    }
  }
  return MAC_ERROR_SUCCESS;
}

int TCodedTake::Finish() {
  FLogical.resize((FLogical.size() + 3) / 4 * 4, 0);
  return Store();
}

int TCodedTake::Store() {
  // The coder fills 32-bit words from the top; the words are stored little-endian.
  const size_t whole = FLogical.size() / 4 * 4;
  for (size_t i = 0; i < whole; i += 4) {
    std::swap(FLogical[i], FLogical[i + 3]);
    std::swap(FLogical[i + 1], FLogical[i + 2]);
  }
  const std::span<const uint8_t> stored(FLogical.data(), whole);
  if (!FFile.WriteAt(FDataStart + static_cast<int64_t>(FStoredBytes), stored)) {
    return MAC_ERROR_IO_WRITE;
  }
  av_md5_update(FMD5.get(), stored.data(), stored.size());
  FStoredBytes += whole;
  FLogical.erase(FLogical.begin(), FLogical.begin() + static_cast<std::ptrdiff_t>(whole));
  return MAC_ERROR_SUCCESS;
}

void TCodedTake::FinalMD5(std::initializer_list<std::span<const uint8_t>> tail, uint8_t md5[16]) {
  for (const std::span<const uint8_t> part : tail) {
    av_md5_update(FMD5.get(), part.data(), part.size());
  }
  av_md5_final(FMD5.get(), md5);
}

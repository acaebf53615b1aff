#include "tags/ReadCache.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

TReadCache::TReadCache(TStream& source) : FSource(source), FSize(source.Size()) {}

void TReadCache::Write(std::span<const uint8_t>) { throw std::logic_error("TReadCache is read-only"); }

int64_t TReadCache::Seek(int64_t position) {
  FPosition = std::max<int64_t>(position, 0);
  return FPosition;
}

const TReadCache::TBlock& TReadCache::BlockAt(int64_t start) {
  ++FClock;
  for (TBlock& block : FBlocks) {
    if (block.Start == start) {
      block.LastUse = FClock;
      return block;
    }
  }
  if (FBlocks.size() < MaxBlocks) {
    FBlocks.emplace_back();
  }
  TBlock& block = *std::min_element(FBlocks.begin(), FBlocks.end(),
                                    [](const TBlock& a, const TBlock& b) { return a.LastUse < b.LastUse; });
  block.Start = -1;
  block.Bytes.resize(static_cast<size_t>(std::min(BlockSize, FSize - start)));
  FSource.Seek(start);
  block.Bytes.resize(static_cast<size_t>(FSource.Read(block.Bytes)));
  block.Start = start;
  block.LastUse = FClock;
  return block;
}

int64_t TReadCache::Read(std::span<uint8_t> buffer) {
  size_t done = 0;
  while (done < buffer.size() && FPosition < FSize) {
    if (buffer.size() - done >= static_cast<size_t>(BlockSize)) {
      // A large read (a cover, a long tag) goes straight to the file: through the blocks it would
      // take a system call per block and one more copy.
      FSource.Seek(FPosition);
      const int64_t count = FSource.Read(buffer.subspan(done));
      done += static_cast<size_t>(count);
      FPosition += count;
      break;
    }
    // The file's last bytes come in one block that ends with the file, so the tag trailers and
    // the last page a reader looks for there take one read, not two.
    const int64_t tail = std::max<int64_t>(FSize - BlockSize, 0);
    const int64_t start = FPosition >= tail ? tail : FPosition / BlockSize * BlockSize;
    const TBlock& block = BlockAt(start);
    const int64_t offset = FPosition - start;
    if (offset >= static_cast<int64_t>(block.Bytes.size())) {
      break;
    }
    const size_t count = std::min(buffer.size() - done, block.Bytes.size() - static_cast<size_t>(offset));
    std::memcpy(buffer.data() + done, block.Bytes.data() + offset, count);
    done += count;
    FPosition += static_cast<int64_t>(count);
  }
  return static_cast<int64_t>(done);
}

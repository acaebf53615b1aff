#pragma once

// A read-only view of a stream that fetches it in aligned blocks and keeps the last few: the
// readers make many small reads near the start and the end of a file, and this turns them into
// a handful of system calls.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Streams.h"

class TReadCache : public TStream {
public:
  explicit TReadCache(TStream& source);

  int64_t Read(std::span<uint8_t> buffer) override;
  // Writing through the cache would leave it stale; the readers never write.
  void Write(std::span<const uint8_t> buffer) override;
  int64_t Seek(int64_t position) override;
  int64_t Position() const override { return FPosition; }
  int64_t Size() const override { return FSize; }

  static constexpr int64_t BlockSize = 4096;
  static constexpr size_t MaxBlocks = 4;

private:
  struct TBlock {
    int64_t Start = -1;
    std::vector<uint8_t> Bytes;
    uint64_t LastUse = 0;
  };
  const TBlock& BlockAt(int64_t start);

  TStream& FSource;
  int64_t FSize;
  int64_t FPosition = 0;
  uint64_t FClock = 0;
  std::vector<TBlock> FBlocks;
};

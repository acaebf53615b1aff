#pragma once

// The file a reader looks at: opened read-only without waiting (a pipe named like a song must
// not block), refused unless it is a regular file, its size taken once.

#include <cstdint>
#include <span>
#include <string>

#include "platform/Streams.h"

class TReaderFile : public TStream {
public:
  // Throws EStreamError naming the file and the reason.
  explicit TReaderFile(const std::string& fileName);
  ~TReaderFile() override;
  TReaderFile(const TReaderFile&) = delete;
  TReaderFile& operator=(const TReaderFile&) = delete;

  int64_t Read(std::span<uint8_t> buffer) override;
  void Write(std::span<const uint8_t> buffer) override;
  int64_t Seek(int64_t position) override;
  int64_t Position() const override { return FPosition; }
  int64_t Size() const override { return FSize; }

private:
  std::string FFileName;
  int FHandle = -1;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

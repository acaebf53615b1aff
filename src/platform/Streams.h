#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Byte streams: every file and memory image the pipeline reads or writes goes through one of these.
class TStream {
public:
  virtual ~TStream() = default;

  // Reads up to buffer.size() bytes; fewer only at the end of the stream. Throws on an I/O error.
  virtual int64_t Read(std::span<uint8_t> buffer) = 0;
  // Writes all bytes or throws (a short write is an error, for example a full disk).
  virtual void Write(std::span<const uint8_t> buffer) = 0;
  virtual int64_t Seek(int64_t position) = 0;  // from the start; returns the new position
  virtual int64_t Position() const = 0;
  virtual int64_t Size() const = 0;

  // Reads exactly buffer.size() bytes; false (with the position unspecified) when the stream ends first.
  bool ReadExact(std::span<uint8_t> buffer);
  int64_t SeekToEnd() { return Seek(Size()); }
};

enum TFileOpenMode {
  fmOpenRead,                // an existing regular file, read only; a pipe or device is refused
  fmCreate,                  // created or truncated, read and write
  fmOpenReadWriteExclusive,  // an existing file, read and write, no other writer at the same time
};

// Unbuffered file stream: callers read and write in large pieces of their own.
class TFileStream : public TStream {
public:
  // Throws EStreamError naming the file and the reason.
  TFileStream(const std::string& fileName, TFileOpenMode mode);
  // Takes over an open handle for reading and writing; `fileName` is the name messages give.
  TFileStream(int handle, const std::string& fileName);
  ~TFileStream() override;

  int64_t Read(std::span<uint8_t> buffer) override;
  void Write(std::span<const uint8_t> buffer) override;
  int64_t Seek(int64_t position) override;
  int64_t Position() const override { return FPosition; }
  int64_t Size() const override;

  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
  int FHandle = -1;
  int64_t FPosition = 0;
  int64_t FReadOnlySize = -1;  // taken once for a file opened read only
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}

  int64_t Read(std::span<uint8_t> buffer) override;
  void Write(std::span<const uint8_t> buffer) override;
  int64_t Seek(int64_t position) override;
  int64_t Position() const override { return FPosition; }
  int64_t Size() const override { return static_cast<int64_t>(FBytes.size()); }

  const std::vector<uint8_t>& Bytes() const { return FBytes; }
  std::vector<uint8_t>& Bytes() { return FBytes; }

private:
  std::vector<uint8_t> FBytes;
  int64_t FPosition = 0;
};

#pragma once

// A file read and written at explicit offsets, closed with the object.

#include <cstdint>
#include <span>
#include <string>

class TRawFile {
public:
  TRawFile() = default;
  ~TRawFile();
  TRawFile(const TRawFile&) = delete;
  TRawFile& operator=(const TRawFile&) = delete;

  // Creates (or empties) the file for reading and writing; false when that is impossible.
  bool Create(const std::string& fileName);
  // Creates a file without a name in the folder of `besideFile`, or else in the temporary folder:
  // it never shows in a folder and is gone when closed.
  bool CreateScratch(const std::string& besideFile);
  // Opens an existing file for reading, or for reading and writing.
  bool Open(const std::string& fileName, bool writable);
  void Close();
  bool IsOpen() const { return FHandle >= 0; }

  bool WriteAt(int64_t offset, std::span<const uint8_t> bytes);
  // Reads exactly bytes.size() bytes; false on a short read.
  bool ReadAt(int64_t offset, std::span<uint8_t> bytes);
  bool Truncate(int64_t length);
  int64_t Size() const;
  // Moves `length` bytes from `from` to `to` inside the file (the ranges may overlap).
  bool Move(int64_t from, int64_t to, int64_t length);
  // Copies `length` bytes at `from` in `source` to `to` in this file.
  bool CopyFrom(TRawFile& source, int64_t from, int64_t to, int64_t length);
  // The system's reason for the last call that failed (an errno value), 0 when none has.
  int LastError() const { return FLastError; }

private:
  bool Failed();

  int FHandle = -1;
  int FLastError = 0;
};

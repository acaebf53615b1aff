#include "macdll/RawFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

TRawFile::~TRawFile() { Close(); }

bool TRawFile::Failed() {
  // A write that took nothing without saying why means the disk took no more.
  FLastError = errno != 0 ? errno : ENOSPC;
  return false;
}

bool TRawFile::Create(const std::string& fileName) {
  Close();
  FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return FHandle >= 0 || Failed();
}

bool TRawFile::CreateScratch(const std::string& besideFile) {
  Close();
  // Not every file system makes nameless files (FAT on a memory stick does not); the system's
  // temporary folder is the second choice.
  const std::filesystem::path folder = std::filesystem::path(besideFile).parent_path();
  std::error_code noTemporaryFolder;
  for (const std::filesystem::path& candidate :
       {folder.empty() ? std::filesystem::path(".") : folder, std::filesystem::temp_directory_path(noTemporaryFolder)}) {
    FHandle = candidate.empty() ? -1 : ::open(candidate.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    if (FHandle >= 0) {
      return true;
    }
  }
  return Failed();
}

bool TRawFile::Open(const std::string& fileName, bool writable) {
  Close();
  FHandle = ::open(fileName.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  return FHandle >= 0 || Failed();
}

void TRawFile::Close() {
  if (FHandle >= 0) {
    ::close(FHandle);
    FHandle = -1;
  }
}

bool TRawFile::WriteAt(int64_t offset, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    errno = 0;
    const ssize_t n = ::pwrite(FHandle, bytes.data() + done, bytes.size() - done, offset + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return Failed();
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TRawFile::ReadAt(int64_t offset, std::span<uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(FHandle, bytes.data() + done, bytes.size() - done, offset + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return Failed();
    }
    if (n == 0) {
      FLastError = 0;  // the file is shorter: no system failure
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TRawFile::Truncate(int64_t length) { return ::ftruncate(FHandle, length) == 0 || Failed(); }

int64_t TRawFile::Size() const {
  struct stat info {};
  return ::fstat(FHandle, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

namespace {

constexpr int64_t ChunkSize = 1 << 20;

}  // namespace

bool TRawFile::Move(int64_t from, int64_t to, int64_t length) {
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min(length, ChunkSize)));
  // Moving towards the end copies the last chunk first, so no byte is overwritten before it moved.
  const bool backwards = to > from;
  for (int64_t done = 0; done < length;) {
    const int64_t n = std::min(ChunkSize, length - done);
    const int64_t start = backwards ? length - done - n : done;
    const std::span<uint8_t> piece(chunk.data(), static_cast<size_t>(n));
    if (!ReadAt(from + start, piece) || !WriteAt(to + start, piece)) {
      return false;
    }
    done += n;
  }
  return true;
}

bool TRawFile::CopyFrom(TRawFile& source, int64_t from, int64_t to, int64_t length) {
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min(length, ChunkSize)));
  for (int64_t done = 0; done < length;) {
    const std::span<uint8_t> piece(chunk.data(), static_cast<size_t>(std::min(ChunkSize, length - done)));
    if (!source.ReadAt(from + done, piece)) {
      FLastError = source.LastError();
      return false;
    }
    if (!WriteAt(to + done, piece)) {
      return false;
    }
    done += static_cast<int64_t>(piece.size());
  }
  return true;
}

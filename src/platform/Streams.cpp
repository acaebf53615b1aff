#include "platform/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/StreamError.h"

bool TStream::ReadExact(std::span<uint8_t> buffer) {
  return Read(buffer) == static_cast<int64_t>(buffer.size());
}

namespace {
[[noreturn]] void Fail(const std::string& fileName, const char* what, int error) {
  throw EStreamError(fileName + ": " + what + " (" + std::strerror(error) + ")");
}
}  // namespace

TFileStream::TFileStream(const std::string& fileName, TFileOpenMode mode) : FFileName(fileName) {
  switch (mode) {
    case fmOpenRead:
      // Without waiting: a pipe named like a song must not block whoever reads it.
      FHandle = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      break;
    case fmCreate:
      FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      break;
    case fmOpenReadWriteExclusive:
      FHandle = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
      break;
  }
  if (FHandle < 0) {
    Fail(fileName, mode == fmCreate ? "cannot create" : "cannot open", errno);
  }
  struct stat info {};
  if (::fstat(FHandle, &info) != 0 || S_ISDIR(info.st_mode) || (mode == fmOpenRead && !S_ISREG(info.st_mode))) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno != 0 ? errno : EINVAL;
    ::close(FHandle);
    FHandle = -1;
    Fail(fileName, "not a regular file", error);
  }
  if (mode == fmOpenRead) {
    FReadOnlySize = static_cast<int64_t>(info.st_size);
  }
  if (mode == fmOpenReadWriteExclusive && ::flock(FHandle, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(FHandle);
    FHandle = -1;
    Fail(fileName, "file is in use", error);
  }
}

TFileStream::TFileStream(int handle, const std::string& fileName) : FFileName(fileName), FHandle(handle) {
  if (FHandle < 0) {
    Fail(fileName, "cannot open", errno != 0 ? errno : EBADF);
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) {
    ::close(FHandle);
  }
}

int64_t TFileStream::Read(std::span<uint8_t> buffer) {
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::pread(FHandle, buffer.data() + done, buffer.size() - done, FPosition);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail(FFileName, "cannot read", errno);
    }
    if (got == 0) {
      break;
    }
    done += static_cast<size_t>(got);
    FPosition += got;
  }
  return static_cast<int64_t>(done);
}

void TFileStream::Write(std::span<const uint8_t> buffer) {
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t put = ::pwrite(FHandle, buffer.data() + done, buffer.size() - done, FPosition);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail(FFileName, "cannot write", errno);
    }
    done += static_cast<size_t>(put);
    FPosition += put;
  }
}

int64_t TFileStream::Seek(int64_t position) {
  FPosition = std::max<int64_t>(position, 0);
  return FPosition;
}

int64_t TFileStream::Size() const {
  if (FReadOnlySize >= 0) {
    return FReadOnlySize;
  }
  struct stat info {};
  if (::fstat(FHandle, &info) != 0) {
    Fail(FFileName, "cannot read", errno);
  }
  return static_cast<int64_t>(info.st_size);
}

int64_t TMemoryStream::Read(std::span<uint8_t> buffer) {
  const int64_t available = std::max<int64_t>(Size() - FPosition, 0);
  const int64_t count = std::min<int64_t>(available, static_cast<int64_t>(buffer.size()));
  if (count > 0) {
    std::memcpy(buffer.data(), FBytes.data() + FPosition, static_cast<size_t>(count));
    FPosition += count;
  }
  return count;
}

void TMemoryStream::Write(std::span<const uint8_t> buffer) {
  const auto end = static_cast<size_t>(FPosition) + buffer.size();
  if (end > FBytes.size()) {
    FBytes.resize(end);
  }
  if (!buffer.empty()) {
    std::memcpy(FBytes.data() + FPosition, buffer.data(), buffer.size());
  }
  FPosition = static_cast<int64_t>(end);
}

int64_t TMemoryStream::Seek(int64_t position) {
  FPosition = std::max<int64_t>(position, 0);
  return FPosition;
}

#include "tags/ReaderFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/StreamError.h"

namespace {
[[noreturn]] void Fail(const std::string& fileName, const char* what, int error) {
  throw EStreamError(fileName + ": " + what + " (" + std::strerror(error) + ")");
}
}  // namespace

TReaderFile::TReaderFile(const std::string& fileName) : FFileName(fileName) {
  FHandle = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (FHandle < 0) {
    Fail(fileName, "cannot open", errno);
  }
  struct stat info {};
  if (::fstat(FHandle, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno != 0 ? errno : EINVAL;
    ::close(FHandle);
    FHandle = -1;
    Fail(fileName, "not a regular file", error);
  }
  FSize = static_cast<int64_t>(info.st_size);
}

TReaderFile::~TReaderFile() {
  if (FHandle >= 0) {
    ::close(FHandle);
  }
}

int64_t TReaderFile::Read(std::span<uint8_t> buffer) {
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

void TReaderFile::Write(std::span<const uint8_t>) { Fail(FFileName, "cannot write", EBADF); }

int64_t TReaderFile::Seek(int64_t position) {
  FPosition = std::max<int64_t>(position, 0);
  return FPosition;
}

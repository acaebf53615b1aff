#include "platform/OutputTransaction.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FreeName.h"
#include "platform/StreamError.h"

namespace {

[[noreturn]] void Fail(const std::string& fileName, const char* what, int error) {
  throw EStreamError(fileName + ": " + what + " (" + std::strerror(error) + ")");
}

std::string Folder(const std::string& fileName) {
  const std::string folder = std::filesystem::path(fileName).parent_path().string();
  return folder.empty() ? "." : folder;
}

std::string RandomPart() {
  static std::atomic<uint32_t> counter{0};
  const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const uint32_t value = (static_cast<uint32_t>(now ^ (now >> 32)) * 2654435761u) ^
                         (static_cast<uint32_t>(::getpid()) << 12) ^ (counter.fetch_add(1) * 40503u);
  char text[16];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

// Hidden, beside the final file, and short enough for any name the final one may have.
std::string TemporaryNameFor(const std::string& finalName) {
  constexpr size_t MaxBase = 200;
  std::string base = std::filesystem::path(finalName).filename().string();
  if (base.size() > MaxBase) {
    base.resize(MaxBase);
  }
  return Folder(finalName) + "/." + base + "." + RandomPart() + ".part";
}

bool NoReplaceUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

// Gives `from` the name `to` unless `to` exists; false with errno EEXIST when it does.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (!NoReplaceUnsupported(errno)) {
    return false;
  }
  // A hard link never replaces either; where the file system has neither, look before renaming.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno != EPERM && errno != ENOTSUP) {
    return false;
  }
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// The new name stays after a crash only once the folder itself is on the disk.
void SyncFolder(const std::string& fileName) {
  const int folder = ::open(Folder(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

}  // namespace

TOutputTransaction::TOutputTransaction(std::string finalName, bool replaceExisting)
    : FFinalName(std::move(finalName)), FReplaceExisting(replaceExisting) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    FTemporaryName = TemporaryNameFor(FFinalName);
    FHandle = ::open(FTemporaryName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (FHandle >= 0 || errno != EEXIST) {
      break;
    }
  }
  if (FHandle < 0) {
    FPending = false;
    Fail(FFinalName, "cannot create", errno);
  }
}

TOutputTransaction::~TOutputTransaction() { Abandon(); }

void TOutputTransaction::Abandon() {
  if (FHandle >= 0) {
    ::close(FHandle);
    FHandle = -1;
  }
  if (FPending) {
    FPending = false;
    ::unlink(FTemporaryName.c_str());
  }
}

std::string TOutputTransaction::Place() {
  if (FReplaceExisting) {
    if (::rename(FTemporaryName.c_str(), FFinalName.c_str()) == 0) {
      return FFinalName;
    }
    // Only a file is replaced; a folder of that name sends the output to a free name.
    if (errno != EISDIR && errno != ENOTEMPTY && errno != EEXIST) {
      Fail(FFinalName, "cannot create", errno);
    }
  }
  for (int number = 1; number < 100000; ++number) {
    const std::string name = NumberedName(FFinalName, number);
    if (RenameWithoutReplacing(FTemporaryName, name)) {
      return name;
    }
    if (errno != EEXIST) {
      Fail(name, "cannot create", errno);
    }
  }
  Fail(FFinalName, "cannot create", EEXIST);
}

std::string TOutputTransaction::Commit() {
  if (!FPending) {
    Fail(FFinalName, "cannot create", EBADF);
  }
  int error = 0;
  // Some special file systems cannot sync; their data is no less written.
  if (::fsync(FHandle) != 0 && errno != EINVAL) {
    error = errno;
  }
  if (::close(FHandle) != 0 && error == 0) {
    error = errno;
  }
  FHandle = -1;
  if (error != 0) {
    Abandon();
    Fail(FFinalName, "cannot write", error);
  }
  std::string name;
  try {
    name = Place();
  } catch (...) {
    Abandon();
    throw;
  }
  FPending = false;
  SyncFolder(name);
  return name;
}

std::string WriteNewFile(const std::string& fileName, std::string_view bytes) {
  TOutputTransaction transaction(fileName, false);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(transaction.Handle(), bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      Fail(fileName, "cannot write", errno);
    }
    done += static_cast<size_t>(put);
  }
  return transaction.Commit();
}

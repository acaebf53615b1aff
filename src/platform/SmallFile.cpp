#include "platform/SmallFile.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/StreamError.h"
#include "platform/Streams.h"

TSmallFile ReadSmallFile(const std::string& fileName, int64_t limit) {
  TSmallFile file;
  struct stat info {};
  if (::stat(fileName.c_str(), &info) != 0 && errno == ENOENT) {
    return file;
  }
  try {
    TFileStream stream(fileName, fmOpenRead);
    if (stream.Size() > limit) {
      file.Outcome = sfRefused;
      file.Problem = fileName + ": too large (over " + std::to_string(limit / 1024) + " KiB)";
      return file;
    }
    file.Text.resize(static_cast<size_t>(stream.Size()));
    const int64_t read = stream.Read(std::span(reinterpret_cast<uint8_t*>(file.Text.data()), file.Text.size()));
    file.Text.resize(static_cast<size_t>(read));
    file.Outcome = sfRead;
  } catch (const EStreamError& error) {
    file.Outcome = sfRefused;
    file.Problem = error.what();
  }
  return file;
}

#include "app/UpToDate.h"

#include <sys/stat.h>

bool OutputIsStale(const std::string& input, const std::string& output) {
  struct stat in {};
  struct stat out {};
  if (::stat(input.c_str(), &in) != 0 || ::lstat(output.c_str(), &out) != 0 || !S_ISREG(out.st_mode)) {
    return false;
  }
  if (out.st_mtim.tv_sec != in.st_mtim.tv_sec) {
    return out.st_mtim.tv_sec < in.st_mtim.tv_sec;
  }
  return out.st_mtim.tv_nsec < in.st_mtim.tv_nsec;
}

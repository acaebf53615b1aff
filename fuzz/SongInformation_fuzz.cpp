// ReadSongInformation takes a file name: the input is written to a temporary file whose name
// ends as the first input byte chooses, so every reader path is reached.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "FuzzStream.h"
#include "tags/SongInformation.h"
#include "tags/SongInformationJson.h"

namespace {

// One folder for the whole run, removed when the run ends (the name lives in plain storage, so
// it outlasts the destructors that run at exit).
char Folder[] = "/tmp/kestrune-fuzz-XXXXXX";

std::string TempFolder() {
  static const bool made = [] {
    if (::mkdtemp(Folder) == nullptr) {
      return false;
    }
    std::atexit([] { ::rmdir(Folder); });
    return true;
  }();
  return made ? Folder : "/tmp";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static constexpr std::array<const char*, 9> Endings = {".mp3", ".wma", ".ogg", ".ape", ".wav", ".flac", ".m4a", ".opus", ".txt"};
  if (size == 0) {
    return 0;
  }
  const std::string fileName = TempFolder() + "/input" + Endings[data[0] % Endings.size()];
  FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) {
    return 0;
  }
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);
  Use(SongInformationToJson(ReadSongInformation(fileName)));
  std::remove(fileName.c_str());
  return 0;
}

// Prints the file-info record of every file named on the command line, one JSON object a line:
// the reading side of the --info benchmark, independent of the command-line front.

#include <cstdio>
#include <string>

#include "tags/SongInformation.h"
#include "tags/SongInformationJson.h"

int main(int argc, char** argv) {
  std::string out;
  for (int i = 1; i < argc; ++i) {
    out += SongInformationToJson(ReadSongInformation(argv[i]));
    out += '\n';
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

#include "support/ReferenceTools.h"

#include <filesystem>
#include <sstream>

#include "support/TestSupport.h"

namespace testing_support {

namespace {
const char* const Python = "/usr/bin/python3";
// The script lies beside this file in the source tree.
std::string Script() { return (std::filesystem::path(KESTRUNE_TEST_SUPPORT_DIR) / "mutagen_tags.py").string(); }
std::string CoverScript() { return (std::filesystem::path(KESTRUNE_TEST_SUPPORT_DIR) / "cover_art.py").string(); }
}  // namespace

std::string MutagenCoverDigest(const std::string& fileName) {
  std::string digest = RunTool(std::string(Python) + " " + Quote(CoverScript()) + " get " + Quote(fileName)).Output;
  while (!digest.empty() && digest.back() == '\n') {
    digest.pop_back();
  }
  return digest;
}

bool MutagenPutCover(const std::string& fileName, const std::string& image) {
  return RunTool(std::string(Python) + " " + Quote(CoverScript()) + " put " + Quote(fileName) + " " + Quote(image))
             .ExitCode == 0;
}

bool HaveMutagen() {
  return RunTool(std::string(Python) + " -c 'import mutagen' 2>/dev/null").ExitCode == 0;
}

std::map<std::string, std::string> MutagenTags(const std::string& fileName) {
  std::map<std::string, std::string> tags;
  std::istringstream lines(RunTool(std::string(Python) + " " + Quote(Script()) + " " + Quote(fileName)).Output);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) {
      tags[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return tags;
}

std::string ProbeValue(const std::string& fileName, const std::string& entry) {
  std::string output = RunTool("ffprobe -v error -select_streams a:0 -show_entries " + Quote(entry) +
                               " -of default=noprint_wrappers=1:nokey=1 " + Quote(fileName))
                           .Output;
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
    output.pop_back();
  }
  return output;
}

}  // namespace testing_support

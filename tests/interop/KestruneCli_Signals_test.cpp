// Stopping the real kestrune-cli by signal in the middle of a file, checked with flac's own test.

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/ConfigHome.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr int Seconds = 300;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace

TEST(KestruneCliSignals, StopSignalsKeepAWellFormedShorterFileAndAKillLeavesOnlyAHiddenOne) {
  ASSERT_TRUE(HaveTool("flac") && HaveTool("metaflac"));
  ScopedConfigHome home;
  TempDir work;
  const std::string input = work.File("long.wav");
  WriteFileBytes(input, PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * Seconds, 2, 44100))));
  const std::vector<uint64_t> before = FileDigests({input});
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal));
    const std::string folder = work.File("out-" + std::to_string(signal));
    ChildProcess run({BuiltBinary("kestrune-cli"), "-f", "FLAC", "-o", folder, "--name-style", "0", input},
                     work.Path().string());
    ASSERT_TRUE(run.WaitForLine("25%")) << run.Output();
    run.Signal(signal);
    EXPECT_EQ(run.Wait(), 128 + signal) << run.Output();
    if (signal == SIGKILL) {
      const std::vector<std::string> left = Names(folder);
      ASSERT_EQ(left.size(), 1u);
      EXPECT_EQ(left[0].front(), '.');
      continue;
    }
    EXPECT_NE(run.Output().find("stopped"), std::string::npos) << run.Output();
    EXPECT_EQ(Names(folder), std::vector<std::string>{"01.FLAC"});
    const std::string output = Quote(folder + "/01.FLAC");
    EXPECT_EQ(RunTool("flac -s -t " + output).ExitCode, 0);
    const int64_t samples = std::stoll(RunTool("metaflac --show-total-samples " + output).Output);
    EXPECT_GT(samples, 0);
    EXPECT_LT(samples, int64_t{44100} * Seconds);
  }
  EXPECT_EQ(FileDigests({input}), before);
}

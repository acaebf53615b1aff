// The real kestrune-cli against a disk that fills up and an output that is closed.

#include <filesystem>
#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/ConfigHome.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class KestruneCliFaultsTest : public ::testing::Test {
protected:
  KestruneCliFaultsTest() {
    WriteFileBytes(Input, PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * 2, 2, 44100))));
  }

  std::vector<std::string> Convert(const std::string& format, const std::string& folder) const {
    return {BuiltBinary("kestrune-cli"), "-q", "-f", format, "-o", folder, "--name-style", "0", Input};
  }

  ScopedConfigHome Home;
  TempDir Work;
  const std::string Input = Work.File("in.wav");
};

}  // namespace

TEST_F(KestruneCliFaultsTest, AFullDiskFailsTheRowOfEverySinkLeavesNothingAndSaysWhy) {
  const std::vector<uint64_t> before = FileDigests({Input});
  for (const std::string format : {"WAV", "FLAC", "MP3", "OGG", "APE", "WMA"}) {
    ChildProcess whole(Convert(format, Work.File("whole")), Work.Path().string());
    ASSERT_EQ(whole.Wait(), 0) << whole.Output();
    const auto size = static_cast<int64_t>(fs::file_size(Work.File("whole/01." + format)));
    // The disk is full in the header, halfway through, and at the very last byte.
    for (const int64_t limit : {int64_t{16}, size / 2, size - 1}) {
      SCOPED_TRACE(format + " limited to " + std::to_string(limit) + " bytes");
      const std::string folder = Work.File(format + "-" + std::to_string(limit));
      ChildProcess run(Convert(format, folder), Work.Path().string(), limit);
      EXPECT_EQ(run.Wait(), 1) << run.Output();
      EXPECT_NE(run.Output().find(folder + "/01." + format + ": "), std::string::npos) << run.Output();
      EXPECT_NE(run.Output().find("(File too large)"), std::string::npos) << run.Output();
      EXPECT_TRUE(fs::is_empty(folder)) << fs::directory_iterator(folder)->path();
    }
  }
  EXPECT_EQ(FileDigests({Input}), before);
}

TEST_F(KestruneCliFaultsTest, AClosedProgressOutputNeitherEndsTheProgramNorFailsTheFile) {
  std::vector<std::string> arguments = Convert("WAV", Work.File("out"));
  arguments.erase(arguments.begin() + 1);  // not quiet: progress lines go to the closed pipe
  ChildProcess run(arguments, Work.Path().string());
  run.CloseOutput();
  EXPECT_EQ(run.Wait(), 0);
  EXPECT_EQ(ReadFileBytes(Work.File("out/01.WAV")), ReadFileBytes(Input));
}

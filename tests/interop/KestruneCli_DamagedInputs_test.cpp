// Damaged inputs of every kind through the real kestrune-cli: a file cut short fails its row,
// says how far it got and leaves no output; the whole file converts.

#include <filesystem>
#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/ConfigHome.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

TEST(KestruneCliDamagedInputs, ACutOrHeaderOnlyFileOfEveryKindFailsItsRowAndLeavesNothing) {
  ASSERT_TRUE(HaveTool("flac") && HaveTool("lame") && HaveTool("oggenc") && HaveTool("ffmpeg"));
  ScopedConfigHome home;
  TempDir work;
  const std::string wav = work.File("whole.wav");
  WriteFileBytes(wav, PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * 6, 2, 44100))));
  const auto run = [&](const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {BuiltBinary("kestrune-cli"), "-q", "--name-style", "0"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess child(command, work.Path().string());
    const int status = child.Wait();
    return std::make_pair(status, child.Output());
  };
  const std::string q = Quote(wav);
  ASSERT_EQ(RunTool("flac -s -f -o " + Quote(work.File("whole.flac")) + " " + q).ExitCode, 0);
  ASSERT_EQ(RunTool("lame --quiet -V 4 " + q + " " + Quote(work.File("whole.mp3"))).ExitCode, 0);
  ASSERT_EQ(RunTool("oggenc -Q -o " + Quote(work.File("whole.ogg")) + " " + q).ExitCode, 0);
  ASSERT_EQ(RunTool("ffmpeg -loglevel error -y -i " + q + " -c:a wmav2 " + Quote(work.File("whole.wma"))).ExitCode, 0);
  ASSERT_EQ(run({"-f", "APE", "-o", work.Path().string(), wav}).first, 0);
  fs::rename(work.File("01.APE"), work.File("whole.ape"));

  const std::vector<uint8_t> wavBytes = ReadFileBytes(wav);
  for (const std::string kind : {"wav", "flac", "mp3", "ogg", "wma", "ape"}) {
    const std::string whole = work.File("whole." + kind);
    const std::vector<uint8_t> bytes = ReadFileBytes(whole);
    const std::string folder = work.File("out-" + kind);
    EXPECT_EQ(run({"-f", "WAV", "-o", folder, whole}).first, 0) << kind;
    // A cut at 10% and at half; the first 50 bytes hold a header and no audio.
    for (const size_t size : {bytes.size() / 10, bytes.size() / 2, size_t{50}}) {
      SCOPED_TRACE(kind + " cut to " + std::to_string(size) + " bytes");
      const std::string cut = work.File("cut" + std::to_string(size) + "." + kind);
      WriteFileBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(size)));
      const std::string cutFolder = work.File("out-cut" + std::to_string(size) + kind);
      const auto [status, output] = run({"-f", "FLAC", "-o", cutFolder, cut});
      EXPECT_EQ(status, 1) << output;
      EXPECT_NE(output.find(cut + ": "), std::string::npos) << output;
      if (size > 50) {
        EXPECT_NE(output.find(cut + ": ended at 0:0"), std::string::npos) << output;
      }
      EXPECT_TRUE(!fs::exists(cutFolder) || fs::is_empty(cutFolder)) << fs::directory_iterator(cutFolder)->path();
    }
  }
  EXPECT_EQ(ReadFileBytes(wav), wavBytes);
}

// WAV to APE to WAV through the real kestrune-cli, with its settings in a temporary folder.

#include <filesystem>
#include <gtest/gtest.h>

#include "support/ConfigHome.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

class KestruneCliApeTest : public ::testing::Test {
protected:
  ToolResult Cli(const std::string& arguments) {
    return RunTool("cd " + Quote(Work.Path().string()) + " && " + Home.EnvironmentPrefix() +
                   Quote(BuiltBinary("kestrune-cli")) + " " + arguments + " 2>&1");
  }

  ScopedConfigHome Home;
  TempDir Work;
};

}  // namespace

TEST_F(KestruneCliApeTest, WavToApeAndBackIsBitExactAtEveryLevel) {
  const std::vector<uint8_t> stereo = PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(100000, 2, 44100)));
  // (The driver widens 8-bit and mono sources to 16-bit stereo, so only such a file comes back as it was.)
  WriteFileBytes(Work.File("stereo.wav"), stereo);
  for (int position = 0; position < 4; ++position) {
    SCOPED_TRACE(position);
    const std::string level = " --set APECompressionLevel=" + std::to_string(position);
    // Each level's files replace the last level's.
    const ToolResult encode = Cli("-q -f APE -o ape --name-style 1 --existing overwrite" + level + " stereo.wav");
    ASSERT_EQ(encode.ExitCode, 0) << encode.Output;
    const ToolResult decode = Cli("-q -f WAV -o wav --name-style 1 --existing overwrite ape/stereo.APE");
    ASSERT_EQ(decode.ExitCode, 0) << decode.Output;
    EXPECT_EQ(ReadFileBytes(Work.File("wav/stereo.WAV")), stereo);
    const std::vector<uint8_t> image = ReadFileBytes(Work.File("ape/stereo.APE"));
    EXPECT_EQ(Le16At(image, 52), 1000 * position + 1000);  // the level in the header
    const std::string text(image.begin(), image.end());
    EXPECT_EQ(text.substr(image.size() - 32, 8), "APETAGEX");
  }
}

TEST_F(KestruneCliApeTest, TagsOfTheInputReadBackFromTheApeOutput) {
  WriteFileBytes(Work.File("in.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100, 2, 44100))));
  ASSERT_EQ(RunTool("cd " + Quote(Work.Path().string()) +
                    " && flac -s -T 'TITLE=Ünïcødé ☃' -T ARTIST=Band -T ALBUM=Disc -T DATE=1999 -o in.flac in.wav")
                .ExitCode,
            0);
  const ToolResult encode = Cli("-q -f APE -o ape --name-style 1 in.flac");
  ASSERT_EQ(encode.ExitCode, 0) << encode.Output;
  const ToolResult info = Cli("--info 'ape/Ünïcødé ☃.APE'");
  ASSERT_EQ(info.ExitCode, 0) << info.Output;
  for (const char* field : {"\"Title\":\"Ünïcødé ☃\"", "\"Artist\":\"Band\"", "\"Album\":\"Disc\"",
                            "\"Year\":\"1999\"", "\"Track\":\"1\""}) {
    EXPECT_NE(info.Output.find(field), std::string::npos) << field << " in " << info.Output;
  }
}

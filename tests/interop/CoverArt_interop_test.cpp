// The cover travels: from MP3, FLAC, OGG, APE, WMA and M4A inputs that hold one into every output
// that holds pictures, byte for byte as mutagen reads it back; a file without one takes its
// folder's image; a picture above 16 MiB is left out, never cut.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "app/RowFromFile.h"
#include "tags/SongInformation.h"
#include "support/ReferenceTools.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace sn = SettingNames;

namespace {

class TContinuing : public TConversionObserver {
  bool ContinueAfterFailure() const override { return true; }
};

class CoverArtInteropTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg") || !HaveTool("lame") || !HaveTool("flac") || !HaveTool("oggenc") || !HaveMutagen()) {
      GTEST_SKIP() << "ffmpeg, lame, flac, oggenc and mutagen are needed";
    }
    FSettings.SetWmaProfiles(ListWmaProfiles(BuiltBinary("")));
    FSettings.SetText(sn::ConvFilePath, FDir.File("out") + "/");
    FSettings.SetInteger(sn::OutputFileNameFormat, 0);
    FSettings.SetText(sn::ExistingFiles, "Overwrite");
    // Noise makes a picture of about 110 KiB: past a WMA attribute's 64 KiB and an Ogg page.
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i \"nullsrc=s=400x400,geq=random(1)*255:128:128\" -frames:v 1 -q:v 2 " +
                      Quote(FCover))
                  .ExitCode,
              0);
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i \"sine=f=440:d=1:r=44100\" -ac 2 " + Quote(FWave)).ExitCode, 0);
  }

  std::string Output(const std::string& format, const std::string& input) {
    FSettings.SetText(sn::RipToFormat, format);
    TConversionDriver driver(FSettings, BuiltBinary(""));
    TContinuing observer;
    driver.SetObserver(&observer);
    const TBatchResult result = driver.Convert({ReadConversionRow(input)});
    EXPECT_TRUE(result.AllCompleted()) << input << " to " << format << ": " << result.Rows.at(0).Message;
    return FDir.File("out/01." + format);
  }

  std::string Input(const std::string& name) {
    const std::string file = FDir.File(name);
    const std::string ext = std::filesystem::path(name).extension().string();
    if (ext == ".mp3") {
      EXPECT_EQ(RunTool("lame --quiet --ti " + Quote(FCover) + " " + Quote(FWave) + " " + Quote(file)).ExitCode, 0);
    } else if (ext == ".flac") {
      EXPECT_EQ(RunTool("flac -s -f --picture=" + Quote("3||||" + FCover) + " -o " + Quote(file) + " " + Quote(FWave))
                    .ExitCode,
                0);
    } else {
      if (ext == ".ogg") {
        EXPECT_EQ(RunTool("oggenc -Q -o " + Quote(file) + " " + Quote(FWave)).ExitCode, 0);
      } else if (ext == ".ape") {
        std::filesystem::copy_file(Output("APE", FWave), file);
      } else {
        // 16-bit ALAC: the MP4 box holds the cover whatever the codec, and the pipeline reads it.
        const std::string codec = ext == ".wma" ? "wmav2" : "alac -sample_fmt s16p";
        EXPECT_EQ(RunTool("ffmpeg -v error -y -i " + Quote(FWave) + " -c:a " + codec + " " + Quote(file)).ExitCode, 0);
      }
      EXPECT_TRUE(MutagenPutCover(file, FCover)) << file;
    }
    return file;
  }

  TempDir FDir;
  TSettings FSettings;
  std::string FCover = FDir.File("art.jpg");
  std::string FWave = FDir.File("plain.wav");
};

}  // namespace

TEST_F(CoverArtInteropTest, EveryInputsCoverReachesEveryOutputThatHoldsPictures) {
  const std::string digest = MutagenCoverDigest(Input("source.flac"));
  ASSERT_NE(digest, "none");
  for (const std::string name : {"in.mp3", "in.flac", "in.ogg", "in.ape", "in.wma", "in.m4a"}) {
    const std::string input = Input(name);
    ASSERT_EQ(MutagenCoverDigest(input), digest) << name;
    for (const std::string format : {"MP3", "FLAC", "OGG", "APE", "WMA"}) {
      EXPECT_EQ(MutagenCoverDigest(Output(format, input)), digest) << name << " to " << format;
    }
  }
}

TEST_F(CoverArtInteropTest, AFileWithoutACoverTakesItsFoldersImageWhileTheSettingIsOn) {
  std::filesystem::copy_file(FCover, FDir.File("Folder.JPG"));
  const std::string digest = MutagenCoverDigest(Input("source.flac"));
  EXPECT_EQ(MutagenCoverDigest(Output("FLAC", FWave)), digest);
  FSettings.SetBoolean(sn::FolderCover, false);
  EXPECT_EQ(MutagenCoverDigest(Output("FLAC", FWave)), "none");
}

TEST_F(CoverArtInteropTest, APictureAbove16MiBIsLeftOut) {
  std::vector<uint8_t> huge(17u << 20, 0);
  huge[0] = 0xFF, huge[1] = 0xD8, huge[2] = 0xFF;
  const std::string image = FDir.File("huge.bin");
  WriteFileBytes(image, huge);
  const std::string input = FDir.File("in.ogg");
  ASSERT_EQ(RunTool("oggenc -Q -o " + Quote(input) + " " + Quote(FWave)).ExitCode, 0);
  ASSERT_TRUE(MutagenPutCover(input, image));
  EXPECT_EQ(MutagenCoverDigest(Output("MP3", input)), "none");
  EXPECT_NE(ReadSongInformation(input).CoverNote, "");
}

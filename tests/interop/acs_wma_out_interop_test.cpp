// WMA files written by TWMA_Out, as ffprobe sees them.

#include "formats/wma/acs_wma_out.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "formats/wave/ACS_Wave.h"
#include "platform/WideText.h"
#include "support/MediaFiles.h"
#include "support/SinkRunner.h"
#include "support/TestSupport.h"
#include "tags/SongInformation.h"

using namespace testing_support;

namespace {

// ffprobe's key=value lines; tag keys are lower-cased, as ffprobe maps some attribute names.
std::map<std::string, std::string> Probe(const std::string& file) {
  const ToolResult result = RunTool("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bit_rate:format=duration:"
                                    "format_tags -of default=noprint_wrappers=1 " + Quote(file));
  EXPECT_EQ(result.ExitCode, 0);
  std::map<std::string, std::string> values;
  std::istringstream lines(result.Output);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) {
      std::string key = line.substr(0, equals);
      std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
      values[key] = line.substr(equals + 1);
    }
  }
  return values;
}

struct TOutputCase {
  const char* Profile;
  int InputChannels;
  int InputRate;
  const char* Bitrate;
  const char* Rate;
  const char* Channels;
};

class WmaOutputTest : public ::testing::TestWithParam<TOutputCase> {
protected:
  void SetUp() override {
    if (!HaveTool("ffprobe")) {
      GTEST_SKIP() << "ffprobe is needed";
    }
  }
  TempDir FDir;
};

}  // namespace

TEST_P(WmaOutputTest, FFprobeSeesTheProfilesFormatTheInputsLengthAndTheTags) {
  const TOutputCase& param = GetParam();
  const std::string wav = FDir.File("in.wav");
  const std::string wma = FDir.File("out.wma");
  const double seconds = 3.7;
  const int frames = static_cast<int>(seconds * param.InputRate);
  WriteFileBytes(wav, PcmWaveFile(static_cast<uint16_t>(param.InputChannels), static_cast<uint32_t>(param.InputRate), 16,
                                  SamplesToBytes(MakeSine16(frames, param.InputChannels, param.InputRate))));
  TWaveIn source;
  source.SetFileName(wav);
  TWMA_Out sink;
  sink.SetInput(&source);
  sink.SetFileName(wma);
  sink.SetProfileFile(ShippedProfile(param.Profile));
  const std::string title = "T\xC3\xAFtle \xE2\x99\xAA";
  const std::string comment = "C\xC3\xB6mment \xE6\x97\xA5\xE6\x9C\xAC";
  sink.SetId3TagTitle(Utf8ToUtf16(title));
  sink.SetId3TagArtist(Utf8ToUtf16("\xC3\x84rtist"));
  sink.SetId3TagAlbum(Utf8ToUtf16("Alb\xC3\xBCm"));
  sink.SetId3TagYear(u"1999");
  sink.SetId3TagComment(Utf8ToUtf16(comment));
  sink.SetId3TagGenre(Utf8ToUtf16("R\xC3\xB6" "ck"));
  const TRunOutcome outcome = RunToEnd(sink);
  ASSERT_TRUE(outcome.Done) << outcome.Error;

  std::map<std::string, std::string> probed = Probe(wma);
  EXPECT_EQ(probed["codec_name"], "wmav2");
  EXPECT_EQ(probed["bit_rate"], param.Bitrate);
  EXPECT_EQ(probed["sample_rate"], param.Rate);
  EXPECT_EQ(probed["channels"], param.Channels);
  EXPECT_NEAR(std::stod(probed["duration"]), seconds, 0.1);
  EXPECT_EQ(probed["tag:title"], title);
  EXPECT_EQ(probed["tag:artist"], "\xC3\x84rtist");
  EXPECT_EQ(probed["tag:album"], "Alb\xC3\xBCm");
  EXPECT_EQ(probed["tag:wm/year"], "1999");
  EXPECT_EQ(probed["tag:comment"], comment);
  EXPECT_EQ(probed["tag:genre"], "R\xC3\xB6" "ck");
  // Each attribute once, under its own name (title, author and description in the header's
  // content description, where WMA readers look for them).
  const ToolResult attributes = RunTool(
      "/usr/bin/python3 -c 'import sys, mutagen.asf\n"
      "for k, v in sorted(mutagen.asf.ASF(sys.argv[1]).tags.items()):\n"
      "    print(k + \"=\" + \"|\".join(str(x) for x in v))' " + Quote(wma));
  ASSERT_EQ(attributes.ExitCode, 0);
  EXPECT_EQ(attributes.Output, "Author=\xC3\x84rtist\nDescription=" + comment + "\nTitle=" + title +
                                   "\nWM/AlbumTitle=Alb\xC3\xBCm\nWM/EncodingSettings=" + probed["tag:encoder"] +
                                   "\nWM/Genre=R\xC3\xB6" "ck\nWM/Year=1999\n");
  // Our own stream-info reader and the file-info summary read the same texts back.
  const SongInformation info = ReadSongInformation(wma);
  EXPECT_EQ(info.Title, title);
  EXPECT_EQ(info.Artist, "\xC3\x84rtist");
  EXPECT_EQ(info.Album, "Alb\xC3\xBCm");
  EXPECT_EQ(info.Year, "1999");
  EXPECT_EQ(info.Comment, comment);
  EXPECT_EQ(info.Genre, "R\xC3\xB6" "ck");
  EXPECT_NEAR(info.StreamInfo.Duration, seconds, 0.1);
  // The decoded length agrees with the header's.
  const double decoded = static_cast<double>(RunTool("ffmpeg -v error -i " + Quote(wma) + " -f s16le -").Output.size()) /
                         (std::stoi(param.Rate) * std::stoi(param.Channels) * 2);
  EXPECT_NEAR(decoded, seconds, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Profiles, WmaOutputTest,
                         ::testing::Values(TOutputCase{DefaultProfileName, 2, 44100, "128000", "44100", "2"},
                                           TOutputCase{"032 kbps, 22.05 kHz, mono", 2, 48000, "32000", "22050", "1"},
                                           TOutputCase{"192 kbps, 48 kHz, stereo", 1, 22050, "192000", "48000", "2"}));

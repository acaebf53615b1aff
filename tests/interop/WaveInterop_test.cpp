#include <gtest/gtest.h>

#include "formats/wave/ACS_Wave.h"
#include "pipeline/ACS_Converters.h"
#include "support/FakeComponents.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// The first data chunk of a WAV file that our own scan accepts.
std::vector<uint8_t> PcmData(const std::string& path) {
  TWaveIn source;
  source.SetFileName(path);
  source.Init();
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(65536);
  while (const int32_t n = source.GetData(buffer)) {
    out.insert(out.end(), buffer.begin(), buffer.begin() + n);
  }
  source.Flush();
  return out;
}

TEST(WaveInterop, EightBitMonoThroughBothStagesMatchesSox) {
  ASSERT_TRUE(HaveTool("sox") && HaveTool("ffprobe"));
  TempDir dir;
  const std::string input = dir.File("in.wav");
  const std::string ours = dir.File("ours.wav");
  const std::string theirs = dir.File("theirs.wav");
  ASSERT_EQ(RunTool("sox -n -r 22050 -b 8 -c 1 " + Quote(input) + " synth 3 sine 300 sine 1200 vol 0.9 2>&1").ExitCode, 0);
  ASSERT_EQ(RunTool("sox " + Quote(input) + " -b 16 -c 2 " + Quote(theirs)).ExitCode, 0);

  TWaveIn source;
  source.SetFileName(input);
  ASSERT_EQ(source.GetBitsPerSample(), 8);
  ASSERT_EQ(source.GetChannels(), 1);
  TSampleConverter widen;
  widen.SetInput(&source);
  TMSConverter spread;
  spread.SetInput(&widen);
  TWaveOut sink;
  sink.SetFileName(ours);
  sink.SetInput(&spread);
  TSinkWaiter waiter(sink);
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  ASSERT_TRUE(waiter.Succeeded()) << waiter.Error();

  const auto expected = PcmData(theirs);
  const auto actual = PcmData(ours);
  ASSERT_EQ(expected.size(), 22050u * 3 * 4);
  EXPECT_EQ(actual, expected);

  const auto probe = RunTool("ffprobe -v error -show_entries stream=codec_name,channels,sample_rate,bits_per_sample "
                             "-of compact=p=0:nk=1 " + Quote(ours) + " 2>&1");
  EXPECT_EQ(probe.ExitCode, 0);
  EXPECT_EQ(probe.Output, "pcm_s16le|22050|2|16\n");
}

TEST(WaveInterop, FileWithMetadataFromFfmpegReadsExactly) {
  ASSERT_TRUE(HaveTool("sox") && HaveTool("ffmpeg"));
  TempDir dir;
  const std::string tagged = dir.File("tagged.wav");
  const std::string raw = dir.File("raw.s16");
  // ffmpeg writes a LIST chunk between fmt and data when it has metadata.
  ASSERT_EQ(RunTool("ffmpeg -v error -f lavfi -i sine=f=500:d=2:r=32000 -ac 2 -metadata title=Probe -c:a pcm_s16le " +
                    Quote(tagged) + " && ffmpeg -v error -i " + Quote(tagged) + " -f s16le " + Quote(raw))
                .ExitCode,
            0);
  EXPECT_EQ(PcmData(tagged), ReadFileBytes(raw));
}

}  // namespace

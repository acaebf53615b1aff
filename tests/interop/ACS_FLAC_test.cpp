#include <gtest/gtest.h>

#include "formats/flac/ACS_FLAC.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> FlacToolDecode(const std::string& flacFile, const std::string& wavFile) {
  EXPECT_EQ(RunTool("flac -d -s -f -o " + Quote(wavFile) + " " + Quote(flacFile)).ExitCode, 0);
  return ReadWavePcm(wavFile);
}

std::vector<uint8_t> OurDecode(const std::string& flacFile) {
  TFLACIn in;
  in.SetFileName(flacFile);
  in.Init();
  std::vector<uint8_t> pcm = DrainSource(in, 4096);
  in.Flush();
  return pcm;
}

}  // namespace

TEST(ACS_FLAC_Interop, OurFlacDecodesWithTheFlacToolToTheExactInput) {
  TempDir dir;
  const auto stereo = SamplesToBytes(MakeSine16(44100 * 3 + 77, 2, 44100));
  WriteFileBytes(dir.File("s.wav"), PcmWaveFile(2, 44100, 16, stereo));
  TFLACOut sink;
  ASSERT_TRUE(ConvertWave(dir.File("s.wav"), sink, dir.File("s.flac")).Done);
  EXPECT_EQ(RunTool("flac -t -s " + Quote(dir.File("s.flac"))).ExitCode, 0);
  EXPECT_EQ(FlacToolDecode(dir.File("s.flac"), dir.File("s-dec.wav")), stereo);

  const auto mono8 = MakeSine8(22050 + 5, 1, 22050);
  WriteFileBytes(dir.File("m.wav"), PcmWaveFile(1, 22050, 8, mono8));
  ASSERT_TRUE(ConvertWave(dir.File("m.wav"), sink, dir.File("m.flac")).Done);
  EXPECT_EQ(FlacToolDecode(dir.File("m.flac"), dir.File("m-dec.wav")), mono8);
}

TEST(ACS_FLAC_Interop, FlacToolFilesDecodeLikeTheFlacTool) {
  TempDir dir;
  const auto stereo = SamplesToBytes(MakeSine16(44100 * 2 + 999, 2, 44100));
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 44100, 16, stereo));
  for (const std::string options : {"-5", "-8 --blocksize=1152 --tag=TITLE=x --padding=9000", "-0 --no-seektable"}) {
    ASSERT_EQ(RunTool("flac -s -f " + options + " -o " + Quote(dir.File("t.flac")) + " " + Quote(dir.File("in.wav")))
                  .ExitCode,
              0);
    const auto reference = FlacToolDecode(dir.File("t.flac"), dir.File("t.wav"));
    EXPECT_EQ(OurDecode(dir.File("t.flac")), reference) << options;
    EXPECT_EQ(reference, stereo);
  }
  const auto mono8 = MakeSine8(8000, 1, 8000);
  WriteFileBytes(dir.File("in8.wav"), PcmWaveFile(1, 8000, 8, mono8));
  ASSERT_EQ(RunTool("flac -s -f -o " + Quote(dir.File("t8.flac")) + " " + Quote(dir.File("in8.wav"))).ExitCode, 0);
  EXPECT_EQ(OurDecode(dir.File("t8.flac")), mono8);
}

TEST(ACS_FLAC_Interop, StoppedRunLeavesAFileTheFlacToolAccepts) {
  TempDir dir;
  WriteFileBytes(dir.File("long.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * 30, 2, 44100))));
  TFLACOut sink;
  const TRunOutcome outcome = ConvertWave(dir.File("long.wav"), sink, dir.File("stop.flac"), [&] { sink.Stop(); });
  EXPECT_TRUE(outcome.Done);
  EXPECT_EQ(RunTool("flac -t -s " + Quote(dir.File("stop.flac"))).ExitCode, 0);
  const auto decoded = FlacToolDecode(dir.File("stop.flac"), dir.File("stop.wav"));
  EXPECT_GT(decoded.size(), 0u);
  EXPECT_LT(decoded.size(), 44100u * 30 * 4);
}

TEST(ACS_FLAC_Interop, TwentyFourBitFileDecodesAsFfmpegDoes) {
  TempDir dir;
  ASSERT_EQ(RunTool("sox -n -r 96000 -c 2 -b 24 " + Quote(dir.File("w24.wav")) + " synth 0.5 sine 440").ExitCode, 0);
  ASSERT_EQ(RunTool("flac -s -f -o " + Quote(dir.File("w24.flac")) + " " + Quote(dir.File("w24.wav"))).ExitCode, 0);
  ASSERT_EQ(RunTool("ffmpeg -v error -y -i " + Quote(dir.File("w24.flac")) + " -f s24le " + Quote(dir.File("ref.raw"))).ExitCode, 0);
  TFLACIn in;
  in.SetFileName(dir.File("w24.flac"));
  EXPECT_EQ(in.GetBitsPerSample(), 24);
  EXPECT_TRUE(in.Valid());
  in.Init();
  EXPECT_EQ(DrainSource(in, 4096), ReadFileBytes(dir.File("ref.raw")));
  in.Flush();
}

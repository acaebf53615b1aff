#include <gtest/gtest.h>

#include "formats/vorbis/ACS_Vorbis.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string OggdecRaw(const std::string& oggFile) {
  const ToolResult result = RunTool("oggdec -Q -R -o - " + Quote(oggFile));
  EXPECT_EQ(result.ExitCode, 0);
  return result.Output;
}

}  // namespace

TEST(ACS_Vorbis_Interop, OurOggDecodesWithOggdecToTheInputLength) {
  TempDir dir;
  for (int channels : {2, 1}) {
    const auto pcm = SamplesToBytes(MakeSine16(44100 * 2 + 123, channels, 44100));
    WriteFileBytes(dir.File("in.wav"), PcmWaveFile(static_cast<uint16_t>(channels), 44100, 16, pcm));
    TVorbisOut sink;
    sink.SetCompression(0.75f);
    ASSERT_TRUE(ConvertWave(dir.File("in.wav"), sink, dir.File("o.ogg")).Done);
    EXPECT_EQ(RunTool("ogginfo " + Quote(dir.File("o.ogg")) + " >/dev/null").ExitCode, 0);
    EXPECT_EQ(OggdecRaw(dir.File("o.ogg")).size(), pcm.size()) << channels << " channel(s)";
  }
}

TEST(ACS_Vorbis_Interop, OggencFilesDecodeToOggdecsSamples) {
  TempDir dir;
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 48000, 16, SamplesToBytes(MakeSine16(48000 * 2 + 7, 2, 48000))));
  ASSERT_EQ(RunTool("oggenc -Q -q 4 -o " + Quote(dir.File("e.ogg")) + " " + Quote(dir.File("in.wav"))).ExitCode, 0);
  const std::string reference = OggdecRaw(dir.File("e.ogg"));
  TVorbisIn in;
  in.SetFileName(dir.File("e.ogg"));
  EXPECT_EQ(in.GetSampleRate(), 48000);
  in.Init();
  const auto decoded = DrainSource(in, 4096);
  in.Flush();
  EXPECT_EQ(std::string(decoded.begin(), decoded.end()), reference);
}

TEST(ACS_Vorbis_Interop, CommentsReadBackByMutagenUnchanged) {
  TempDir dir;
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(20000, 2, 44100))));
  TVorbisOut sink;
  sink.SetComments({"TITLE=Ünïcødé ☃", "ARTIST=Артист", "ALBUM=B", "DATE=1999", "COMMENT=c", "GENRE=Rock"});
  ASSERT_TRUE(ConvertWave(dir.File("in.wav"), sink, dir.File("c.ogg")).Done);
  const ToolResult result = RunTool(
      "/usr/bin/python3 -c \"import sys; from mutagen.oggvorbis import OggVorbis; f = OggVorbis(sys.argv[1]); "
      "sys.stdout.write('|'.join(k + '=' + v for k, v in f.tags))\" " +
      Quote(dir.File("c.ogg")));
  ASSERT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Output, "TITLE=Ünïcødé ☃|ARTIST=Артист|ALBUM=B|DATE=1999|COMMENT=c|GENRE=Rock");
}

TEST(ACS_Vorbis_Interop, StoppedRunLeavesAFileOgginfoAndFfprobeAccept) {
  TempDir dir;
  WriteFileBytes(dir.File("long.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * 30, 2, 44100))));
  TVorbisOut sink;
  const TRunOutcome outcome = ConvertWave(dir.File("long.wav"), sink, dir.File("s.ogg"), [&] { sink.Stop(); });
  EXPECT_TRUE(outcome.Done);
  const ToolResult info = RunTool("ogginfo " + Quote(dir.File("s.ogg")) + " 2>&1");
  EXPECT_EQ(info.ExitCode, 0) << info.Output;
  EXPECT_EQ(info.Output.find("WARNING"), std::string::npos) << info.Output;
  EXPECT_EQ(RunTool("ffprobe -v error " + Quote(dir.File("s.ogg"))).ExitCode, 0);
  const size_t decoded = OggdecRaw(dir.File("s.ogg")).size();
  EXPECT_GT(decoded, 0u);
  EXPECT_LT(decoded, 44100u * 30 * 4);
}

TEST(ACS_Vorbis_Interop, SurroundFileComesOutInMaskOrderAsFfmpegDecodesIt) {
  TempDir dir;
  // One tone per speaker, so a channel delivered in the wrong place cannot go unnoticed.
  ASSERT_EQ(RunTool("ffmpeg -v error -f lavfi -i \"aevalsrc=sin(200*PI*t)|sin(330*PI*t)|sin(470*PI*t)|sin(610*PI*t)|"
                    "sin(750*PI*t)|sin(890*PI*t):s=44100:d=1.3:c=5.1\" -c:a libvorbis -q:a 6 " +
                    Quote(dir.File("s.ogg")))
                .ExitCode,
            0);
  const std::string reference = RunTool("ffmpeg -v error -i " + Quote(dir.File("s.ogg")) + " -f s16le -").Output;
  TVorbisIn in;
  in.SetFileName(dir.File("s.ogg"));
  EXPECT_EQ(in.GetChannels(), 6);
  in.Init();
  const auto decoded = BytesToSamples(DrainSource(in, 5000));
  in.Flush();
  const auto expected = BytesToSamples(std::vector<uint8_t>(reference.begin(), reference.end()));
  ASSERT_EQ(decoded.size(), expected.size());
  // Two decoders of the same stream may round a sample differently, never by more than a step.
  int32_t worst = 0;
  for (size_t i = 0; i < decoded.size(); ++i) {
    worst = std::max(worst, std::abs(decoded[i] - expected[i]));
  }
  EXPECT_LE(worst, 1);
}

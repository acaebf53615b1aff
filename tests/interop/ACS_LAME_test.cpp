#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "formats/mp3/ACS_LAME.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string Probe(const std::string& entries, const std::string& file) {
  const ToolResult result =
      RunTool("ffprobe -v error -show_entries " + entries + " -of default=noprint_wrappers=1:nokey=1 " + Quote(file));
  EXPECT_EQ(result.ExitCode, 0);
  return result.Output;
}

size_t FfmpegDecodedBytes(const std::string& file) {
  return RunTool("ffmpeg -v error -i " + Quote(file) + " -f s16le -").Output.size();
}

}  // namespace

TEST(ACS_LAME_Interop, DecodedLengthMatchesTheInputWithinDelayAndPadding) {
  TempDir dir;
  for (int channels : {2, 1}) {
    const int frames = 44100 * 3 + 555;
    WriteFileBytes(dir.File("in.wav"), PcmWaveFile(static_cast<uint16_t>(channels), 44100, 16,
                                                   SamplesToBytes(MakeSine16(frames, channels, 44100))));
    TMP3Out sink;
    if (channels == 1) {
      sink.SetMode(TMP3Mode::MONO);
    }
    ASSERT_TRUE(ConvertWave(dir.File("in.wav"), sink, dir.File("o.mp3")).Done);
    const auto decodedFrames = static_cast<long>(FfmpegDecodedBytes(dir.File("o.mp3")) / 2 / static_cast<size_t>(channels));
    EXPECT_LE(std::labs(decodedFrames - frames), 2 * 1152) << channels << " channel(s)";
  }
}

TEST(ACS_LAME_Interop, MutagenAndFfprobeReadAllSevenTagTextsInFull) {
  TempDir dir;
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(30000, 2, 44100))));
  const std::string title = "A title of sixty characters, far more than thirty: ÄÖÜ 12345";
  TMP3Out sink;
  sink.SetId3TagTitle(title);
  sink.SetId3TagArtist("Ünïcødé ☃");
  sink.SetId3TagAlbum("Album");
  sink.SetId3TagYear("2001");
  sink.SetId3TagTrack("7");
  sink.SetId3TagComment("Comment text");
  sink.SetId3TagGenre("Rock");
  ASSERT_TRUE(ConvertWave(dir.File("in.wav"), sink, dir.File("t.mp3")).Done);
  const ToolResult result = RunTool(
      "/usr/bin/python3 -c \"import sys; from mutagen.id3 import ID3; t = ID3(sys.argv[1]); "
      "sys.stdout.write('|'.join(str(t.getall(k)[0]) for k in ['TIT2','TPE1','TALB','TDRC','TRCK','COMM','TCON']))\" " +
      Quote(dir.File("t.mp3")));
  ASSERT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Output, title + "|Ünïcødé ☃|Album|2001|7|Comment text|Rock");
  EXPECT_EQ(Probe("format_tags=title", dir.File("t.mp3")), title + "\n");
  EXPECT_EQ(Probe("format_tags=artist", dir.File("t.mp3")), "Ünïcødé ☃\n");
}

TEST(ACS_LAME_Interop, CbrAndVbrSettingsShowInTheBitRate) {
  TempDir dir;
  const int seconds = 8;
  WriteFileBytes(dir.File("in.wav"),
                 PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * seconds, 2, 44100))));
  TMP3Out cbr;
  cbr.SetBitRate(TMP3BitRate::br192);
  ASSERT_TRUE(ConvertWave(dir.File("in.wav"), cbr, dir.File("cbr.mp3")).Done);
  EXPECT_EQ(Probe("stream=bit_rate", dir.File("cbr.mp3")), "192000\n");

  TMP3Out vbr;
  vbr.SetEnableVBR(true);
  vbr.SetWriteVBRHeader(true);
  vbr.SetVBRQuality(TMP3Quality::ql9);
  vbr.SetVBRMinBitrate(32);
  vbr.SetVBRMaxBitrate(96);
  ASSERT_TRUE(ConvertWave(dir.File("in.wav"), vbr, dir.File("vbr.mp3")).Done);
  const double kbps = std::atof(Probe("format=bit_rate", dir.File("vbr.mp3")).c_str()) / 1000;
  EXPECT_GE(kbps, 32);
  EXPECT_LE(kbps, 96);
  // The completed header frame gives the true duration, not one guessed from the first frame.
  EXPECT_NEAR(std::atof(Probe("format=duration", dir.File("vbr.mp3")).c_str()), seconds, 0.1);
}

TEST(ACS_LAME_Interop, StoppedRunLeavesAFileFfprobeAccepts) {
  TempDir dir;
  WriteFileBytes(dir.File("long.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * 30, 2, 44100))));
  TMP3Out sink;
  sink.SetId3TagTitle("Stopped");
  const TRunOutcome outcome = ConvertWave(dir.File("long.wav"), sink, dir.File("s.mp3"), [&] { sink.Stop(); });
  EXPECT_TRUE(outcome.Done);
  const double duration = std::atof(Probe("format=duration", dir.File("s.mp3")).c_str());
  EXPECT_GT(duration, 0);
  EXPECT_LT(duration, 30);
  EXPECT_NEAR(static_cast<double>(FfmpegDecodedBytes(dir.File("s.mp3"))) / 4 / 44100, duration, 0.1);
  EXPECT_EQ(Probe("format_tags=title", dir.File("s.mp3")), "Stopped\n");
}

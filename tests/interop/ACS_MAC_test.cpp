// The APE components against FFmpeg: the tags FFmpeg reads from our sink's files, and our source
// delivering the samples FFmpeg decodes.

#include <gtest/gtest.h>

#include "formats/ape/ACS_MAC.h"
#include "formats/wave/ACS_Wave.h"
#include "support/ApeTestSupport.h"
#include "support/SinkRunner.h"
#include "support/TestSupport.h"

using namespace testing_support;

TEST(ACS_MAC, FFmpegReadsTheSevenTagTextsAndTheDuration) {
  if (!HaveTool("ffprobe")) {
    GTEST_SKIP() << "ffprobe is not installed";
  }
  MACDllBinding binding;
  TempDir dir;
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 48000, 16, SamplesToBytes(MakeSine16(96000, 2, 48000))));
  TWaveIn wavIn;
  wavIn.SetFileName(dir.File("in.wav"));
  TMACOut out;
  out.SetInput(&wavIn);
  out.SetFileName(dir.File("x.ape"));
  out.SetId3TagTitle("Träumerei");
  out.SetId3TagArtist("Клара Шуман");
  out.SetId3TagAlbum("Album ♪");
  out.SetId3TagYear("1838");
  out.SetId3TagTrack("7");
  out.SetId3TagComment("Ein Kommentar");
  out.SetId3TagGenre("Classical");
  ASSERT_TRUE(RunToEnd(out).Done);

  const std::string tags =
      RunTool("ffprobe -v error -show_entries format_tags:stream=duration_ts,sample_rate,channels "
              "-of default=noprint_wrappers=1 " + Quote(dir.File("x.ape")))
          .Output;
  for (const char* line : {"TAG:Title=Träumerei", "TAG:Artist=Клара Шуман", "TAG:Album=Album ♪", "TAG:Year=1838",
                           "TAG:Track=7", "TAG:Comment=Ein Kommentar", "TAG:Genre=Classical", "duration_ts=96000",
                           "sample_rate=48000", "channels=2"}) {
    EXPECT_NE(tags.find(line), std::string::npos) << line << " missing from\n" << tags;
  }
}

TEST(ACS_MAC, SourceDeliversTheSamplesFFmpegDecodes) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is not installed";
  }
  MACDllBinding binding;
  TempDir dir;
  ApeEncodeOptions options;
  options.Level = 3000;
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), MakeSignal(TestSignal::MusicLike, 100000, 2, 16), options), 0);
  ASSERT_EQ(RunTool("ffmpeg -nostdin -v error -i " + Quote(dir.File("x.ape")) + " -f s16le -c:a pcm_s16le " +
                    Quote(dir.File("ffmpeg.raw")))
                .ExitCode,
            0);
  TMACIn in;
  in.SetFileName(dir.File("x.ape"));
  in.Init();
  std::vector<uint8_t> ours;
  uint8_t buffer[5000];
  for (int32_t n; (n = in.GetData(buffer)) > 0;) {
    ours.insert(ours.end(), buffer, buffer + n);
  }
  in.Flush();
  EXPECT_EQ(ours, ReadFileBytes(dir.File("ffmpeg.raw")));
}

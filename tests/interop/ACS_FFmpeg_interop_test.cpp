// Files made by ffmpeg decode through TFFmpegIn to exactly what ffmpeg itself decodes, in the
// stream's own format, for the length the container states; ranges start and end on the sample.

#include "formats/ffmpeg/ACS_FFmpeg.h"

#include <gtest/gtest.h>

#include "support/RunSink.h"
#include "support/TestSupport.h"
#include "tags/SongInformation.h"

using namespace testing_support;

namespace {

struct TInputCase {
  const char* Name;
  const char* Encode;     // ffmpeg's output options
  const char* Extension;
  const char* Reference;  // the raw format ffmpeg decodes to for the comparison
  int32_t Bits;
  TSampleKind Kind;
  int32_t Channels;
  int32_t Rate;
  uint32_t Mask;  // the WAVE channel mask ffmpeg writes when it decodes the file to WAV
  int64_t Frames;  // the length the container states; 0: as many frames as ffmpeg decodes
};

void PrintTo(const TInputCase& input, std::ostream* out) { *out << input.Name; }

// Two seconds at 44.1 kHz, a different tone in every channel; six channels are 5.1.
std::string MakeInput(const TempDir& dir, const TInputCase& input) {
  std::string tones;
  for (int c = 0; c < input.Channels; ++c) {
    tones += (c == 0 ? "" : "|") + std::string("0.5*sin(") + std::to_string(220 * (c + 1)) + "*2*PI*t)";
  }
  const std::string layout = input.Channels == 6 ? ":c=5.1" : "";
  const std::string file = dir.File(std::string("in") + input.Extension);
  const ToolResult made = RunTool("ffmpeg -v error -y -f lavfi -i \"aevalsrc=" + tones + ":d=2:s=44100" + layout +
                                  "\" " + input.Encode + " " + Quote(file));
  EXPECT_EQ(made.ExitCode, 0) << made.Output;
  return file;
}

std::vector<uint8_t> FFmpegDecoded(const std::string& file, const std::string& format) {
  const ToolResult decoded = RunTool("ffmpeg -v error -i " + Quote(file) + " -f " + format + " -");
  EXPECT_EQ(decoded.ExitCode, 0);
  return std::vector<uint8_t>(decoded.Output.begin(), decoded.Output.end());
}

std::vector<uint8_t> Decoded(const std::string& file, int64_t start = 0, int64_t end = -1, size_t request = 5000) {
  TFFmpegIn source;
  source.SetFileName(file);
  source.SetStartSample(start);
  source.SetEndSample(end);
  source.Init();
  std::vector<uint8_t> pcm = DrainSource(source, request);
  EXPECT_EQ(source.Size(), static_cast<int64_t>(pcm.size()));
  source.Flush();
  return pcm;
}

class FFmpegInputTest : public ::testing::TestWithParam<TInputCase> {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg")) {
      GTEST_SKIP() << "ffmpeg is needed";
    }
  }
  TempDir FDir;
};

}  // namespace

TEST_P(FFmpegInputTest, DeliversTheSamplesFFmpegDecodesInTheStreamsOwnFormat) {
  const TInputCase& input = GetParam();
  const std::string file = MakeInput(FDir, input);
  TFFmpegIn probe;
  probe.SetFileName(file);
  const TPcmFormat format = probe.GetFormat();
  EXPECT_EQ(format.BitsPerSample, input.Bits);
  EXPECT_EQ(format.Kind, input.Kind);
  EXPECT_EQ(format.Channels, input.Channels);
  EXPECT_EQ(format.SampleRate, input.Rate);
  EXPECT_EQ(format.ChannelMask, input.Mask);

  const std::vector<uint8_t> ours = Decoded(file);
  std::vector<uint8_t> reference = FFmpegDecoded(file, input.Reference);
  ASSERT_FALSE(reference.empty());
  if (input.Frames > 0) {
    // ffmpeg leaves the encoder's padding at the end of an MP4 file; the container says where
    // the audio ends, and the source stops there.
    EXPECT_EQ(static_cast<int64_t>(ours.size()), input.Frames * format.BytesPerFrame());
    ASSERT_GE(reference.size(), ours.size());
    reference.resize(ours.size());
  }
  EXPECT_EQ(ours.size(), reference.size());
  EXPECT_TRUE(ours == reference) << "decoded samples differ from ffmpeg's";
  // Requests smaller than a frame are served from the source's own buffer.
  EXPECT_TRUE(Decoded(file, 0, -1, 2) == ours) << "read two bytes at a time";
}

TEST_P(FFmpegInputTest, ARangeStartsAndEndsOnItsSamples) {
  const TInputCase& input = GetParam();
  const std::string file = MakeInput(FDir, input);
  const std::vector<uint8_t> whole = Decoded(file);
  const size_t frame = static_cast<size_t>(input.Channels * input.Bits / 8);
  ASSERT_GT(whole.size(), 60000 * frame);
  const std::vector<uint8_t> part = Decoded(file, 12345, 60000);
  EXPECT_TRUE(part == std::vector<uint8_t>(whole.begin() + 12345 * frame, whole.begin() + 60000 * frame));
}

INSTANTIATE_TEST_SUITE_P(
    Files, FFmpegInputTest,
    ::testing::Values(
        TInputCase{"Alac16", "-c:a alac -sample_fmt s16p", ".m4a", "s16le", 16, TSampleKind::skInteger, 2, 44100, 0x3, 0},
        TInputCase{"Alac24", "-c:a alac -sample_fmt s32p", ".m4a", "s24le", 24, TSampleKind::skInteger, 2, 44100, 0x3, 0},
        TInputCase{"WavPack51", "-c:a wavpack -sample_fmt s16p", ".wv", "s16le", 16, TSampleKind::skInteger, 6, 44100,
                   0x3F, 0},
        TInputCase{"WavPackFloat", "-c:a wavpack -sample_fmt fltp", ".wv", "f32le", 32, TSampleKind::skFloat, 2, 44100,
                   0x3, 0},
        TInputCase{"Aiff16", "-c:a pcm_s16be", ".aiff", "s16le", 16, TSampleKind::skInteger, 2, 44100, 0x3, 0},
        TInputCase{"Aiff24Mono", "-c:a pcm_s24be", ".aif", "s24le", 24, TSampleKind::skInteger, 1, 44100, 0x4, 0},
        TInputCase{"Tta", "-c:a tta -sample_fmt s16", ".tta", "s16le", 16, TSampleKind::skInteger, 2, 44100, 0x3, 0},
        TInputCase{"AacInM4a", "-c:a aac -b:a 128k", ".m4a", "f32le", 32, TSampleKind::skFloat, 2, 44100, 0x3, 88200},
        TInputCase{"Opus", "-c:a libopus -b:a 96k", ".opus", "f32le", 32, TSampleKind::skFloat, 2, 48000, 0x3, 0}),
    [](const ::testing::TestParamInfo<TInputCase>& info) { return std::string(info.param.Name); });

TEST(FFmpegInputFailureTest, FilesThePipelineCannotCarrySayWhy) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is needed";
  }
  TempDir dir;
  const auto make = [&](const std::string& options, const std::string& name) {
    const std::string file = dir.File(name);
    EXPECT_EQ(RunTool("ffmpeg -v error -y -f lavfi " + options + " " + Quote(file)).ExitCode, 0) << name;
    return file;
  };
  // An Apple Lossless file whose sample entry names a codec nobody knows.
  const std::string unknown = make("-i sine=d=0.2 -c:a alac", "unknown.m4a");
  std::vector<uint8_t> bytes = ReadFileBytes(unknown);
  const std::string image(bytes.begin(), bytes.end());
  const size_t entry = image.find("alac", image.find("stsd"));
  ASSERT_NE(entry, std::string::npos);
  std::copy_n("qzxw", 4, bytes.begin() + static_cast<std::ptrdiff_t>(entry));
  WriteFileBytes(unknown, bytes);
  const std::pair<std::string, std::string> cases[] = {
      {make("-i \"aevalsrc=0|0|0|0|0|0|0|0|0|0:d=0.1\" -c:a pcm_s16be", "ten.aiff"),
       "it has 10 channels; at most 8 are read"},
      {make("-i sine=d=0.1:sample_rate=800000 -c:a pcm_s16be", "fast.aiff"),
       "its sample rate of 800000 Hz is outside 1 Hz to 768 kHz"},
      {unknown, "its audio codec (qzxw) cannot be decoded"},
      {make("-i color=d=0.1 -c:v mpeg4", "video.mp4"), "it holds no audio stream"},
  };
  for (const auto& [file, says] : cases) {
    TFFmpegIn source;
    source.SetFileName(file);
    try {
      source.GetChannels();
      ADD_FAILURE() << file << " was opened";
    } catch (const EACSException& error) {
      EXPECT_EQ(std::string(error.what()), file + ": " + says);
    }
    EXPECT_EQ(source.OpenCount(), 0);
  }
}

TEST(FFmpegInputTagsTest, TheSummaryReadsTheContainersTags) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is needed";
  }
  TempDir dir;
  for (const char* name : {"tagged.m4a", "tagged.opus"}) {
    const std::string file = dir.File(name);
    ASSERT_EQ(RunTool("ffmpeg -v error -y -f lavfi -i \"sine=d=1\" -metadata title=T\xC3\xAFtle -metadata artist=Artist "
                      "-metadata album=Album -metadata date=2024 -metadata track=7/12 -metadata genre=Jazz "
                      "-metadata comment=Note " + Quote(file))
                  .ExitCode,
              0);
    const SongInformation info = ReadSongInformation(file);
    EXPECT_EQ(info.Title, "T\xC3\xAFtle") << name;
    EXPECT_EQ(info.Artist, "Artist") << name;
    EXPECT_EQ(info.Album, "Album") << name;
    EXPECT_EQ(info.Year, "2024") << name;
    EXPECT_EQ(info.Track, "7") << name;
    EXPECT_EQ(info.Genre, "Jazz") << name;
    EXPECT_EQ(info.Comment, "Note") << name;
    EXPECT_EQ(info.StreamInfo.ChannelMode, "Mono") << name;
    EXPECT_NEAR(info.StreamInfo.Duration, 1.0, 0.05) << name;
  }
}

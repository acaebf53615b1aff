// MP3 files made by lame and WMA files made by ffmpeg decode through TDX9In to exactly what
// ffmpeg itself decodes.

#include "formats/directshow/ACS_DX9.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

struct TMp3Case {
  const char* Mode;  // lame's bit-rate options
  int Channels;
  int SampleRate;
};

std::string Describe(const ::testing::TestParamInfo<TMp3Case>& info) {
  return std::string(info.param.Mode[1] == 'b' ? "CBR" : "VBR") + (info.param.Channels == 1 ? "Mono" : "Stereo") +
         std::to_string(info.param.SampleRate);
}

std::string FFmpegPcm(const std::string& file, const std::string& extra = "") {
  const ToolResult result = RunTool("ffmpeg -v error -i " + Quote(file) + " " + extra + " -f s16le -");
  EXPECT_EQ(result.ExitCode, 0);
  return result.Output;
}

struct TDelivery {
  std::string Pcm;
  int32_t SizeAtInit = 0;
  int32_t SizeAtEnd = 0;
  bool PassedSize = false;
};

TDelivery Deliver(const std::string& file) {
  TDX9In source;
  source.SetFileName(file);
  source.Init();
  TDelivery delivery;
  delivery.SizeAtInit = source.Size();
  std::vector<uint8_t> buffer(16384);
  while (const int32_t n = source.GetData(buffer)) {
    delivery.Pcm.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    delivery.PassedSize = delivery.PassedSize || source.Position() > source.Size();
  }
  delivery.SizeAtEnd = source.Size();
  source.Flush();
  return delivery;
}

void ExpectSameAsFFmpeg(const std::string& file, int channels, int sampleRate) {
  TDX9In probe;
  probe.SetFileName(file);
  EXPECT_EQ(probe.GetChannels(), channels);
  EXPECT_EQ(probe.GetSampleRate(), sampleRate);
  EXPECT_EQ(probe.GetBitsPerSample(), 16);
  const TDelivery delivery = Deliver(file);
  const std::string reference = FFmpegPcm(file);
  ASSERT_FALSE(reference.empty());
  EXPECT_EQ(delivery.Pcm.size(), reference.size());
  EXPECT_TRUE(delivery.Pcm == reference) << "decoded samples differ from ffmpeg's";
  // The length known before the run is the stream's own, not whole seconds; at the end it is exact.
  EXPECT_NEAR(delivery.SizeAtInit, static_cast<double>(reference.size()), 0.1 * sampleRate * channels * 2);
  EXPECT_EQ(delivery.SizeAtEnd, static_cast<int32_t>(reference.size()));
  EXPECT_FALSE(delivery.PassedSize);
}

class Mp3InputTest : public ::testing::TestWithParam<TMp3Case> {
protected:
  void SetUp() override {
    if (!HaveTool("lame") || !HaveTool("ffmpeg")) {
      GTEST_SKIP() << "lame and ffmpeg are needed";
    }
  }
  TempDir FDir;
};

}  // namespace

TEST_P(Mp3InputTest, DecodesToTheSameSamplesAsFFmpeg) {
  const TMp3Case& param = GetParam();
  const std::string wav = FDir.File("in.wav");
  const std::string mp3 = FDir.File("in.mp3");
  const int frames = param.SampleRate * 23 / 10;
  WriteFileBytes(wav, PcmWaveFile(static_cast<uint16_t>(param.Channels), static_cast<uint32_t>(param.SampleRate), 16,
                                  SamplesToBytes(MakeSine16(frames, param.Channels, param.SampleRate))));
  const std::string mode = param.Channels == 1 ? " -m m" : " -m j";
  ASSERT_EQ(RunTool("lame --quiet " + std::string(param.Mode) + mode + " " + Quote(wav) + " " + Quote(mp3)).ExitCode, 0);
  ExpectSameAsFFmpeg(mp3, param.Channels, param.SampleRate);
}

INSTANTIATE_TEST_SUITE_P(LameFiles, Mp3InputTest,
                         ::testing::Values(TMp3Case{"-b 128", 2, 44100}, TMp3Case{"-V 4", 2, 44100}, TMp3Case{"-b 64", 1, 32000},
                                           TMp3Case{"-V 2", 1, 48000}, TMp3Case{"-b 192", 2, 48000}, TMp3Case{"-V 6", 2, 32000},
                                           TMp3Case{"-b 96", 1, 44100}),
                         Describe);

TEST(WmaInputTest, FilesMadeByFFmpegDecodeToTheSameSamples) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is needed";
  }
  TempDir dir;
  const std::string wav = dir.File("in.wav");
  WriteFileBytes(wav, PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100 * 3, 2, 44100))));
  for (const char* options : {"-c:a wmav2 -b:a 128k", "-c:a wmav1 -b:a 96k", "-c:a wmav2 -ac 1 -ar 22050 -b:a 48k"}) {
    SCOPED_TRACE(options);
    const std::string wma = dir.File("out.wma");
    ASSERT_EQ(RunTool("ffmpeg -v error -y -i " + Quote(wav) + " " + options + " " + Quote(wma)).ExitCode, 0);
    const bool mono = std::string(options).find("-ac 1") != std::string::npos;
    ExpectSameAsFFmpeg(wma, mono ? 1 : 2, mono ? 22050 : 44100);
  }
}

TEST(DX9InputTest, MoreThanTwoChannelsAreMixedToStereo) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is needed";
  }
  TempDir dir;
  const std::string file = dir.File("surround.mka");
  ASSERT_EQ(RunTool("ffmpeg -v error -f lavfi -i sine=frequency=300:duration=1 -af 'pan=5.1|c0=c0|c1=0.5*c0|c2=0.2*c0|c3=c0|c4=c0|c5=0.1*c0' "
                    "-c:a flac -f matroska " + Quote(file))
                .ExitCode,
            0);
  TDX9In source;
  source.SetFileName(file);
  EXPECT_EQ(source.GetChannels(), 2);
  EXPECT_TRUE(Deliver(file).Pcm == FFmpegPcm(file, "-ac 2"));
}

TEST(DX9InputTest, ATextFileNamedMp3FailsWithTheTablesMessage) {
  TempDir dir;
  const std::string file = dir.File("readme.mp3");
  const std::string text = "These are not the samples you are looking for.\n";
  WriteFileBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
  TDX9In source;
  source.SetFileName(file);
  try {
    source.GetSampleRate();
    FAIL() << "no failure";
  } catch (const EAudioReadError& error) {
    EXPECT_EQ(std::string(error.what()), AudioReadErrorText(error.ErrorCode()));
    EXPECT_NE(std::string(error.what()), "Unrecognized error value.");
  }
}

TEST(DX9InputTest, LoopRestartsAnMp3AtItsFirstSample) {
  if (!HaveTool("lame") || !HaveTool("ffmpeg")) {
    GTEST_SKIP() << "lame and ffmpeg are needed";
  }
  TempDir dir;
  const std::string wav = dir.File("in.wav");
  const std::string mp3 = dir.File("in.mp3");
  WriteFileBytes(wav, PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(44100, 2, 44100))));
  ASSERT_EQ(RunTool("lame --quiet -b 128 " + Quote(wav) + " " + Quote(mp3)).ExitCode, 0);
  const std::string once = FFmpegPcm(mp3);
  TDX9In source;
  source.SetFileName(mp3);
  source.SetLoop(true);
  source.Init();
  std::string all;
  std::vector<uint8_t> buffer(10000);
  while (all.size() < 2 * once.size() + 4) {
    const int32_t n = source.GetData(buffer);
    ASSERT_GT(n, 0);
    all.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
  }
  source.Flush();
  EXPECT_TRUE(all.substr(0, once.size()) == once);
  EXPECT_TRUE(all.substr(once.size(), once.size()) == once) << "the second pass does not start at the first sample";
}

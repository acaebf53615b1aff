// Files from our Monkey's Audio library against independent tools: FFmpeg decodes them bit for bit
// with CRC checking on, and they are smaller than FLAC's at its strongest setting.

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <utility>
#include <vector>

#include "formats/ape/MACDll.h"
#include "support/ApeTestSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> FFmpegDecode(const std::string& file, int bitsPerSample) {
  const std::string format = bitsPerSample == 8 ? "u8" : bitsPerSample == 16 ? "s16le" : "s24le";
  const std::string raw = file + ".raw";
  const std::string errors = file + ".err";
  const ToolResult result = RunTool("ffmpeg -nostdin -v error -err_detect crccheck -i " + Quote(file) + " -f " +
                                    format + " -c:a pcm_" + format + " -y " + Quote(raw) + " 2> " + Quote(errors));
  EXPECT_EQ(result.ExitCode, 0) << file;
  EXPECT_TRUE(ReadFileBytes(errors).empty()) << file << ": " << std::string(ReadFileBytes(errors).begin(),
                                                                             ReadFileBytes(errors).end());
  return ReadFileBytes(raw);
}

std::string Probe(const std::string& file, const std::string& entries) {
  return RunTool("ffprobe -v error -show_entries " + entries + " -of default=noprint_wrappers=1 " + Quote(file))
      .Output;
}

using Shape = std::tuple<int /*level*/, int /*channels*/, int /*bits*/>;

class FFmpegReadsOurFiles : public ::testing::TestWithParam<Shape> {
protected:
  void SetUp() override {
    if (!HaveTool("ffmpeg")) {
      GTEST_SKIP() << "ffmpeg is not installed";
    }
  }
  MACDllBinding binding;
  TempDir dir;
};

}  // namespace

TEST_P(FFmpegReadsOurFiles, EverySignalDecodesToTheInputSamples) {
  const auto [level, channels, bits] = GetParam();
  // A frame of music, a silent frame and a frame of left equal to right, each coded its own way.
  std::vector<uint8_t> mixed = MakeSignal(TestSignal::MusicLike, 73728, channels, bits);
  for (const auto& [signal, blocks] : {std::pair{TestSignal::Silence, 73728}, std::pair{TestSignal::DualMono, 5000}}) {
    const std::vector<uint8_t> part = MakeSignal(signal, blocks, channels, bits);
    mixed.insert(mixed.end(), part.begin(), part.end());
  }
  // Music around a gap that short frames code as silence.
  std::vector<uint8_t> gap = MakeSignal(TestSignal::MusicLike, 20000, channels, bits);
  for (const auto& [signal, blocks] : {std::pair{TestSignal::Silence, 40000}, std::pair{TestSignal::MusicLike, 20000}}) {
    const std::vector<uint8_t> part = MakeSignal(signal, blocks, channels, bits);
    gap.insert(gap.end(), part.begin(), part.end());
  }
  const struct {
    const char* Name;
    std::vector<uint8_t> Pcm;
  } cases[] = {{"silence", MakeSignal(TestSignal::Silence, 5000, channels, bits)},
               {"sine", MakeSignal(TestSignal::Sine, 20000, channels, bits)},
               {"music", MakeSignal(TestSignal::MusicLike, 30000, channels, bits)},
               {"noise", MakeSignal(TestSignal::FullScaleNoise, 20000, channels, bits)},
               {"dual-mono", MakeSignal(TestSignal::DualMono, 20000, channels, bits)},
               {"mixed-frames", mixed},
               {"gap", gap},
               {"one-block", MakeSignal(TestSignal::MusicLike, 1, channels, bits)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string file = dir.File(std::string(c.Name) + ".ape");
    const std::vector<uint8_t>& pcm = c.Pcm;
    const size_t blocks = pcm.size() / (static_cast<size_t>(channels) * (bits / 8));
    ApeEncodeOptions options;
    options.Channels = channels;
    options.BitsPerSample = bits;
    options.Level = level;
    ASSERT_EQ(CompressPcm(file, pcm, options), 0);
    EXPECT_EQ(FFmpegDecode(file, bits), pcm);
    EXPECT_EQ(DecompressPcm(file), pcm);
    EXPECT_EQ(Probe(file, "stream=duration_ts"), "duration_ts=" + std::to_string(blocks) + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(AllShapes, FFmpegReadsOurFiles,
                         ::testing::Combine(::testing::Values(1000, 2000, 3000, 4000, 5000), ::testing::Values(1, 2),
                                            ::testing::Values(8, 16, 24)),
                         [](const auto& info) {
                           return "Level" + std::to_string(std::get<0>(info.param)) + "_" +
                                  std::to_string(std::get<1>(info.param)) + "ch_" +
                                  std::to_string(std::get<2>(info.param)) + "bit";
                         });

TEST(MACDllStoredHeader, AStoredWavHeaderAndTrailerKeepTheAudioWhereFFmpegLooks) {
  if (!HaveTool("ffmpeg")) {
    GTEST_SKIP() << "ffmpeg is not installed";
  }
  MACDllBinding binding;
  TempDir dir;
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::MusicLike, 80000, 2, 16);
  const std::vector<uint8_t> wav = PcmWaveFile(2, 44100, 16, pcm);
  unsigned char trailer[] = "LIST....trailing chunk";
  int error = 0;
  APE_COMPRESS_HANDLE handle = MACDll::c_APECompress_Create(&error);
  TMACWaveFormatEx format{};
  MACDll::FillWaveFormatEx(&format, 44100, 16, 2);
  const std::string file = dir.File("x.ape");
  ASSERT_EQ(MACDll::c_APECompress_Start(handle, file.c_str(), &format, static_cast<int>(pcm.size()), 3000, wav.data(),
                                        44),
            0);
  ASSERT_EQ(MACDll::c_APECompress_AddData(handle, const_cast<uint8_t*>(pcm.data()), static_cast<int>(pcm.size())), 0);
  ASSERT_EQ(MACDll::c_APECompress_Finish(handle, trailer, sizeof trailer, sizeof trailer), 0);
  MACDll::c_APECompress_Destroy(handle);

  const std::vector<uint8_t> image = ReadFileBytes(file);
  EXPECT_EQ(Le32At(image, 20), 44u);                        // header data bytes
  EXPECT_EQ(Le16At(image, 52 + 2), 0u);                     // flags: the header is stored
  EXPECT_TRUE(std::equal(wav.begin(), wav.begin() + 44, image.begin() + 52 + 24 + 8));
  EXPECT_EQ(FFmpegDecode(file, 16), pcm);
}

TEST(MACDllCompression, EveryLevelIsSmallerThanFlac8OnMusicLikeAudio) {
  if (!HaveTool("flac")) {
    GTEST_SKIP() << "flac is not installed";
  }
  MACDllBinding binding;
  TempDir dir;
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::MusicLike, 200000, 2, 16);
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 44100, 16, pcm));
  ASSERT_EQ(RunTool("flac -8 -s -f -o " + Quote(dir.File("in.flac")) + " " + Quote(dir.File("in.wav"))).ExitCode, 0);
  const uintmax_t flac = std::filesystem::file_size(dir.File("in.flac"));
  for (int level = 1000; level <= 5000; level += 1000) {
    SCOPED_TRACE(level);
    ApeEncodeOptions options;
    options.Level = level;
    ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, options), 0);
    EXPECT_LT(std::filesystem::file_size(dir.File("x.ape")), flac);
  }
}

// Our Monkey's Audio library through its exported calls: exact file images, streaming, the
// decompressor's answers, tags and the refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "formats/ape/MACDll.h"
#include "support/ApeTestSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) { return SamplesToBytes(samples); }

std::vector<uint8_t> Hex(const char* text) {
  std::vector<uint8_t> bytes;
  for (const char* p = text; *p != 0;) {
    if (*p == ' ' || *p == '\n') {
      ++p;
      continue;
    }
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
    p += 2;
  }
  return bytes;
}

// Four long frames of stereo silence with a decaying click in the third.
std::vector<uint8_t> ClickInSilence() {
  std::vector<int16_t> samples(2 * 4 * 73728, 0);
  int16_t swing = 12000;
  for (size_t n = 2 * (2 * 73728 + 1000); swing != 0; n += 2, swing = static_cast<int16_t>(-swing * 2 / 3)) {
    samples[n] = swing;
    samples[n + 1] = static_cast<int16_t>(swing / 2);
  }
  return Pcm16(samples);
}

class MACDllTest : public ::testing::Test {
protected:
  MACDllBinding binding;
  TempDir dir;
};

}  // namespace

TEST_F(MACDllTest, StereoLevel2000MatchesTheReferenceImageByteForByte) {
  const std::string file = dir.File("a.ape");
  ApeEncodeOptions options;
  ASSERT_EQ(CompressPcm(file, Pcm16({0, 0, 1000, -1000, -32768, 32767, 12345, 12345}), options), 0);
  EXPECT_EQ(ReadFileBytes(file), Hex("4d41 4320 960f 0000 3400 0000 1800 0000"
                                     "0400 0000 0000 0000 2400 0000 0000 0000"
                                     "0000 0000 e123 2a19 1df1 aea8 5842 c20c"
                                     "2350 a6f6 d007 2000 0020 0100 0400 0000"
                                     "0100 0000 1000 0200 44ac 0000 5000 0000"
                                     "2e38 9f74 0500 0000 767c c5a9 0096 8969"
                                     "66fd 3475 001c 7fc5 adc4 cf02 00b3 4166"
                                     "0000 0000"));
}

TEST_F(MACDllTest, MonoLevel1000MatchesTheReferenceImageByteForByte) {
  const std::string file = dir.File("b.ape");
  ApeEncodeOptions options;
  options.Channels = 1;
  options.Level = 1000;
  ASSERT_EQ(CompressPcm(file, Pcm16({0, 5, -7, 300, -32768}), options), 0);
  EXPECT_EQ(ReadFileBytes(file), Hex("4d41 4320 960f 0000 3400 0000 1800 0000"
                                     "0400 0000 0000 0000 1800 0000 0000 0000"
                                     "0000 0000 6854 82f8 717a 95ea eeee f946"
                                     "33ec 0c13 e803 2000 0020 0100 0500 0000"
                                     "0100 0000 1000 0100 44ac 0000 5000 0000"
                                     "6f88 862a 3500 0000 89e8 3029 1200 9c60"
                                     "0000 d4d2 0000 0000"));
}

TEST_F(MACDllTest, SilentAndDualMonoFramesCarryTheirSpecialCode) {
  const struct {
    const char* Name;
    int Channels;
    TestSignal Signal;
    uint32_t Code;  // 0: none
  } cases[] = {{"stereo silence", 2, TestSignal::Silence, 3},
               {"mono silence", 1, TestSignal::Silence, 1},
               {"left equals right", 2, TestSignal::DualMono, 4},
               {"music", 2, TestSignal::MusicLike, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<uint8_t> pcm = MakeSignal(c.Signal, 20000, c.Channels, 16);
    ApeEncodeOptions options;
    options.Channels = c.Channels;
    ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, options), 0);
    const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
    const size_t frame = 52 + 24 + 4;
    EXPECT_EQ((Le32At(image, frame) & 0x80000000u) != 0, c.Code != 0);  // the CRC word says a code follows
    if (c.Code != 0) {
      EXPECT_EQ(Le32At(image, frame + 4), c.Code);
    }
    if (c.Code & 1) {
      EXPECT_EQ(image.size(), frame + 16);  // CRC, code, the range coder's five bytes, padding
    }
    EXPECT_EQ(DecompressPcm(dir.File("x.ape")), pcm);
  }
}

TEST_F(MACDllTest, AHigherLevelIsNeverLargerThanTheOneBelow) {
  // Silence with a click: a level with longer frames would code more silence.
  const std::vector<uint8_t> click = ClickInSilence();
  const struct {
    const char* Name;
    std::vector<uint8_t> Pcm;
  } cases[] = {{"click", click}, {"music", MakeSignal(TestSignal::MusicLike, 100000, 2, 16)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    uintmax_t below = UINTMAX_MAX;
    for (int level = 1000; level <= 5000; level += 1000) {
      SCOPED_TRACE(level);
      ApeEncodeOptions options;
      options.Level = level;
      ASSERT_EQ(CompressPcm(dir.File("x.ape"), c.Pcm, options), 0);
      const uintmax_t size = std::filesystem::file_size(dir.File("x.ape"));
      EXPECT_LE(size, below + below / 200);
      below = size;
    }
  }
}

TEST_F(MACDllTest, ShortFramesAreKeptOnlyWhereTheyCodeMoreSilenceAndLeaveNoScratchFile) {
  const struct {
    const char* Name;
    std::vector<uint8_t> Pcm;
    uint32_t BlocksPerFrame;
    uint32_t Frames;
  } cases[] = {{"click", ClickInSilence(), 18432, 16},
               {"music", MakeSignal(TestSignal::MusicLike, 100000, 2, 16), 73728, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_EQ(CompressPcm(dir.File("x.ape"), c.Pcm, ApeEncodeOptions()), 0);
    const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
    EXPECT_EQ(Le32At(image, 52 + 4), c.BlocksPerFrame);
    EXPECT_EQ(Le32At(image, 52 + 12), c.Frames);
    EXPECT_EQ(DecompressPcm(dir.File("x.ape")), c.Pcm);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  }
}

TEST_F(MACDllTest, StreamedPiecesAcrossFramesGiveTheSameFileWithOrWithoutAnAnnouncedSize) {
  // Three frames at level 1000, fed in odd-sized pieces that split blocks and frames.
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::MusicLike, 2 * 73728 + 12345, 2, 16);
  ApeEncodeOptions streamed;
  streamed.Level = 1000;
  streamed.PieceBytes = 1001;
  ApeEncodeOptions announced = streamed;
  announced.MaxAudioBytes = static_cast<int>(pcm.size());
  announced.PieceBytes = 0;
  ASSERT_EQ(CompressPcm(dir.File("streamed.ape"), pcm, streamed), 0);
  ASSERT_EQ(CompressPcm(dir.File("announced.ape"), pcm, announced), 0);
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("streamed.ape"));
  EXPECT_EQ(image, ReadFileBytes(dir.File("announced.ape")));
  EXPECT_EQ(Le32At(image, 52 + 12), 3u);       // total frames
  EXPECT_EQ(Le32At(image, 52 + 8), 12345u);    // blocks in the last frame
  EXPECT_EQ(DecompressPcm(dir.File("streamed.ape")), pcm);
}

TEST_F(MACDllTest, AnOverstatedSizeStillPutsTheFramesRightBehindTheSeekTable) {
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::Sine, 1000, 1, 16);
  ApeEncodeOptions options;
  options.Channels = 1;
  options.MaxAudioBytes = 100 * 1000 * 1000;
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, options), 0);
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  EXPECT_EQ(Le32At(image, 16), 4u);  // one seek entry
  EXPECT_EQ(Le32At(image, 76), 80u);  // frame 0 starts right after it
  EXPECT_EQ(image.size(), 80u + Le32At(image, 24));
  EXPECT_EQ(DecompressPcm(dir.File("x.ape")), pcm);
}

TEST_F(MACDllTest, AWholeNumberOfFramesEndsWithAFullFinalFrame) {
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::Sine, 2 * 73728, 1, 8);
  ApeEncodeOptions options;
  options.Channels = 1;
  options.BitsPerSample = 8;
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, options), 0);
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  EXPECT_EQ(Le32At(image, 52 + 12), 2u);
  EXPECT_EQ(Le32At(image, 52 + 8), 73728u);
  EXPECT_EQ(DecompressPcm(dir.File("x.ape")), pcm);
}

TEST_F(MACDllTest, NoAudioGivesAWellFormedEmptyFileThatReadsAsEmpty) {
  ASSERT_EQ(CompressPcm(dir.File("empty.ape"), {}, ApeEncodeOptions{}), 0);
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("empty.ape"));
  EXPECT_EQ(image.size(), 76u);
  EXPECT_EQ(Le32At(image, 52 + 12), 0u);
  int error = -1;
  APE_DECOMPRESS_HANDLE handle = MACDll::c_APEDecompress_Create(dir.File("empty.ape").c_str(), &error);
  ASSERT_EQ(error, 0);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_SAMPLE_RATE, 0, 0), 44100);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_WAV_DATA_BYTES, 0, 0), 0);
  char buffer[16];
  int blocks = -1;
  EXPECT_EQ(MACDll::c_APEDecompress_GetData(handle, buffer, 4, &blocks), 0);
  EXPECT_EQ(blocks, 0);
  MACDll::c_APEDecompress_Destroy(handle);
}

TEST_F(MACDllTest, DecompressorReportsTheFormatAndSeeksToAnyBlock) {
  const int total = 73728 + 5000;
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::MusicLike, total, 2, 16);
  ApeEncodeOptions options;
  options.SampleRate = 22050;
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, options), 0);
  int error = -1;
  APE_DECOMPRESS_HANDLE handle = MACDll::c_APEDecompress_Create(dir.File("x.ape").c_str(), &error);
  ASSERT_EQ(error, 0);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_SAMPLE_RATE, 0, 0), 22050);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_BITS_PER_SAMPLE, 0, 0), 16);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_CHANNELS, 0, 0), 2);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_WAV_DATA_BYTES, 0, 0), total * 4);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_DECOMPRESS_LENGTH_MS, 0, 0), total * 1000LL / 22050);
  EXPECT_EQ(MACDll::c_APEDecompress_GetInfo(handle, APE_INFO_COMPRESSION_LEVEL, 0, 0), 2000);

  // Into the second frame, back into the first, and past the end.
  for (const int target : {73728 + 17, 3, 1000, total + 10}) {
    SCOPED_TRACE(target);
    EXPECT_EQ(MACDll::c_APEDecompress_Seek(handle, target), 0);
    std::vector<char> piece(400);
    int blocks = -1;
    ASSERT_EQ(MACDll::c_APEDecompress_GetData(handle, piece.data(), 100, &blocks), 0);
    const int expected = std::min(100, std::max(total - target, 0));
    ASSERT_EQ(blocks, expected);
    EXPECT_EQ(std::memcmp(piece.data(), pcm.data() + static_cast<size_t>(target) * 4, static_cast<size_t>(blocks) * 4),
              0);
  }
  MACDll::c_APEDecompress_Destroy(handle);
}

TEST_F(MACDllTest, ADamagedFrameIsReportedNotDeliveredAsAudio) {
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::MusicLike, 20000, 2, 16);
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, ApeEncodeOptions{}), 0);
  std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  image[image.size() / 2] ^= 0x10;
  WriteFileBytes(dir.File("x.ape"), image);
  int error = -1;
  APE_DECOMPRESS_HANDLE handle = MACDll::c_APEDecompress_Create(dir.File("x.ape").c_str(), &error);
  ASSERT_EQ(error, 0);
  std::vector<char> all(pcm.size());
  int blocks = 0;
  EXPECT_EQ(MACDll::c_APEDecompress_GetData(handle, all.data(), 20000, &blocks), MAC_ERROR_DECOMPRESSING_FRAME);
  MACDll::c_APEDecompress_Destroy(handle);
}

TEST_F(MACDllTest, UnsupportedShapesAndUnreadableFilesAreRefusedWithTheirCodes) {
  ApeEncodeOptions options;
  options.BitsPerSample = 20;
  EXPECT_EQ(CompressPcm(dir.File("a.ape"), {}, options), MAC_ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH);
  options = {};
  options.Channels = 3;
  EXPECT_EQ(CompressPcm(dir.File("a.ape"), {}, options), MAC_ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT);
  options = {};
  options.Level = 2500;
  EXPECT_EQ(CompressPcm(dir.File("a.ape"), {}, options), MAC_ERROR_BAD_PARAMETER);
  EXPECT_EQ(CompressPcm(dir.File("missing/a.ape"), {}, ApeEncodeOptions{}), MAC_ERROR_INVALID_OUTPUT_FILE);
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.ape")));

  // A header claiming a seek table larger than the file, which the reader would allocate first.
  ASSERT_EQ(CompressPcm(dir.File("huge.ape"), MakeSignal(TestSignal::Sine, 10, 2, 16), ApeEncodeOptions{}), 0);
  std::vector<uint8_t> image = ReadFileBytes(dir.File("huge.ape"));
  image[16] = 0xF0, image[17] = 0xFF, image[18] = 0xFF, image[19] = 0x7F;
  WriteFileBytes(dir.File("huge.ape"), image);

  WriteFileBytes(dir.File("not.ape"), std::vector<uint8_t>(1000, 0x41));
  for (const std::string& name : {dir.File("not.ape"), dir.File("none.ape"), dir.File("huge.ape")}) {
    int error = 0;
    EXPECT_EQ(MACDll::c_APEDecompress_Create(name.c_str(), &error), nullptr);
    EXPECT_EQ(error, MAC_ERROR_INVALID_INPUT_FILE);
  }
}

TEST_F(MACDllTest, AnUnfinishedCompressionLeavesNoFileBehind) {
  int error = 0;
  APE_COMPRESS_HANDLE handle = MACDll::c_APECompress_Create(&error);
  TMACWaveFormatEx format{};
  MACDll::FillWaveFormatEx(&format, 44100, 16, 2);
  ASSERT_EQ(MACDll::c_APECompress_Start(handle, dir.File("x.ape").c_str(), &format, -1, 2000, nullptr, -1), 0);
  std::vector<uint8_t> pcm = MakeSignal(TestSignal::Sine, 100000, 2, 16);
  ASSERT_EQ(MACDll::c_APECompress_AddData(handle, pcm.data(), static_cast<int>(pcm.size())), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("x.ape")));
  MACDll::c_APECompress_Destroy(handle);
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.ape")));
}

TEST_F(MACDllTest, TagFileSimpleReplacesTheTagAndKeepsAnId3v1Trailer) {
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), MakeSignal(TestSignal::Sine, 100, 2, 16), ApeEncodeOptions{}), 0);
  const size_t audioBytes = ReadFileBytes(dir.File("x.ape")).size();
  const std::string file = dir.File("x.ape");
  ASSERT_EQ(MACDll::TagFileSimple(file.c_str(), "Artist", "Album", "Title", "", "Rock", "1999", "3", 1, 0), 0);
  std::vector<uint8_t> image = ReadFileBytes(file);
  std::vector<uint8_t> id3v1(128, 0);
  std::memcpy(id3v1.data(), "TAG", 3);
  image.insert(image.end(), id3v1.begin(), id3v1.end());
  WriteFileBytes(file, image);

  ASSERT_EQ(MACDll::TagFileSimple(file.c_str(), "Änne", "", "Zweiter Titel", "", "", "", "", 1, 0), 0);
  image = ReadFileBytes(file);
  const std::string text(image.begin(), image.end());
  const size_t tag = audioBytes;
  EXPECT_EQ(text.substr(tag, 8), "APETAGEX");
  EXPECT_EQ(Le32At(image, tag + 16), 2u);  // two items: the empty ones are left out
  EXPECT_NE(text.find("Artist\0\xC3\x84nne", 0), std::string::npos);
  EXPECT_EQ(text.find("Album"), std::string::npos);
  EXPECT_EQ(text.substr(image.size() - 128, 3), "TAG");
  EXPECT_EQ(text.substr(image.size() - 160, 8), "APETAGEX");

  // An empty text removes its item also when the tag is not cleared first.
  ASSERT_EQ(MACDll::TagFileSimple(file.c_str(), "", "", "", "", "Jazz", "", "", 0, 0), 0);
  image = ReadFileBytes(file);
  EXPECT_EQ(Le32At(image, tag + 16), 1u);
  ASSERT_EQ(MACDll::RemoveTag(file.c_str()), 0);
  EXPECT_EQ(ReadFileBytes(file).size(), audioBytes + 128);
}

TEST_F(MACDllTest, AFooterClaimingTheAudioAsTagIsNotTrusted) {
  const std::vector<uint8_t> pcm = MakeSignal(TestSignal::Sine, 1000, 2, 16);
  ASSERT_EQ(CompressPcm(dir.File("x.ape"), pcm, ApeEncodeOptions{}), 0);
  std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  std::vector<uint8_t> footer = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
  AppendLe32(footer, 2000);
  AppendLe32(footer, static_cast<uint32_t>(image.size()));  // reaches back over the frames
  AppendLe32(footer, 0);
  AppendLe32(footer, 0);
  footer.resize(32, 0);
  image.insert(image.end(), footer.begin(), footer.end());
  WriteFileBytes(dir.File("x.ape"), image);
  ASSERT_EQ(MACDll::TagFileSimple(dir.File("x.ape").c_str(), "A", "", "", "", "", "", "", 1, 0), 0);
  EXPECT_EQ(DecompressPcm(dir.File("x.ape")), pcm);
}

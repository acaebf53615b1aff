#include <gtest/gtest.h>

#include <filesystem>

#include "formats/flac/ACS_FLAC.h"
#include "formats/flac/FLACMetadata.h"
#include "tags/FLACfile.h"
#include "support/FakeComponents.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> EncodeAndDecode(const std::vector<uint8_t>& pcm, int32_t bits, int32_t channels,
                                     const std::string& fileName) {
  TMemorySource source(pcm, bits, channels, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(fileName);
  const TRunOutcome outcome = RunToEnd(sink);
  EXPECT_TRUE(outcome.Done) << outcome.Message;
  TFLACIn in;
  in.SetFileName(fileName);
  in.Init();
  EXPECT_EQ(in.GetBitsPerSample(), bits);
  EXPECT_EQ(in.GetChannels(), channels);
  EXPECT_EQ(in.Size(), static_cast<int32_t>(pcm.size()));
  std::vector<uint8_t> decoded = DrainSource(in, 1000);
  std::vector<uint8_t> more(64);
  EXPECT_EQ(in.GetData(more), 0) << "the end of the stream must stay the end";
  in.Flush();
  return decoded;
}

}  // namespace

TEST(ACS_FLAC, SettersKeepTheirRules) {
  TFLACOut sink;
  EXPECT_EQ(sink.BlockSize(), 4608);
  EXPECT_EQ(sink.CompressionLevel(), -1);
  EXPECT_TRUE(sink.EnableMidSideStereo());
  sink.SetCompressionLevel(12);
  EXPECT_EQ(sink.CompressionLevel(), 8);
  sink.SetCompressionLevel(-5);
  EXPECT_EQ(sink.CompressionLevel(), -5);
  sink.SetEnableMidSideStereo(false);
  sink.SetEnableLooseMidSideStereo(true);
  EXPECT_TRUE(sink.EnableMidSideStereo());
  sink.SetBestModelSearch(true);
  EXPECT_TRUE(sink.EnableMidSideStereo());
  EXPECT_FALSE(sink.EnableLooseMidSideStereo());
}

TEST(ACS_FLAC, SixteenBitStereoAndMonoRoundTripBitExact) {
  TempDir dir;
  // An odd length, so the last block is a short one and must come back whole.
  const auto stereo = SamplesToBytes(MakeSine16(44100 + 1234, 2, 44100));
  EXPECT_EQ(EncodeAndDecode(stereo, 16, 2, dir.File("s.flac")), stereo);
  const auto mono = SamplesToBytes(MakeSine16(10007, 1, 44100));
  EXPECT_EQ(EncodeAndDecode(mono, 16, 1, dir.File("m.flac")), mono);
}

TEST(ACS_FLAC, EightBitSamplesKeepTheUnsignedForm) {
  TempDir dir;
  std::vector<uint8_t> pcm = MakeSine8(5000, 2, 44100);
  pcm[0] = 128;  // silence: reaches the library as 0
  pcm[1] = 0;    // the most negative sample: -128 in the library, byte 0 again when decoded
  pcm[2] = 255;
  EXPECT_EQ(EncodeAndDecode(pcm, 8, 2, dir.File("e.flac")), pcm);
}

TEST(ACS_FLAC, CoefficientPrecisionIsLoweredToFitTheSampleWidth) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(4000, 2, 44100)), 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("q.flac"));
  sink.SetMaxLPCOrder(8);
  sink.SetQLPCoeffPrecision(20);
  EXPECT_TRUE(RunToEnd(sink).Done);
  EXPECT_EQ(sink.QLPCoeffPrecision(), 15);
}

TEST(ACS_FLAC, RefusedSettingFailsPrepareNamingItAndLeavesNoFile) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(4000, 2, 44100)), 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("bad.flac"));
  sink.SetBlockSize(8);
  const TRunOutcome outcome = RunToEnd(sink);
  EXPECT_TRUE(outcome.Failed);
  EXPECT_EQ(outcome.Message, "Failed to initialize FLAC encoder. The block size 8 was refused.");
  EXPECT_FALSE(std::filesystem::exists(dir.File("bad.flac")));
  EXPECT_EQ(source.InitCount, source.FlushCount);
}

TEST(ACS_FLAC, StoppedRunLeavesACompleteStream) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(44100 * 20, 2, 44100)), 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("stop.flac"));
  const TRunOutcome outcome = RunToEnd(sink, [&] { sink.Stop(); });
  EXPECT_TRUE(outcome.Done);
  TFLACIn in;
  in.SetFileName(dir.File("stop.flac"));
  in.Init();
  const auto decoded = DrainSource(in);
  EXPECT_GT(decoded.size(), 0u);
  EXPECT_LT(decoded.size(), 44100u * 20 * 4);
  // The stream information was rewritten with the true length.
  EXPECT_EQ(in.Size(), static_cast<int32_t>(decoded.size()));
  in.Flush();
}

TEST(ACS_FLAC, StartAndEndSampleSelectExactlyThatRange) {
  TempDir dir;
  const auto samples = MakeSine16(30000, 2, 44100);
  const auto pcm = SamplesToBytes(samples);
  TMemorySource source(pcm, 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("r.flac"));
  ASSERT_TRUE(RunToEnd(sink).Done);
  TFLACIn in;
  in.SetFileName(dir.File("r.flac"));
  in.SetStartSample(5000);  // inside the second block of 4608
  in.SetEndSample(20000);
  in.Init();
  EXPECT_EQ(in.Size(), 15000 * 4);
  const auto decoded = DrainSource(in, 3000);
  in.Flush();
  EXPECT_EQ(decoded, std::vector<uint8_t>(pcm.begin() + 5000 * 4, pcm.begin() + 20000 * 4));
}

TEST(ACS_FLAC, FileThatIsNotFlacIsInvalidAndRefusedAtInit) {
  TempDir dir;
  WriteFileBytes(dir.File("x.flac"), PcmWaveFile(2, 44100, 16, std::vector<uint8_t>(4000, 1)));
  TFLACIn in;
  in.SetFileName(dir.File("x.flac"));
  EXPECT_EQ(in.GetChannels(), 0);
  EXPECT_FALSE(in.Valid());
  EXPECT_THROW(in.Init(), EACSException);
  EXPECT_FALSE(in.Busy());
  in.SetFileName(dir.File("missing.flac"));
  EXPECT_EQ(in.GetChannels(), 0);
  EXPECT_FALSE(in.Valid());
  EXPECT_THROW(in.Init(), EACSException);
}

TEST(ACS_FLAC, GetDataBeforeInitSaysTheStreamIsNotOpened) {
  TFLACIn in;
  std::vector<uint8_t> buffer(16);
  try {
    in.GetData(buffer);
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "The Stream is not opened");
  }
}

TEST(ACS_FLAC, LoopStartsAgainAtTheEndOfTheStream) {
  TempDir dir;
  const auto pcm = SamplesToBytes(MakeSine16(6000, 2, 44100));
  TMemorySource source(pcm, 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("l.flac"));
  ASSERT_TRUE(RunToEnd(sink).Done);
  TFLACIn in;
  in.SetFileName(dir.File("l.flac"));
  in.SetLoop(true);
  in.Init();
  std::vector<uint8_t> got;
  std::vector<uint8_t> buffer(1000);
  while (got.size() < pcm.size() * 2 + 500) {
    const int32_t count = in.GetData(buffer);
    ASSERT_GT(count, 0);
    got.insert(got.end(), buffer.begin(), buffer.begin() + count);
  }
  in.Flush();
  EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), got.begin()));
  EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), got.begin() + static_cast<std::ptrdiff_t>(pcm.size())));

  // A range loops too: from StartSample to EndSample, again and again.
  in.SetStartSample(1000);
  in.SetEndSample(3000);
  in.Init();
  got.clear();
  while (got.size() < 2000u * 4 * 3) {
    const int32_t count = in.GetData(buffer);
    ASSERT_GT(count, 0);
    got.insert(got.end(), buffer.begin(), buffer.begin() + count);
  }
  in.Flush();
  for (size_t round = 0; round < 3; ++round) {
    EXPECT_TRUE(std::equal(pcm.begin() + 1000 * 4, pcm.begin() + 3000 * 4,
                           got.begin() + static_cast<std::ptrdiff_t>(round * 2000 * 4)))
        << round;
  }
}

TEST(ACS_FLAC, CommentsAreWrittenWholeWithRepeatedKeysAndPaddingAfterThem) {
  TempDir dir;
  const std::string title(300, 'T');
  TMemorySource source(SamplesToBytes(MakeSine16(4410, 2, 44100)), 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("t.flac"));
  sink.SetComments({"TITLE=" + title, "ARTIST=Ana", "ARTIST=Bo \xC3\xA9", "TRACKNUMBER=4"});
  ASSERT_TRUE(RunToEnd(sink).Done);
  TFLACfile flac;
  ASSERT_TRUE(flac.LoadFromFile(dir.File("t.flac")));
  EXPECT_EQ(flac.Title(), title);
  EXPECT_EQ(flac.Artist(), "Ana; Bo \xC3\xA9");
  EXPECT_EQ(flac.Track(), 4);
  EXPECT_EQ(flac.Samples(), 4410u);
  // STREAMINFO (4 + 34 bytes) after "fLaC", then the comments, then the padding as the last block.
  const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("t.flac"));
  size_t position = 4 + 4 + 34;
  ASSERT_EQ(bytes[position] & 0x7F, 4);
  position += 4 + (size_t{bytes[position + 1]} << 16 | size_t{bytes[position + 2]} << 8 | bytes[position + 3]);
  EXPECT_EQ(bytes[position], 0x80 | 1);
  EXPECT_EQ(size_t{bytes[position + 1]} << 16 | size_t{bytes[position + 2]} << 8 | bytes[position + 3],
            TFLACMetadata::PaddingSize);
}

TEST(ACS_FLAC, ADamagedBlockAfterTheCommentsKeepsTheStreamInformationAndTheComments) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(4410, 2, 44100)), 16, 2, 44100);
  TFLACOut sink;
  sink.SetInput(&source);
  sink.SetFileName(dir.File("t.flac"));
  sink.SetComments({"TITLE=Kept"});
  ASSERT_TRUE(RunToEnd(sink).Done);
  std::vector<uint8_t> bytes = ReadFileBytes(dir.File("t.flac"));
  const size_t comments = 4 + 4 + 34;
  const size_t padding =
      comments + 4 + (size_t{bytes[comments + 1]} << 16 | size_t{bytes[comments + 2]} << 8 | bytes[comments + 3]);
  for (const uint8_t damage : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0x04}}) {
    std::vector<uint8_t> damaged = bytes;
    // A second STREAMINFO with garbage, the invalid type, or a comment block past the end of the file.
    damaged[padding] = damage;
    std::fill(damaged.begin() + static_cast<std::ptrdiff_t>(padding) + 1,
              damaged.begin() + static_cast<std::ptrdiff_t>(padding) + 4, 0xFF);
    TMemoryStream stream(damaged);
    TFLACfile flac;
    ASSERT_TRUE(flac.LoadFromStream(stream));
    EXPECT_TRUE(flac.Valid());
    EXPECT_EQ(flac.Samples(), 4410u) << int{damage};
    EXPECT_EQ(flac.Title(), "Kept");
  }
}

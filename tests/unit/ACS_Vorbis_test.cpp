#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "formats/vorbis/ACS_Vorbis.h"
#include "support/FakeComponents.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;
using acs_vorbis::br128;
using acs_vorbis::br160;
using acs_vorbis::br56;
using acs_vorbis::br96;
using acs_vorbis::brAutoSelect;

namespace {

struct TOggPage {
  uint8_t Flags = 0;
  uint32_t Serial = 0;
  size_t Offset = 0;
};

std::vector<TOggPage> ReadPages(const std::vector<uint8_t>& file) {
  std::vector<TOggPage> pages;
  size_t at = 0;
  while (at + 27 <= file.size() && std::equal(file.begin() + at, file.begin() + at + 4, "OggS")) {
    const uint8_t segments = file[at + 26];
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) {
      body += file.at(at + 27 + i);
    }
    pages.push_back({file[at + 5], Le32At(file, at + 14), at});
    at += 27 + segments + body;
  }
  return pages;
}

// The user comments of the first comment header in the file.
std::vector<std::string> ReadComments(const std::vector<uint8_t>& file) {
  const std::string marker = "\x03vorbis";
  const auto found = std::search(file.begin(), file.end(), marker.begin(), marker.end());
  size_t at = static_cast<size_t>(found - file.begin()) + marker.size();
  at += 4 + Le32At(file, at);  // vendor
  const uint32_t count = Le32At(file, at);
  at += 4;
  std::vector<std::string> comments;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t length = Le32At(file, at);
    comments.emplace_back(file.begin() + at + 4, file.begin() + at + 4 + length);
    at += 4 + length;
  }
  return comments;
}

TRunOutcome Encode(TVorbisOut& sink, TACSInput& source, const std::string& fileName) {
  sink.SetInput(&source);
  sink.SetFileName(fileName);
  return RunToEnd(sink);
}

std::vector<uint8_t> Decode(const std::string& fileName, TVorbisIn& in) {
  in.SetFileName(fileName);
  in.Init();
  std::vector<uint8_t> pcm = DrainSource(in, 5000);
  in.Flush();
  return pcm;
}

double RelativeError(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded) {
  double error = 0;
  double signal = 0;
  for (size_t i = 0; i < original.size(); ++i) {
    error += std::pow(original[i] - decoded[i], 2);
    signal += std::pow(original[i], 2);
  }
  return std::sqrt(error / signal);
}

}  // namespace

TEST(ACS_Vorbis, BitRateSettersKeepNominalBetweenMinimumAndMaximum) {
  TVorbisOut sink;
  sink.SetDesiredNominalBitrate(br128);
  EXPECT_EQ(sink.DesiredMaximumBitrate(), br128);
  sink.SetDesiredMaximumBitrate(br96);
  EXPECT_EQ(sink.DesiredMaximumBitrate(), br128);
  sink.SetMinimumBitrate(br160);
  EXPECT_EQ(sink.MinimumBitrate(), brAutoSelect);
  sink.SetDesiredMaximumBitrate(brAutoSelect);
  EXPECT_EQ(sink.DesiredMaximumBitrate(), brAutoSelect);
  sink.SetMinimumBitrate(br96);
  sink.SetDesiredNominalBitrate(br56);
  EXPECT_EQ(sink.MinimumBitrate(), br56);
  sink.SetDesiredNominalBitrate(brAutoSelect);
  EXPECT_EQ(sink.DesiredMaximumBitrate(), brAutoSelect);
  sink.SetMinimumBitrate(br56);
  EXPECT_EQ(sink.MinimumBitrate(), brAutoSelect);
  EXPECT_EQ(VorbisBitsPerSecond(br56), 56000);
}

TEST(ACS_Vorbis, StereoAndMonoComeBackWithTheirLengthAndSound) {
  TempDir dir;
  for (int channels : {2, 1}) {
    const auto samples = MakeSine16(44100 * 2 + 333, channels, 44100);
    TMemorySource source(SamplesToBytes(samples), 16, channels, 44100);
    TVorbisOut sink;
    sink.SetCompression(0.5f);
    ASSERT_TRUE(Encode(sink, source, dir.File("a.ogg")).Done);
    TVorbisIn in;
    in.SetFileName(dir.File("a.ogg"));
    EXPECT_EQ(in.GetChannels(), channels);
    EXPECT_EQ(in.GetBitsPerSample(), 16);
    EXPECT_EQ(in.GetSampleRate(), 44100);
    const auto decoded = BytesToSamples(Decode(dir.File("a.ogg"), in));
    ASSERT_EQ(decoded.size(), samples.size());
    EXPECT_EQ(in.Size(), static_cast<int32_t>(samples.size() * 2));
    EXPECT_LT(RelativeError(samples, decoded), 0.1) << channels << " channel(s)";
  }
}

TEST(ACS_Vorbis, ManagedBitRateEncodesAtAboutThatRate) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(44100 * 4, 2, 44100)), 16, 2, 44100);
  TVorbisOut sink;
  sink.SetDesiredNominalBitrate(br128);
  ASSERT_TRUE(Encode(sink, source, dir.File("m.ogg")).Done);
  const double kbps = std::filesystem::file_size(dir.File("m.ogg")) * 8.0 / 4 / 1000;
  EXPECT_NEAR(kbps, 128, 20);
}

TEST(ACS_Vorbis, CommentsAreWrittenInOrderAsUtf8AndEmptiedAfterTheRun) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(4000, 2, 44100)), 16, 2, 44100);
  TVorbisOut sink;
  sink.SetComments({"TITLE=A", "GENRE=Rock", "ARTIST=Ünïcødé ☃", "COMMENT=a=b"});
  ASSERT_TRUE(Encode(sink, source, dir.File("c.ogg")).Done);
  EXPECT_EQ(ReadComments(ReadFileBytes(dir.File("c.ogg"))),
            (std::vector<std::string>{"TITLE=A", "GENRE=Rock", "ARTIST=Ünïcødé ☃", "COMMENT=a=b"}));
  EXPECT_TRUE(sink.Comments().empty());
}

TEST(ACS_Vorbis, EmptyInputAndStoppedRunBothEndWithTheEndOfStreamPage) {
  TempDir dir;
  TMemorySource empty({}, 16, 2, 44100);
  TVorbisOut sink;
  ASSERT_TRUE(Encode(sink, empty, dir.File("e.ogg")).Done);
  auto pages = ReadPages(ReadFileBytes(dir.File("e.ogg")));
  ASSERT_GE(pages.size(), 3u);
  EXPECT_TRUE(pages.back().Flags & 0x04);
  TVorbisIn in;
  EXPECT_TRUE(Decode(dir.File("e.ogg"), in).empty());

  TMemorySource longInput(SamplesToBytes(MakeSine16(44100 * 30, 2, 44100)), 16, 2, 44100);
  sink.SetInput(&longInput);
  sink.SetFileName(dir.File("s.ogg"));
  ASSERT_TRUE(RunToEnd(sink, [&] { sink.Stop(); }).Done);
  pages = ReadPages(ReadFileBytes(dir.File("s.ogg")));
  EXPECT_TRUE(pages.back().Flags & 0x04);
  const auto decoded = Decode(dir.File("s.ogg"), in);
  EXPECT_GT(decoded.size(), 0u);
  EXPECT_LT(decoded.size(), 44100u * 30 * 4);
}

TEST(ACS_Vorbis, AppendAddsASecondLogicalStreamAfterTheOldContent) {
  TempDir dir;
  TMemorySource first(SamplesToBytes(MakeSine16(8000, 2, 44100)), 16, 2, 44100);
  TVorbisOut sink;
  sink.SetSerial(11);
  ASSERT_TRUE(Encode(sink, first, dir.File("p.ogg")).Done);
  const auto before = ReadFileBytes(dir.File("p.ogg"));
  TMemorySource second(SamplesToBytes(MakeSine16(6000, 2, 44100)), 16, 2, 44100);
  sink.SetSerial(22);
  sink.SetFileMode(foAppend);
  EXPECT_EQ(sink.FileMode(), foAppend);
  ASSERT_TRUE(Encode(sink, second, dir.File("p.ogg")).Done);
  const auto after = ReadFileBytes(dir.File("p.ogg"));
  ASSERT_GT(after.size(), before.size());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
  const auto pages = ReadPages(after);
  EXPECT_EQ(pages.front().Serial, 11u);
  EXPECT_EQ(pages.back().Serial, 22u);
  TVorbisIn in;
  EXPECT_EQ(Decode(dir.File("p.ogg"), in).size(), (8000u + 6000u) * 4);
}

TEST(ACS_Vorbis, RefusedSetUpFailsPrepareNamingItAndLeavesNoFile) {
  TempDir dir;
  TMemorySource fast(SamplesToBytes(MakeSine16(4000, 2, 44100)), 16, 2, 1000000);
  TVorbisOut sink;
  TRunOutcome outcome = Encode(sink, fast, dir.File("q.ogg"));
  EXPECT_TRUE(outcome.Failed);
  EXPECT_EQ(outcome.Message, dir.File("q.ogg") + ": the Vorbis encoder refused 2 channel(s) at 1000000 Hz with the quality 0.20");
  EXPECT_FALSE(std::filesystem::exists(dir.File("q.ogg")));
  EXPECT_EQ(fast.InitCount, fast.FlushCount);
  TMemorySource source(SamplesToBytes(MakeSine16(4000, 2, 2000)), 16, 2, 2000);
  sink.SetDesiredNominalBitrate(acs_vorbis::br499);
  outcome = Encode(sink, source, dir.File("q.ogg"));
  EXPECT_EQ(outcome.Message, dir.File("q.ogg") +
                                 ": the Vorbis encoder refused 2 channel(s) at 2000 Hz with the bit rates 499 to 499 "
                                 "kbit/s (nominal 499)");
  EXPECT_FALSE(std::filesystem::exists(dir.File("q.ogg")));
}

TEST(ACS_Vorbis, FileTheLibraryRefusesIsInvalidAndRefusedAtInit) {
  TempDir dir;
  WriteFileBytes(dir.File("w.ogg"), PcmWaveFile(2, 44100, 16, std::vector<uint8_t>(4000, 1)));
  TVorbisIn in;
  in.SetFileName(dir.File("w.ogg"));
  EXPECT_EQ(in.GetChannels(), 0);
  EXPECT_FALSE(in.Valid());
  try {
    in.Init();
    FAIL();
  } catch (const EACSException& error) {
    EXPECT_EQ(std::string(error.what()), dir.File("w.ogg") + ": cannot decode this Ogg Vorbis file (not an Ogg Vorbis stream)");
  }
  EXPECT_FALSE(in.Busy());
  in.SetFileName(dir.File("missing.ogg"));
  EXPECT_NO_THROW(in.OpenFile());
  EXPECT_FALSE(in.Valid());
  in.CloseFile();
  EXPECT_THROW(in.Init(), EACSException);
}

TEST(ACS_Vorbis, TruncatedFileDeliversWhatItHoldsAndEnds) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(44100 * 2, 2, 44100)), 16, 2, 44100);
  TVorbisOut sink;
  ASSERT_TRUE(Encode(sink, source, dir.File("t.ogg")).Done);
  auto bytes = ReadFileBytes(dir.File("t.ogg"));
  bytes.resize(bytes.size() / 2);
  WriteFileBytes(dir.File("t.ogg"), bytes);
  TVorbisIn in;
  const auto decoded = Decode(dir.File("t.ogg"), in);
  EXPECT_GT(decoded.size(), 0u);
  EXPECT_LE(decoded.size(), 44100u * 2 * 4);
}

TEST(ACS_Vorbis, StartSampleSkipsThatManyFrames) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(20000, 2, 44100)), 16, 2, 44100);
  TVorbisOut sink;
  ASSERT_TRUE(Encode(sink, source, dir.File("r.ogg")).Done);
  TVorbisIn whole;
  const auto all = Decode(dir.File("r.ogg"), whole);
  TVorbisIn part;
  part.SetStartSample(5000);
  part.SetEndSample(15000);
  const auto range = Decode(dir.File("r.ogg"), part);
  ASSERT_EQ(range.size(), 10000u * 4);
  EXPECT_TRUE(std::equal(range.begin(), range.end(), all.begin() + 5000 * 4));
}

TEST(ACS_Vorbis, LoopStartsAgainAtTheEndOfTheStream) {
  TempDir dir;
  TMemorySource source(SamplesToBytes(MakeSine16(6000, 2, 44100)), 16, 2, 44100);
  TVorbisOut sink;
  ASSERT_TRUE(Encode(sink, source, dir.File("l.ogg")).Done);
  TVorbisIn once;
  const auto pcm = Decode(dir.File("l.ogg"), once);
  ASSERT_EQ(pcm.size(), 6000u * 4);
  TVorbisIn in;
  in.SetFileName(dir.File("l.ogg"));
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
}

#include "tags/WAVfile.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TWAVfile Load(const TBytes& bytes, bool expected = true) {
  TMemoryStream stream(bytes);
  TWAVfile wav;
  EXPECT_EQ(wav.LoadFromStream(stream), expected);
  return wav;
}

void SetLe32(TBytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

TBytes AdpcmHeader(uint32_t samples) {
  TBytes format = PcmFormatBody(2, 44100, 4);
  format[0] = 0x11;
  AppendLe16(format, 2);
  AppendLe16(format, 1017);
  TBytes fact;
  AppendLe32(fact, samples);
  return RiffWave({Chunk("fmt ", format), Chunk("fact", fact), Chunk("data", TBytes(100, 0))});
}

}  // namespace

TEST(WAVfile, CanonicalPcmHeaderGivesSizeAndDuration) {
  TBytes file = PcmWaveFile(2, 44100, 16, TBytes(100, 0));
  SetLe32(file, 4, 1764036);
  const TWAVfile wav = Load(file);
  ASSERT_TRUE(wav.Valid());
  EXPECT_EQ(wav.FileSize(), 1764044u);
  EXPECT_EQ(wav.HeaderSize(), 44);
  EXPECT_EQ(wav.ChannelMode(), "Stereo");
  EXPECT_EQ(wav.BytesPerSecond(), 176400u);
  EXPECT_DOUBLE_EQ(wav.Duration(), 10.0);
}

TEST(WAVfile, AdpcmHeaderTakesTheFactSampleCount) {
  const TWAVfile wav = Load(AdpcmHeader(441000));
  ASSERT_TRUE(wav.Valid());
  EXPECT_EQ(wav.FormatID(), 0x11);
  EXPECT_EQ(wav.HeaderSize(), 60);
  EXPECT_EQ(wav.SampleNumber(), 441000);
  EXPECT_DOUBLE_EQ(wav.Duration(), 10.0);
}

TEST(WAVfile, AListChunkAfterTheFormatIsNoSampleCount) {
  TBytes list = Concat({Bytes("INFO"), Chunk("ISFT", Bytes("Lavf"))});
  const TBytes file =
      RiffWave({Chunk("fmt ", PcmFormatBody(2, 44100, 16)), Chunk("LIST", list), Chunk("data", TBytes(176400, 0))});
  const TWAVfile wav = Load(file);
  EXPECT_EQ(wav.SampleNumber(), 0);
  EXPECT_NEAR(wav.Duration(), 1.0, 0.001);
}

TEST(WAVfile, HighSampleRatesAreKeptWhole) {
  EXPECT_EQ(Load(PcmWaveFile(2, 96000, 16, TBytes(100, 0))).SampleRate(), 96000u);
}

TEST(WAVfile, OnlyMonoOrStereoWithTheFormatChunkFirstIsValid) {
  EXPECT_FALSE(Load(PcmWaveFile(6, 44100, 16, TBytes(100, 0))).Valid());
  const TBytes listFirst = RiffWave({Chunk("LIST", Bytes("INFO")), Chunk("fmt ", PcmFormatBody(2, 44100, 16)),
                                     Chunk("data", TBytes(100, 0))});
  EXPECT_FALSE(Load(listFirst).Valid());
}

TEST(WAVfile, ARiffSizeSmallerThanTheHeaderShrinksTheHeader) {
  TBytes file = PcmWaveFile(2, 44100, 16, TBytes(100, 0));
  SetLe32(file, 4, 10);
  const TWAVfile wav = Load(file);
  EXPECT_EQ(wav.HeaderSize(), 18);
  EXPECT_DOUBLE_EQ(wav.Duration(), 0.0);
}

TEST(WAVfile, ShortFilesFail) {
  EXPECT_FALSE(Load(Bytes("RIFF"), false).Valid());
  TWAVfile wav;
  EXPECT_FALSE(wav.LoadFromFile("/nonexistent/a.wav"));
}

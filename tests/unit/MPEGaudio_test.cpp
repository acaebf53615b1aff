#include "tags/MPEGaudio.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;
using namespace mpeg_frames;

namespace {

constexpr uint32_t Layer3At128 = 0xFFFB9000;  // MPEG 1 Layer III, 128 kbit/s, 44.1 kHz, stereo
constexpr size_t Layer3Length = 417;

TMPEGaudio Load(const TBytes& bytes, bool expected = true) {
  TMemoryStream stream(bytes);
  TMPEGaudio mpeg;
  EXPECT_EQ(mpeg.LoadFromStream(stream), expected);
  return mpeg;
}

TBytes XingFrame(int32_t frames, int32_t bytes, const std::string& vendor) {
  TBytes frame = MPEGFrame(Layer3At128, Layer3Length);
  const TBytes marker = Bytes("Xing");
  std::copy(marker.begin(), marker.end(), frame.begin() + 36);
  for (int i = 0; i < 4; ++i) {
    frame[36 + 8 + i] = static_cast<uint8_t>(frames >> (24 - 8 * i));
    frame[36 + 12 + i] = static_cast<uint8_t>(bytes >> (24 - 8 * i));
  }
  std::copy(vendor.begin(), vendor.end(), frame.begin() + 36 + 120);
  return frame;
}

}  // namespace

TEST(MPEGaudio, FrameLengthFollowsBitRateSampleRateAndPadding) {
  const uint8_t plain[] = {0xFF, 0xFB, 0x90, 0x00};
  const uint8_t padded[] = {0xFF, 0xFB, 0x92, 0x00};
  EXPECT_EQ(FrameLength(DecodeHeader(plain)), 417);
  EXPECT_EQ(FrameLength(DecodeHeader(padded)), 418);
  const uint8_t freeFormat[] = {0xFF, 0xFB, 0x00, 0x00};
  EXPECT_FALSE(IsFrameHeader(freeFormat));
}

TEST(MPEGaudio, ConstantBitRateStreamGivesItsParametersAndLengthBasedDuration) {
  const TMPEGaudio mpeg = Load(MPEGFrames(Layer3At128, Layer3Length, 100));
  ASSERT_TRUE(mpeg.Valid());
  EXPECT_EQ(mpeg.Version(), "MPEG 1");
  EXPECT_EQ(mpeg.Layer(), "Layer III");
  EXPECT_EQ(mpeg.BitRate(), 128);
  EXPECT_EQ(mpeg.SampleRate(), 44100);
  EXPECT_EQ(mpeg.ChannelMode(), "Stereo");
  EXPECT_EQ(mpeg.FramesCount(), 100);
  EXPECT_DOUBLE_EQ(mpeg.Duration(), 41700.0 * 8 / 128 / 1000);
  EXPECT_FALSE(mpeg.Frame().ProtectionBit);
}

TEST(MPEGaudio, SearchStartsBehindTheID3v2Tag) {
  const TBytes tag = ID3v2Tag(3, {ID3v2TextFrame("TIT2", "T")}, 4096 - 22);
  const TMPEGaudio mpeg = Load(Concat({tag, MPEGFrames(Layer3At128, Layer3Length, 20)}));
  ASSERT_TRUE(mpeg.Frame().Found);
  EXPECT_EQ(mpeg.ID3v2().Size(), 4096);
  EXPECT_EQ(mpeg.Frame().Position, 0);
  EXPECT_EQ(mpeg.FramesCount(), 20);
}

TEST(MPEGaudio, ALoneHeaderFollowedByJunkIsPassedOver) {
  TBytes junk(600, 0x00);
  junk[0] = 0xFF, junk[1] = 0xFB, junk[2] = 0x90;
  const TMPEGaudio mpeg = Load(Concat({junk, MPEGFrames(Layer3At128, Layer3Length, 20)}));
  ASSERT_TRUE(mpeg.Frame().Found);
  EXPECT_EQ(mpeg.Frame().Position, 600);
}

TEST(MPEGaudio, XingHeaderGivesFrameCountDurationAndAverageBitRate) {
  const TBytes stream = Concat({XingFrame(1000, 1000 * 300, "LAME3.90"), MPEGFrames(Layer3At128, Layer3Length, 20)});
  const TMPEGaudio mpeg = Load(stream);
  ASSERT_TRUE(mpeg.VBR().Found);
  EXPECT_EQ(mpeg.VBR().ID, "Xing");
  EXPECT_EQ(mpeg.FramesCount(), 1000);
  EXPECT_DOUBLE_EQ(mpeg.Duration(), 1000.0 * 144 * 8 / 44100);
  EXPECT_EQ(mpeg.BitRate(), 92);  // 300 bytes a frame at 44.1 kHz
  EXPECT_EQ(mpeg.EncoderID(), meLAME);
  EXPECT_EQ(mpeg.Encoder(), "LAME 3.90");
}

TEST(MPEGaudio, XingHeaderWithoutFramesFallsBackToTheTable) {
  const TMPEGaudio mpeg = Load(Concat({XingFrame(0, 0, ""), MPEGFrames(Layer3At128, Layer3Length, 200)}));
  EXPECT_EQ(mpeg.BitRate(), 128);
  EXPECT_DOUBLE_EQ(mpeg.Duration(), 201.0 * 417 * 8 / 128 / 1000);
  EXPECT_EQ(mpeg.Encoder(), "Xing");
}

TEST(MPEGaudio, EncoderSignatureNearTheEndNamesTheVersion) {
  const auto withVendor = [](const std::string& vendor) {
    TBytes stream = MPEGFrames(Layer3At128, Layer3Length, 50);
    std::copy(vendor.begin(), vendor.end(), stream.end() - 100);
    return Load(stream).Encoder();
  };
  EXPECT_EQ(withVendor("LAME3.96"), "LAME 3.96");
  EXPECT_EQ(withVendor("LAMEv1.2"), "LAME");
  EXPECT_EQ(withVendor("GOGO...."), "GoGo");
}

TEST(MPEGaudio, NoFrameGivesAResetInvalidReaderEvenWithTags) {
  const TMPEGaudio mpeg = Load(Concat({TBytes(5000, 0x42), ID3v1Trailer("T", "", "", "", {}, 0)}));
  EXPECT_FALSE(mpeg.Valid());
  EXPECT_FALSE(mpeg.ID3v1().Exists());
  EXPECT_EQ(mpeg.Version(), "MPEG ?");
  EXPECT_EQ(mpeg.ChannelMode(), "Unknown");
  EXPECT_EQ(mpeg.SampleRate(), 0);
}

TEST(MPEGaudio, FilesUnder128BytesAreNotRead) {
  const TMPEGaudio mpeg = Load(MPEGFrames(Layer3At128, 100, 1), false);
  EXPECT_FALSE(mpeg.Valid());
}

TEST(MPEGaudio, FilesShorterThanTheSignatureWindowAreStillRead) {
  const TMPEGaudio small = Load(MPEGFrames(0xFFF31800, 36, 40));  // MPEG 2 Layer III, 8 kbit/s, 16 kHz
  ASSERT_TRUE(small.Valid());
  EXPECT_EQ(small.Version(), "MPEG 2");
  EXPECT_EQ(small.BitRate(), 8);
  EXPECT_DOUBLE_EQ(small.Duration(), 1.44);
}

TEST(MPEGaudio, TagsAfterTheAudioAreNotCountedAsAudio) {
  // An ID3v2.4 tag with a footer, a Lyrics3v2 block, an APEv2 tag and the ID3v1 trailer, as
  // taggers append them one after the other.
  TBytes appended = ID3v2Tag(4, {ID3v2TextFrame("TIT2", "Late", 4)}, 0, 0x10);
  TBytes footer(appended.begin(), appended.begin() + 10);
  std::copy_n("3DI", 3, footer.begin());
  const TBytes lyricsBody = Bytes("LYRICSBEGININD0000210");
  const TBytes lyrics = Concat({lyricsBody, Bytes(std::string(6 - std::to_string(lyricsBody.size()).size(), '0') +
                                                  std::to_string(lyricsBody.size()) + "LYRICS200")});
  const TBytes file = Concat({MPEGFrames(Layer3At128, Layer3Length, 100), appended, footer, lyrics,
                              APETag(2000, {APEItem("Title", "T")}),
                              ID3v1Trailer("T", "A", "B", "2000", TBytes(30, 0), 0)});
  const TMPEGaudio mpeg = Load(file);
  EXPECT_EQ(mpeg.FramesCount(), 100);
  EXPECT_DOUBLE_EQ(mpeg.Duration(), 41700.0 * 8 / 128 / 1000);
}

#include "tags/OggVorbis.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TBytes OggFile(const std::vector<std::string>& comments, int64_t lastGranule, size_t audioPages = 20,
               uint8_t channels = 2) {
  TBytes out = Concat({OggPage(0, 0, {VorbisIdentification(channels, 44100, 128000)}),
                       OggPage(0, 1, {VorbisComments("Xiph.Org libVorbis", comments)})});
  for (size_t i = 0; i < audioPages; ++i) {
    const int64_t granule = i + 1 == audioPages ? lastGranule : static_cast<int64_t>(i) * 1000;
    out = Concat({out, OggPage(granule, static_cast<uint32_t>(i + 2), {TBytes(250, 0x5A), TBytes(250, 0x5B)})});
  }
  return out;
}

TOggVorbis Load(const TBytes& bytes, bool expected = true) {
  TMemoryStream stream(bytes);
  TOggVorbis ogg;
  EXPECT_EQ(ogg.LoadFromStream(stream), expected);
  return ogg;
}

}  // namespace

TEST(OggVorbis, ReadsHeadersCommentsAndTheLastGranule) {
  const TBytes file = OggFile({"TITLE=Title", "artist=Artist", "ALBUM=Album", "TRACKNUMBER=3/12", "DATE=2004",
                               "GENRE=Jazz", "COMMENT=Nice", "TITLE=Caf\xC3\xA9"},
                              441000);
  const TOggVorbis ogg = Load(file);
  ASSERT_TRUE(ogg.Valid());
  EXPECT_EQ(ogg.ChannelModeID(), 2);
  EXPECT_EQ(ogg.ChannelMode(), "Stereo");
  EXPECT_EQ(ogg.SampleRate(), 44100u);
  EXPECT_EQ(ogg.BitRateNominal(), 128);
  EXPECT_EQ(ogg.Samples(), 441000);
  EXPECT_DOUBLE_EQ(ogg.Duration(), 10.0);
  EXPECT_EQ(ogg.BitRate(), static_cast<uint16_t>(std::nearbyint(file.size() / 10.0 / 125)));
  EXPECT_EQ(ogg.Title(), "Title; Caf\xC3\xA9");  // a repeated key keeps every value
  EXPECT_EQ(ogg.Artist(), "Artist");
  EXPECT_EQ(ogg.Album(), "Album");
  EXPECT_EQ(ogg.Track(), 3);
  EXPECT_EQ(ogg.Date(), "2004");
  EXPECT_EQ(ogg.Genre(), "Jazz");
  EXPECT_EQ(ogg.Comment(), "Nice");
  EXPECT_EQ(ogg.Vendor(), "Xiph.Org libVorbis");
}

TEST(OggVorbis, PerformerAndDescriptionStandInForArtistAndComment) {
  const TOggVorbis ogg = Load(OggFile({"PERFORMER=Band", "DESCRIPTION=About"}, 441000));
  EXPECT_EQ(ogg.Artist(), "Band");
  EXPECT_EQ(ogg.Comment(), "About");
}

TEST(OggVorbis, IsFoundBehindAnID3v2Tag) {
  const TBytes tag = ID3v2Tag(3, {}, 2048 - 10);
  const TOggVorbis ogg = Load(Concat({tag, OggFile({}, 441000)}));
  EXPECT_EQ(ogg.ID3v2Size(), 2048);
  EXPECT_TRUE(ogg.Valid());
}

TEST(OggVorbis, AStreamThatIsNotVorbisIsRefused) {
  TBytes flac = Concat({OggPage(0, 0, {Concat({Bytes("\x7F" "FLAC"), TBytes(40, 0)})}), TBytes(3000, 0)});
  EXPECT_FALSE(Load(flac, false).Valid());
  EXPECT_FALSE(Load(TBytes(5000, 0), false).Valid());
}

TEST(OggVorbis, WithoutALastPageTheNominalBitRateEstimatesTheDuration) {
  TBytes file = Concat({OggFile({}, 441000, 3), TBytes(20000, 0)});
  const TOggVorbis ogg = Load(file);
  EXPECT_EQ(ogg.Samples(), 0);
  EXPECT_DOUBLE_EQ(ogg.Duration(), file.size() / 128.0 / 2 / 125 * 2);
}

TEST(OggVorbis, TheLastPageIsFoundAnywhereInTheFilesLast12060Bytes) {
  const TBytes file = OggFile({}, 441000, 3);
  const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
  const size_t lastPageLength = file.size() - text.rfind("OggS");
  // Markers straddling the pieces the end is searched in, and both sides of the search's limit.
  for (size_t distance : {size_t{4095}, size_t{4097}, size_t{4099}, size_t{8190}, size_t{12060}, size_t{12061}}) {
    const TBytes padded = Concat({file, TBytes(distance - lastPageLength, 0)});
    EXPECT_EQ(Load(padded).Samples(), distance <= 12060 ? 441000 : 0) << distance;
  }
}

TEST(OggVorbis, GranulesBeyond32BitsKeepLongStreamsRight) {
  const int64_t granule = int64_t{44100} * 60 * 60 * 14;  // fourteen hours
  EXPECT_DOUBLE_EQ(Load(OggFile({}, granule)).Duration(), 14.0 * 3600);
}

TEST(OggVorbis, SixChannelsAreValidAndNamed) {
  const TOggVorbis ogg = Load(OggFile({}, 441000, 20, 6));
  EXPECT_TRUE(ogg.Valid());
  EXPECT_EQ(ogg.ChannelMode(), "6Ch");
}

TEST(OggVorbis, AHugeCommentCountEndsAtTheEndOfTheData) {
  TBytes comments = VorbisComments("v", {"TITLE=T"});
  comments[7 + 4 + 1] = 0xFF, comments[7 + 4 + 2] = 0xFF, comments[7 + 4 + 3] = 0xFF, comments[7 + 4 + 4] = 0xFF;
  const TBytes file = Concat({OggPage(0, 0, {VorbisIdentification(2, 44100, 128000)}), OggPage(0, 1, {comments})});
  TMemoryStream stream(file);
  TOggVorbis ogg;
  EXPECT_TRUE(ogg.LoadFromStream(stream));
  EXPECT_EQ(ogg.Title(), "T");
}

TEST(OggVorbis, AMissingFileIsFalseNotAnException) {
  TOggVorbis ogg;
  EXPECT_FALSE(ogg.LoadFromFile("/nonexistent/song.ogg"));
}

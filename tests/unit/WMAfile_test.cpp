#include "tags/WMAfile.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TBytes Le32(uint32_t value) {
  TBytes out;
  AppendLe32(out, value);
  return out;
}

TBytes WideValue(std::u16string_view text) { return Utf16LeTerminated(text); }

TBytes WmaFile(std::vector<TBytes> extra, uint16_t channels = 2, uint32_t maxBitRate = 128000) {
  std::vector<TBytes> objects = {AsfFileProperties(maxBitRate), AsfStreamProperties(channels, 44100, 16000)};
  objects.insert(objects.end(), extra.begin(), extra.end());
  return Concat({AsfHeader(objects), TBytes(100000, 0)});
}

TWMAfile Load(const TBytes& bytes, bool expected = true) {
  TMemoryStream stream(bytes);
  TWMAfile wma;
  EXPECT_EQ(wma.LoadFromStream(stream), expected);
  return wma;
}

}  // namespace

TEST(WMAfile, ReadsStreamParametersAndBothDescriptionObjects) {
  const TBytes file = WmaFile({AsfContentDescription(u"Title", u"Artist", u"Nice"),
                               AsfExtendedContentDescription({{u"WM/AlbumTitle", 0, WideValue(u"Album")},
                                                              {u"WM/Year", 0, WideValue(u"2003")},
                                                              {u"WM/Genre", 0, WideValue(u"Jazz")},
                                                              {u"wm/title", 0, WideValue(u"Later \u4E2D")},
                                                              {u"WM/TrackNumber", 3, Le32(7)},
                                                              {u"WM/Lyrics", 0, WideValue(u"la")}})});
  const TWMAfile wma = Load(file);
  ASSERT_TRUE(wma.Valid());
  EXPECT_EQ(wma.ChannelMode(), "Stereo");
  EXPECT_EQ(wma.SampleRate(), 44100);
  EXPECT_EQ(wma.BitRate(), 128);
  EXPECT_DOUBLE_EQ(wma.Duration(), file.size() * 8.0 / 128000);
  EXPECT_EQ(wma.Title(), u"Later \u4E2D");
  EXPECT_EQ(wma.Artist(), u"Artist");
  EXPECT_EQ(wma.Album(), u"Album");
  EXPECT_EQ(wma.Year(), u"2003");
  EXPECT_EQ(wma.Genre(), u"Jazz");
  EXPECT_EQ(wma.Comment(), u"Nice");
  EXPECT_EQ(wma.Lyrics(), u"la");
  EXPECT_EQ(wma.Track(), 7);
}

TEST(WMAfile, TheStatedPlayingTimeWinsOverTheSizeEstimate) {
  const TBytes file = Concat({AsfHeader({AsfFileProperties(128000, 101'300'000, 3'000),
                                         AsfStreamProperties(2, 44100, 16000)}),
                              TBytes(200000, 0)});
  EXPECT_DOUBLE_EQ(Load(file).Duration(), 7.13);
}

TEST(WMAfile, ATrackStoredAsTextIsItsNumber) {
  const TWMAfile wma = Load(WmaFile({AsfExtendedContentDescription({{u"WM/TrackNumber", 0, WideValue(u"7")}})}));
  EXPECT_EQ(wma.Track(), 7);
  const TWMAfile word = Load(WmaFile({AsfExtendedContentDescription({{u"WM/TrackNumber", 5, {12, 0}}})}));
  EXPECT_EQ(word.Track(), 12);
}

TEST(WMAfile, ContentDescriptionNamesAreAlsoReadAsAttributes) {
  const TWMAfile wma = Load(WmaFile({AsfExtendedContentDescription({{u"Description", 0, WideValue(u"Said")},
                                                                    {u"Author", 0, WideValue(u"Writer")}})}));
  EXPECT_EQ(wma.Comment(), u"Said");
  EXPECT_EQ(wma.Artist(), u"Writer");
}

TEST(WMAfile, OutOfRangeParametersAreNotValid) {
  EXPECT_FALSE(Load(WmaFile({}, 6)).Valid());
  EXPECT_FALSE(Load(WmaFile({}, 2, 320000)).Valid());
  EXPECT_TRUE(Load(WmaFile({}, 1, 319999)).Valid());
}

TEST(WMAfile, LongStringsAreCutAt2500CharactersAndTheWalkGoesOn) {
  const std::u16string title(3000, u'a');
  const TWMAfile wma = Load(WmaFile({AsfContentDescription(title, u"A", u""),
                                     AsfExtendedContentDescription({{u"WM/Genre", 0, WideValue(u"Jazz")}})}));
  EXPECT_EQ(wma.Title(), std::u16string(2500, u'a'));
  EXPECT_EQ(wma.Genre(), u"Jazz");
}

TEST(WMAfile, BrokenHeadersFailWithoutHanging) {
  TBytes zeroSized = WmaFile({});
  zeroSized[30 + 16] = 0, zeroSized[30 + 17] = 0;  // first object claims size 0
  EXPECT_FALSE(Load(zeroSized, false).Valid());
  TBytes truncated = WmaFile({AsfContentDescription(u"T", u"A", u"")});
  truncated.resize(200);
  EXPECT_FALSE(Load(truncated, false).Valid());
  EXPECT_FALSE(Load(TBytes(1000, 0)).Valid());
}

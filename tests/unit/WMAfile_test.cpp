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

TEST(WMAfile, TheOldZeroBasedTrackCountsOnlyWithoutATrackNumber) {
  EXPECT_EQ(Load(WmaFile({AsfExtendedContentDescription({{u"WM/Track", 3, Le32(0)}})})).TrackText(), u"1");
  EXPECT_EQ(Load(WmaFile({AsfExtendedContentDescription({{u"WM/Track", 0, WideValue(u"4")}})})).Track(), 5);
  for (const auto& order : {std::vector<TAsfDescriptor>{{u"WM/Track", 3, Le32(8)}, {u"WM/TrackNumber", 3, Le32(2)}},
                            std::vector<TAsfDescriptor>{{u"WM/TrackNumber", 3, Le32(2)}, {u"WM/Track", 3, Le32(8)}}}) {
    EXPECT_EQ(Load(WmaFile({AsfExtendedContentDescription(order)})).Track(), 2);
  }
  EXPECT_EQ(Load(WmaFile({AsfExtendedContentDescription({{u"WM/Track", 0, WideValue(u"x")}})})).TrackText(), u"");
}

TEST(WMAfile, ContentDescriptionNamesAreAlsoReadAsAttributes) {
  const TWMAfile wma = Load(WmaFile({AsfExtendedContentDescription({{u"Description", 0, WideValue(u"Said")},
                                                                    {u"Author", 0, WideValue(u"Writer")}})}));
  EXPECT_EQ(wma.Comment(), u"Said");
  EXPECT_EQ(wma.Artist(), u"Writer");
}

TEST(WMAfile, OutOfRangeParametersAreNotValid) {
  EXPECT_FALSE(Load(WmaFile({}, 0)).Valid());
  EXPECT_FALSE(Load(WmaFile({}, 9)).Valid());
  EXPECT_FALSE(Load(WmaFile({}, 2, 0)).Valid());
  // Multichannel and lossless streams are files like the others.
  EXPECT_TRUE(Load(WmaFile({}, 6, 1'536'000)).Valid());
}

TEST(WMAfile, LongStringsAreKeptWholeAndTheWalkGoesOn) {
  const std::u16string title(30000, u'a');
  const TWMAfile wma = Load(WmaFile({AsfContentDescription(title, u"A", u""),
                                     AsfExtendedContentDescription({{u"WM/Genre", 0, WideValue(u"Jazz")}})}));
  EXPECT_EQ(wma.Title(), title);
  EXPECT_EQ(wma.Genre(), u"Jazz");
}

namespace {

struct TLibraryRecord {
  std::u16string Name;
  uint16_t Type;
  TBytes Value;
  uint32_t DeclaredSize = UINT32_MAX;  // the value's own size unless set
};

TBytes MetadataLibrary(const std::vector<TLibraryRecord>& records) {
  TBytes body;
  AppendLe16(body, static_cast<uint16_t>(records.size()));
  for (const auto& record : records) {
    const TBytes name = Utf16LeTerminated(record.Name);
    AppendLe32(body, 0);  // language and stream
    AppendLe16(body, static_cast<uint16_t>(name.size()));
    AppendLe16(body, record.Type);
    AppendLe32(body, record.DeclaredSize == UINT32_MAX ? static_cast<uint32_t>(record.Value.size()) : record.DeclaredSize);
    body = Concat({body, name, record.Value});
  }
  return AsfObject("44231C94-9498-49D1-A141-1D134E457054", body);
}

TBytes HeaderExtension(const std::vector<TBytes>& objects) {
  TBytes body = AsfGuid("ABD3D211-A9BA-11cf-8EE6-00C00C205365");
  AppendLe16(body, 6);
  TBytes inner;
  for (const TBytes& object : objects) {
    inner.insert(inner.end(), object.begin(), object.end());
  }
  AppendLe32(body, static_cast<uint32_t>(inner.size()));
  return AsfObject("5FBF03B5-A92E-11CF-8EE3-00C00C205365", Concat({body, inner}));
}

TBytes ScriptStreamProperties() {
  TBytes body = AsfGuid("59DACFC0-59E6-11D0-A3AC-00A0C90348F6");
  body.resize(78, 0xEE);
  return AsfObject("B7DC0791-A9B7-11CF-8EE6-00C00C205365", body);
}

}  // namespace

// As Windows Media encoders and mutagen write files: objects in any order, a script stream first,
// the second value of an attribute and the longer ones in the metadata library of the header
// extension, numbers stored as numbers of every width.
TEST(WMAfile, AttributesOfEveryObjectAndValueTypeAreRead) {
  const TBytes header = AsfHeader(
      {AsfContentDescription(u"Title", u"Ana", u""),
       HeaderExtension({MetadataLibrary({{u"Author", 0, WideValue(u"B\u00f8")},
                                         {u"WM/Picture", 1, TBytes(100000, 7)},
                                         {u"WM/AlbumArtist", 0, WideValue(u"Va")},
                                         {u"WM/Composer", 0, WideValue(u"Cee")},
                                         {u"WM/Year", 2, {1, 0}}})}),
       AsfExtendedContentDescription({{u"WM/TrackNumber", 4, {3, 0, 0, 0, 0, 0, 0, 0}},
                                      {u"WM/PartOfSet", 0, WideValue(u"1/2")},
                                      {u"Author", 0, WideValue(u"Ana")},
                                      {u"WM/Genre", 1, WideValue(u"not text")}}),
       ScriptStreamProperties(), AsfStreamProperties(2, 48000, 24000), AsfFileProperties(192000, 50'000'000, 0)});
  const TWMAfile wma = Load(Concat({header, TBytes(1000, 0)}));
  ASSERT_TRUE(wma.Valid());
  EXPECT_EQ(wma.SampleRate(), 48000);
  EXPECT_DOUBLE_EQ(wma.Duration(), 5.0);
  EXPECT_EQ(wma.Title(), u"Title");
  EXPECT_EQ(wma.Artist(), u"Ana; B\u00f8");
  EXPECT_EQ(wma.AlbumArtist(), u"Va");
  EXPECT_EQ(wma.Composer(), u"Cee");
  EXPECT_EQ(wma.Disc(), u"1/2");
  EXPECT_EQ(wma.Track(), 3);
  EXPECT_EQ(wma.Year(), u"1");
  EXPECT_EQ(wma.Genre(), u"");
}

TEST(WMAfile, ADamagedObjectCostsOnlyItsOwnFieldsAndAHugeValueIsNotAllocated) {
  const TBytes file = WmaFile({AsfContentDescription(u"Kept", u"", u""),
                               HeaderExtension({MetadataLibrary({{u"WM/Composer", 0, WideValue(u"C"), 0x80000000u}})}),
                               AsfExtendedContentDescription({{u"WM/Genre", 0, WideValue(u"Jazz")}})});
  const TWMAfile wma = Load(file, false);
  EXPECT_TRUE(wma.Valid());
  EXPECT_EQ(wma.Title(), u"Kept");
  EXPECT_EQ(wma.Composer(), u"");
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

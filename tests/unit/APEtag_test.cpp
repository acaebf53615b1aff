#include "tags/APEtag.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TAPEtag Load(const TBytes& bytes) {
  TMemoryStream stream(bytes);
  TAPEtag tag;
  EXPECT_TRUE(tag.LoadFromStream(stream));
  return tag;
}

TBytes Audio() { return TBytes(500, 0x11); }

}  // namespace

TEST(APEtag, ReadsTheKnownItemsWhateverTheirKeysCase) {
  const TAPEtag tag = Load(Concat({Audio(), APETag(2000, {APEItem("TITLE", "Title"), APEItem("artist", "Artist"),
                                                        APEItem("Album", "Album"), APEItem("Track", "5/10"),
                                                        APEItem("Year", "1999"), APEItem("Genre", "Jazz"),
                                                        APEItem("Comment", " Nice "), APEItem("Copyright", "(c)"),
                                                        APEItem("Cover Art (Front)", std::string(5000, 'x'))})}));
  EXPECT_TRUE(tag.Exists());
  EXPECT_EQ(tag.Version(), 2000);
  EXPECT_EQ(tag.Title(), "Title");
  EXPECT_EQ(tag.Artist(), "Artist");
  EXPECT_EQ(tag.Album(), "Album");
  EXPECT_EQ(tag.Track(), 5);
  EXPECT_EQ(tag.Year(), "1999");
  EXPECT_EQ(tag.Genre(), "Jazz");
  EXPECT_EQ(tag.Comment(), "Nice");
  EXPECT_EQ(tag.Copyright(), "(c)");
}

TEST(APEtag, IsFoundLastOrBeforeAnID3v1TrailerOnly) {
  const TBytes tag = APETag(2000, {APEItem("Title", "T")});
  EXPECT_TRUE(Load(Concat({Audio(), tag, ID3v1Trailer("", "", "", "", {}, 0)})).Exists());
  EXPECT_EQ(Load(Concat({Audio(), tag, ID3v1Trailer("", "", "", "", {}, 0)})).Title(), "T");
  EXPECT_FALSE(Load(Concat({Audio(), tag, TBytes(64, 0)})).Exists());
}

TEST(APEtag, Version2ValuesAreUtf8CutAtTheFirstBrokenSequence) {
  EXPECT_EQ(Load(Concat({Audio(), APETag(2000, {APEItem("Title", "Caf\xC3\xA9")})})).Title(), "Caf\xC3\xA9");
  EXPECT_EQ(Load(Concat({Audio(), APETag(2000, {APEItem("Title", "ab\xC3")})})).Title(), "ab");
  EXPECT_EQ(Load(Concat({Audio(), APETag(2000, {APEItem("Title", "\xF0\x9F\x8E\xB5!")})})).Title(),
            "\xF0\x9F\x8E\xB5!");
}

TEST(APEtag, Version1ValuesThatAreNotUtf8AreReadAsLatin1) {
  EXPECT_EQ(Load(Concat({Audio(), APETag(1000, {APEItem("Title", "Caf\xE9")})})).Title(), "Caf\xC3\xA9");
}

TEST(APEtag, TrackNumbersAreKeptInEightBits) {
  const auto track = [](const std::string& text) {
    return Load(Concat({Audio(), APETag(2000, {APEItem("Track", text)})})).Track();
  };
  EXPECT_EQ(track("5/10"), 5);
  EXPECT_EQ(track("5a"), 0);
  EXPECT_EQ(track("300"), 44);
}

TEST(APEtag, ValuesAreReadWholeAndSeveralValuesAreJoined) {
  EXPECT_EQ(Load(Concat({Audio(), APETag(2000, {APEItem("Comment", std::string(300, 'c'))})})).Comment(),
            std::string(300, 'c'));
  const TAPEtag tag = Load(Concat({Audio(), APETag(2000, {APEItem("Artist", std::string("Ana\0Bo", 6)),
                                                        APEItem("Album Artist", "Va"), APEItem("Disc", "1/2"),
                                                        APEItem("Composer", "Cy")})}));
  EXPECT_EQ(tag.Artist(), "Ana; Bo");
  EXPECT_EQ(tag.AlbumArtist(), "Va");
  EXPECT_EQ(tag.Disc(), "1/2");
  EXPECT_EQ(tag.Composer(), "Cy");
}

TEST(APEtag, HostileSizesAndCountsEndTheItemListQuietly) {
  TBytes tag = APETag(2000, {APEItem("Title", "T")});
  tag[tag.size() - 16] = 0xFF, tag[tag.size() - 15] = 0xFF;  // item count 65535
  EXPECT_EQ(Load(Concat({Audio(), tag})).Title(), "T");

  TBytes oversized = APETag(2000, {APEItem("Title", "T")});
  oversized[oversized.size() - 18] = 0x7F;  // a tag size larger than the file
  EXPECT_TRUE(Load(Concat({Audio(), oversized})).Exists());
  EXPECT_EQ(Load(Concat({Audio(), oversized})).Title(), "");
}

TEST(APEtag, FilesUnder128BytesFail) {
  TMemoryStream stream(TBytes(100, 0));
  TAPEtag tag;
  EXPECT_FALSE(tag.LoadFromStream(stream));
}

#include "tags/ID3v1.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TID3v1 Load(const TBytes& bytes) {
  TMemoryStream stream(bytes);
  TID3v1 tag;
  EXPECT_TRUE(tag.LoadFromStream(stream));
  return tag;
}

TBytes Comment(const std::string& text, uint8_t byte125, uint8_t byte126) {
  TBytes comment(30, 0);
  std::copy(text.begin(), text.end(), comment.begin());
  comment[28] = byte125;
  comment[29] = byte126;
  return comment;
}

}  // namespace

TEST(ID3v1, ReadsEveryFieldOfAVersion11TrailerBehindAudio) {
  const TID3v1 tag = Load(Concat({TBytes(1000, 0x55), ID3v1Trailer("Title", "Artist", "Album", "1999",
                                                                    Comment("Nice", 0, 7), 17)}));
  EXPECT_TRUE(tag.Exists());
  EXPECT_EQ(tag.VersionID(), 2);
  EXPECT_EQ(tag.Title(), "Title");
  EXPECT_EQ(tag.Artist(), "Artist");
  EXPECT_EQ(tag.Album(), "Album");
  EXPECT_EQ(tag.Year(), "1999");
  EXPECT_EQ(tag.Comment(), "Nice");
  EXPECT_EQ(tag.Track(), 7);
  EXPECT_EQ(tag.Genre(), "Rock");
}

TEST(ID3v1, AFileOfExactly128BytesIsATrailer) {
  EXPECT_TRUE(Load(ID3v1Trailer("T", "", "", "", {}, 0)).Exists());
}

TEST(ID3v1, LowerCaseMarkerIsNoTrailerButTheReadSucceeds) {
  TBytes trailer = ID3v1Trailer("T", "", "", "", {}, 0);
  trailer[0] = 't';
  const TID3v1 tag = Load(trailer);
  EXPECT_FALSE(tag.Exists());
  EXPECT_EQ(tag.GenreID(), 255);
  EXPECT_EQ(tag.Title(), "");
}

TEST(ID3v1, VersionFollowsBytes125And126) {
  const TID3v1 bothZero = Load(ID3v1Trailer("", "", "", "", Comment("", 0, 0), 0));
  EXPECT_EQ(bothZero.VersionID(), 1);
  EXPECT_EQ(bothZero.Track(), 0);
  EXPECT_EQ(bothZero.Comment(), "");

  const TID3v1 spaceThenLetter = Load(ID3v1Trailer("", "", "", "", Comment("c", ' ', 0x41), 0));
  EXPECT_EQ(spaceThenLetter.VersionID(), 2);
  EXPECT_EQ(spaceThenLetter.Track(), 65);

  const TID3v1 twoSpaces = Load(ID3v1Trailer("", "", "", "", Comment("c", ' ', ' '), 0));
  EXPECT_EQ(twoSpaces.VersionID(), 1);
  EXPECT_EQ(twoSpaces.Track(), 0);
}

TEST(ID3v1, Version10CommentTakesAll30Bytes) {
  TBytes comment(30, 'x');
  comment[28] = 'y';
  comment[29] = 'z';
  EXPECT_EQ(Load(ID3v1Trailer("", "", "", "", comment, 0)).Comment(), std::string(28, 'x') + "yz");
}

TEST(ID3v1, TrimsOnlyOnTheRightAndKeepsInnerZeroBytes) {
  const TID3v1 tag = Load(ID3v1Trailer(std::string("ab\0cd   ", 8), "  lead", "", "", {}, 0));
  EXPECT_EQ(tag.Title(), std::string("ab\0cd", 5));
  EXPECT_EQ(tag.Artist(), "  lead");
}

TEST(ID3v1, Latin1TextBecomesUtf8) {
  EXPECT_EQ(Load(ID3v1Trailer("Caf\xE9", "", "", "", {}, 0)).Title(), "Caf\xC3\xA9");
}

TEST(ID3v1, GenreNamesEndAt147) {
  EXPECT_EQ(Load(ID3v1Trailer("", "", "", "", {}, 147)).Genre(), "Synthpop");
  EXPECT_EQ(Load(ID3v1Trailer("", "", "", "", {}, 148)).Genre(), "");
  EXPECT_EQ(Load(ID3v1Trailer("", "", "", "", {}, 255)).Genre(), "");
  EXPECT_STREQ(GenreNames[92], "Progessive Rock");
  EXPECT_STREQ(GenreNames[144], "Trash Metal");
  EXPECT_STREQ(GenreNames[67], "Psychadelic");
}

TEST(ID3v1, ShortOrMissingFilesFailAndLeaveTheReset) {
  TMemoryStream shortStream(TBytes(127, 'T'));
  TID3v1 tag;
  EXPECT_FALSE(tag.LoadFromStream(shortStream));
  EXPECT_FALSE(tag.Exists());
  EXPECT_FALSE(tag.LoadFromFile("/nonexistent/file.mp3"));
}

TEST(ID3v1, ReusedReaderStartsFromTheReset) {
  TID3v1 tag;
  TMemoryStream first(ID3v1Trailer("One", "", "", "", Comment("", 0, 3), 1));
  ASSERT_TRUE(tag.LoadFromStream(first));
  TMemoryStream second(TBytes(200, 0));
  ASSERT_TRUE(tag.LoadFromStream(second));
  EXPECT_FALSE(tag.Exists());
  EXPECT_EQ(tag.Title(), "");
  EXPECT_EQ(tag.Track(), 0);
  EXPECT_EQ(tag.VersionID(), 1);
}

#include "tags/ID3v2.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TID3v2 Load(const TBytes& tag, size_t audio = 2000) {
  TMemoryStream stream(Concat({tag, TBytes(audio, 0xAA)}));
  TID3v2 reader;
  EXPECT_TRUE(reader.LoadFromStream(stream));
  return reader;
}

TBytes CommentData(uint8_t encoding, const TBytes& description, const TBytes& text) {
  return Concat({{encoding}, Bytes("eng"), description, text});
}

}  // namespace

TEST(ID3v2, ReadsTheThirteenFramesOfAVersion23Tag) {
  const TID3v2 tag = Load(ID3v2Tag(3, {ID3v2TextFrame("TIT2", "Title"), ID3v2TextFrame("TPE1", "Artist"),
                                       ID3v2TextFrame("TALB", "Album"), ID3v2TextFrame("TRCK", "3/12"),
                                       ID3v2TextFrame("TYER", "2001"), ID3v2TextFrame("TCON", "Jazz"),
                                       ID3v2Frame("COMM", CommentData(0, {0}, Bytes("Nice"))),
                                       ID3v2TextFrame("TCOM", "Composer"), ID3v2TextFrame("TENC", "Encoder"),
                                       ID3v2TextFrame("TCOP", "(c)"), ID3v2TextFrame("TLAN", "eng"),
                                       ID3v2Frame("WXXX", Concat({{0}, Bytes("home"), {0}, Bytes("http://x")})),
                                       ID3v2Frame("USLT", CommentData(0, Concat({Bytes("d"), {0}}), Bytes("la la")))},
                                   100));
  EXPECT_TRUE(tag.Exists());
  EXPECT_EQ(tag.VersionID(), 3);
  EXPECT_EQ(tag.Title(), "Title");
  EXPECT_EQ(tag.Artist(), "Artist");
  EXPECT_EQ(tag.Album(), "Album");
  EXPECT_EQ(tag.Track(), 3);
  EXPECT_EQ(tag.Year(), "2001");
  EXPECT_EQ(tag.Genre(), "Jazz");
  EXPECT_EQ(tag.Comment(), "Nice");
  EXPECT_EQ(tag.Composer(), "Composer");
  EXPECT_EQ(tag.Encoder(), "Encoder");
  EXPECT_EQ(tag.Copyright(), "(c)");
  EXPECT_EQ(tag.Language(), "eng");
  EXPECT_EQ(tag.Link(), "http://x");
  EXPECT_EQ(tag.Lyrics(), "la la");
}

TEST(ID3v2, SizeCountsTheHeaderAndASizePastTheFileGivesZeroAndNoFields) {
  const TBytes tag = ID3v2Tag(3, {ID3v2TextFrame("TIT2", "T")}, 4096 - 10 - 12);
  EXPECT_EQ(Load(tag).Size(), 4096);

  TBytes huge = ID3v2Tag(3, {ID3v2TextFrame("TIT2", "T")});
  huge[6] = 0x00, huge[7] = 0x3D, huge[8] = 0x09, huge[9] = 0x40;  // 1,000,000 bytes
  const TID3v2 reader = Load(huge, 50000);
  EXPECT_TRUE(reader.Exists());
  EXPECT_EQ(reader.Size(), 0);
  EXPECT_EQ(reader.Title(), "");
}

TEST(ID3v2, GenreNumbersShowTheirNamesAndTextGenresStayWhole) {
  const auto genre = [](const std::string& text) {
    return Load(ID3v2Tag(3, {ID3v2TextFrame("TCON", text)})).Genre();
  };
  EXPECT_EQ(genre("(17)"), "Rock");
  EXPECT_EQ(genre("(17)Rock"), "Rock");
  EXPECT_EQ(genre("(17)Hard Stuff"), "Hard Stuff");
  EXPECT_EQ(genre("17"), "Rock");
  EXPECT_EQ(genre("Rock (Live)"), "Rock (Live)");
  EXPECT_EQ(genre("(RX)"), "Remix");
  EXPECT_EQ(genre("((Parenthesised)"), "(Parenthesised)");
  EXPECT_EQ(genre("(200)"), "");
  EXPECT_EQ(genre("2001"), "2001");
}

TEST(ID3v2, TrackNumbersAreKeptInEightBits) {
  const auto track = [](const std::string& text) {
    return Load(ID3v2Tag(3, {ID3v2TextFrame("TRCK", text)})).Track();
  };
  EXPECT_EQ(track("3/12"), 3);
  EXPECT_EQ(track("07"), 7);
  EXPECT_EQ(track("A1"), 0);
  EXPECT_EQ(track("300"), 44);
}

TEST(ID3v2, Version23TakesTheYearFromARecordingTimeFrameToo) {
  EXPECT_EQ(Load(ID3v2Tag(3, {ID3v2TextFrame("TDRC", "1997")})).Year(), "1997");
}

TEST(ID3v2, TheLastFrameOfAKindWins) {
  EXPECT_EQ(Load(ID3v2Tag(3, {ID3v2TextFrame("TIT2", "First"), ID3v2TextFrame("TIT2", "Second")})).Title(),
            "Second");
}

TEST(ID3v2, APlainCommentWinsOverAToolsDescribedComment) {
  const TBytes plain = ID3v2Frame("COMM", CommentData(0, {0}, Bytes("Mine")));
  const TBytes described = ID3v2Frame("COMM", CommentData(0, Concat({Bytes("iTunNORM"), {0}}), Bytes(" 0000 1111")));
  EXPECT_EQ(Load(ID3v2Tag(3, {plain, described})).Comment(), "Mine");
  EXPECT_EQ(Load(ID3v2Tag(3, {described})).Comment(), "0000 1111");
}

TEST(ID3v2, LongFramesAreReadWholeAndTheScanGoesOn) {
  const TBytes title = ID3v2TextFrame("TIT2", std::string(3999, 'x'));
  const TID3v2 tag = Load(ID3v2Tag(3, {title, ID3v2TextFrame("TPE1", "After"), ID3v2TextFrame("TPE2", "Va"),
                                       ID3v2TextFrame("TPOS", "1/2")}));
  EXPECT_EQ(tag.Title(), std::string(3999, 'x'));
  EXPECT_EQ(tag.Artist(), "After");
  EXPECT_EQ(tag.AlbumArtist(), "Va");
  EXPECT_EQ(tag.Disc(), "1/2");
}

TEST(ID3v2, Utf16TextIsDecodedWholeInBothByteOrders) {
  const TBytes little = Concat({{1}, Utf16LeWithMark(u"Hello \u4E2D")});
  EXPECT_EQ(Load(ID3v2Tag(3, {ID3v2Frame("TIT2", little)})).Title(), "Hello \xE4\xB8\xAD");
  const TBytes big = {1, 0xFE, 0xFF, 0x00, 'H', 0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0x00};
  EXPECT_EQ(Load(ID3v2Tag(3, {ID3v2Frame("TIT2", big)})).Title(), "H\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(ID3v2, Utf16CommentFindsTheWideTerminatorOfItsDescription) {
  const TBytes data = Concat({{1}, Bytes("eng"), Utf16LeWithMark(u"d"), {0, 0}, Utf16LeWithMark(u"Text")});
  EXPECT_EQ(Load(ID3v2Tag(3, {ID3v2Frame("COMM", data)})).Comment(), "Text");
}

TEST(ID3v2, Latin1TextBecomesUtf8) {
  EXPECT_EQ(Load(ID3v2Tag(3, {ID3v2TextFrame("TPE1", "Bj\xF6rk")})).Artist(), "Bj\xC3\xB6rk");
}

TEST(ID3v2, Version24ReadsSyncSafeSizesUtf8AndTheRecordingTime) {
  const TBytes big(300, 'y');
  const TID3v2 tag = Load(ID3v2Tag(4, {ID3v2Frame("TIT2", Concat({{3}, Bytes("Gr\xC3\xBC\xC3\x9F"), big}), 4),
                                       ID3v2Frame("TDRC", Concat({{0}, Bytes("2024-05-01")}), 4),
                                       ID3v2Frame("TCON", Concat({{0}, Bytes("17")}), 4),
                                       ID3v2Frame("TPE2", Concat({{0}, Bytes("skipped")}), 4),
                                       ID3v2Frame("TPE1", Concat({{2}, {0, 'B', 0, 'E'}}), 4)}));
  EXPECT_EQ(tag.VersionID(), 4);
  EXPECT_EQ(tag.Title(), "Gr\xC3\xBC\xC3\x9F" + std::string(300, 'y'));
  EXPECT_EQ(tag.Year(), "2024-05-01");
  EXPECT_EQ(tag.Genre(), "Rock");
  EXPECT_EQ(tag.Artist(), "BE");
}

TEST(ID3v2, Version24UndoesUnsynchronisationAndSkipsFramePrefixes) {
  const TBytes unsynced = {1, 0xFF, 0x00, 0xFE, 'A', 0, 'B', 0};
  const TBytes withLength = Concat({{0, 0, 0, 5}, {0}, Bytes("Four")});
  const TID3v2 tag = Load(ID3v2Tag(4, {ID3v2Frame("TIT2", unsynced, 4, 0x02), ID3v2Frame("TALB", withLength, 4, 0x01),
                                       ID3v2Frame("TPE1", Concat({{0}, Bytes("zip")}), 4, 0x08)}));
  EXPECT_EQ(tag.Title(), "AB");
  EXPECT_EQ(tag.Album(), "Four");
  EXPECT_EQ(tag.Artist(), "");
}

TEST(ID3v2, Version24ExtendedHeaderIsSkipped) {
  TBytes tag = ID3v2Tag(4, {TBytes{0, 0, 0, 6, 1, 0}, ID3v2Frame("TIT2", Concat({{0}, Bytes("After")}), 4)}, 0, 0x40);
  EXPECT_EQ(Load(tag).Title(), "After");
}

TEST(ID3v2, Version22ReadsThreeLetterFrames) {
  const TID3v2 tag = Load(ID3v2Tag(2, {ID3v2TextFrame("TT2", "Old", 2), ID3v2TextFrame("TP1", "Timer", 2),
                                       ID3v2TextFrame("TRK", "9", 2)}));
  EXPECT_EQ(tag.Title(), "Old");
  EXPECT_EQ(tag.Artist(), "Timer");
  EXPECT_EQ(tag.Track(), 9);
}

TEST(ID3v2, OtherVersionsReportOnlyTheHeader) {
  const TID3v2 tag = Load(ID3v2Tag(5, {ID3v2TextFrame("TIT2", "T")}));
  EXPECT_TRUE(tag.Exists());
  EXPECT_EQ(tag.VersionID(), 5);
  EXPECT_GT(tag.Size(), 0);
  EXPECT_EQ(tag.Title(), "");
}

TEST(ID3v2, FrameSizesPastTheTagEndTheScan) {
  TBytes frame = ID3v2TextFrame("TIT2", "Title");
  frame[4] = 0x7F;
  const TID3v2 tag = Load(ID3v2Tag(3, {frame, ID3v2TextFrame("TPE1", "Never")}));
  EXPECT_TRUE(tag.Title().starts_with("Title"));
  EXPECT_EQ(tag.Artist(), "");
}

TEST(ID3v2, FilesShorterThanTheHeaderFail) {
  TMemoryStream stream(Bytes("ID3\3"));
  TID3v2 tag;
  EXPECT_FALSE(tag.LoadFromStream(stream));
  EXPECT_FALSE(tag.Exists());
  TMemoryStream plain(TBytes(100, 0));
  EXPECT_TRUE(tag.LoadFromStream(plain));
  EXPECT_FALSE(tag.Exists());
}

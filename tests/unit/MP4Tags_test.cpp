#include "tags/MP4Tags.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TBytes Atom(const std::string& type, const TBytes& body) {
  TBytes out;
  const auto size = static_cast<uint32_t>(8 + body.size());
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(size >> shift));
  }
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TBytes Data(uint8_t type, const TBytes& payload) { return Atom("data", Concat({{0, 0, 0, type, 0, 0, 0, 0}, payload})); }

TBytes File(const TBytes& items) {
  // A 64-bit sized atom before the movie, as large files have.
  const TBytes large = {0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 0};
  return Concat({large, Atom("moov", Atom("udta", Atom("meta", Concat({{0, 0, 0, 0}, Atom("ilst", items)}))))});
}

TMP4Texts Read(const TBytes& bytes, bool expected = true) {
  TMemoryStream stream(bytes);
  TMP4Texts texts;
  EXPECT_EQ(ReadMP4Tags(stream, texts), expected);
  return texts;
}

}  // namespace

TEST(MP4Tags, ReadsEveryValueOfAnItemAndTheNumberPairs) {
  const TMP4Texts texts = Read(File(Concat({Atom("\xA9" "ART", Concat({Data(1, Bytes("Ana")), Data(1, Bytes("B\xC3\xB8"))})),
                                            Atom("trkn", Data(0, {0, 0, 0, 3, 0, 12, 0, 0})),
                                            Atom("disk", Data(0, {0, 0, 0, 1, 0, 0})),
                                            Atom("covr", Data(13, TBytes(100, 0xFF))),
                                            Atom("\xA9nam", Data(1, Bytes("Title")))})));
  EXPECT_EQ(texts[miArtist], "Ana; B\xC3\xB8");
  EXPECT_EQ(texts[miTitle], "Title");
  EXPECT_EQ(texts[miTrack], "3");
  EXPECT_EQ(texts[miTotalTracks], "12");
  EXPECT_EQ(texts[miDisc], "1");
  EXPECT_EQ(texts[miTotalDiscs], "");
}

TEST(MP4Tags, AnAtomPastItsParentEndsTheWalkAndAFileWithoutAListIsNone) {
  TBytes broken = Atom("\xA9" "alb", Data(1, Bytes("Alb")));
  broken[3] = 0xF0;  // claims more than the list holds
  const TMP4Texts texts = Read(File(Concat({Atom("\xA9nam", Data(1, Bytes("Kept"))), broken})));
  EXPECT_EQ(texts[miTitle], "Kept");
  EXPECT_EQ(texts[miAlbum], "");
  Read(Atom("moov", Atom("trak", {})), false);
  Read(TBytes(100, 0), false);
}

#include "tags/OpusComments.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TBytes OpusHead() { return Concat({Bytes("OpusHead"), {1, 2, 0x38, 1, 0x80, 0xBB, 0, 0, 0, 0, 0}}); }

TBytes OpusTags(const std::vector<std::string>& comments) {
  TBytes list = VorbisComments("vendor", comments);
  list.erase(list.begin(), list.begin() + 7);  // the Vorbis packet type and name
  list.pop_back();                             // and its framing bit
  return Concat({Bytes("OpusTags"), list});
}

// A page holding the first `bytes` of a packet that goes on in the next page (only 255s in its
// lacing), and the page that ends it.
std::vector<TBytes> SplitPages(const TBytes& packet, size_t bytes) {
  TBytes first = OggPage(0, 1, {TBytes(packet.begin(), packet.begin() + static_cast<ptrdiff_t>(bytes))});
  const size_t segments = first[26];
  first.erase(first.begin() + static_cast<ptrdiff_t>(27 + segments - 1));  // the ending lacing value
  first[26] = static_cast<uint8_t>(segments - 1);
  TBytes second = OggPage(0, 2, {TBytes(packet.begin() + static_cast<ptrdiff_t>(bytes), packet.end())});
  second[5] = 1;  // continued packet
  return {first, second};
}

}  // namespace

TEST(OpusComments, ListsKeepEveryValueAndACommentHeaderReadsAcrossPages) {
  const std::string title(700, 't');
  const std::vector<TBytes> pages = SplitPages(OpusTags({"ARTIST=Ana", "TITLE=" + title, "ARTIST=B\xC3\xB8"}), 510);
  TMemoryStream stream(Concat({OggPage(0, 0, {OpusHead()}), pages[0], pages[1]}));
  TVorbisComments comments;
  ASSERT_TRUE(ReadOpusComments(stream, comments));
  EXPECT_EQ(comments.Values[vkArtist], "Ana; B\xC3\xB8");
  EXPECT_EQ(comments.Values[vkTitle], title);
}

TEST(OpusComments, AVorbisStreamOrAMissingHeaderIsNone) {
  TVorbisComments comments;
  TMemoryStream vorbis(Concat({OggPage(0, 0, {Bytes("\x01vorbis")}), OggPage(0, 1, {VorbisComments("v", {})})}));
  EXPECT_FALSE(ReadOpusComments(vorbis, comments));
  TMemoryStream alone(OggPage(0, 0, {OpusHead()}));
  EXPECT_FALSE(ReadOpusComments(alone, comments));
}

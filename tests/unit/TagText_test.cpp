#include "tags/TagText.h"

#include <gtest/gtest.h>

TEST(TagText, Utf8PrefixKeepsFourByteSequencesAndStopsAtBrokenOnes) {
  EXPECT_EQ(Utf8Prefix("a\xF0\x9F\x8E\xB5z"), "a\xF0\x9F\x8E\xB5z");
  EXPECT_EQ(Utf8Prefix("ab\xC3"), "ab");
  EXPECT_EQ(Utf8Prefix("ab\xC3xy"), "ab");
  EXPECT_EQ(Utf8Prefix("a\xC0\xAF"), "a");          // overlong "/"
  EXPECT_EQ(Utf8Prefix("a\xED\xA0\x80"), "a");      // a surrogate
  EXPECT_EQ(Utf8Prefix("a\xF4\x90\x80\x80"), "a");  // past U+10FFFF
}

TEST(TagText, Utf16DecodesPairsAndReplacesLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F3B5"), "\xF0\x9F\x8E\xB5");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD83C), u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16BytesToUtf8(std::string("\xFE\xFF\x00\xE9", 4), false), "\xC3\xA9");
  EXPECT_EQ(Utf16BytesToUtf8(std::string("\xE9\x00\x41", 3), false), "\xC3\xA9");
}

TEST(TagText, TextOfUnknownEncodingIsKeptAsUtf8OrReadAsLatin1) {
  EXPECT_EQ(Utf8OrLatin1("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(Utf8OrLatin1("Caf\xE9"), "Caf\xC3\xA9");
}

TEST(TagText, TrimmingDropsBlanksAndControlCodes) {
  EXPECT_EQ(TrimBlanks(std::string("\x01 a b\0 \t", 8)), "a b");
  EXPECT_EQ(TrimRightBlanks("  a  "), "  a");
  EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(TagText, IntegersAreWholeDecimalsWithinThirtyTwoBits) {
  int32_t value = 0;
  EXPECT_TRUE(ParseInteger("-12", value));
  EXPECT_EQ(value, -12);
  EXPECT_TRUE(ParseInteger("+7", value));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(ParseInteger("2147483647", value));
  EXPECT_FALSE(ParseInteger("2147483648", value));
  EXPECT_TRUE(ParseInteger("-2147483648", value));
  EXPECT_FALSE(ParseInteger("99999999999999999999", value));
  EXPECT_FALSE(ParseInteger("", value));
  EXPECT_FALSE(ParseInteger("-", value));
  EXPECT_FALSE(ParseInteger("1 2", value));
}

TEST(TagText, TrackNumbersKeepTheirLowEightBits) {
  EXPECT_EQ(TrackNumber8("300"), 44);
  EXPECT_EQ(TrackNumber8("-1"), 255);
  EXPECT_EQ(TrackNumber8("4/"), 4);
  EXPECT_EQ(TrackNumber8("/4"), 0);
}

TEST(TagText, RoundingIsHalfToEvenInSixteenBits) {
  EXPECT_EQ(RoundTo16(2.5), 2);
  EXPECT_EQ(RoundTo16(3.5), 4);
  EXPECT_EQ(RoundTo16(65536.0 + 44), 44);
  EXPECT_EQ(RoundTo16(1e300), 0);
}

TEST(TagText, ChannelCountsHaveNames) {
  EXPECT_EQ(ChannelCountName(1), "Mono");
  EXPECT_EQ(ChannelCountName(5), "5.1Ch");
  EXPECT_EQ(ChannelCountName(6), "6Ch");
}

#include "tags/SongInformationJson.h"

#include <limits>

#include <gtest/gtest.h>

TEST(SongInformationJson, WritesEveryFieldInOrderWithTheStreamNested) {
  SongInformation info;
  info.Title = "Title";
  info.Track = "3";
  info.StreamInfo.Valid = "Yes";
  info.StreamInfo.Duration = 12.5;
  info.TotalDiscs = "2";
  const std::string json = SongInformationToJson(info);
  EXPECT_EQ(json,
            R"({"TagExists":"","TagVersion":"","Title":"Title","Artist":"","Album":"","Track":"3","Year":"",)"
            R"("Genre":"","Comment":"","Composer":"","Encoder":"","Copyright":"","Language":"","Link":"",)"
            R"("Lyrics":"","StreamInfo":{"FileSize":"","BitRate":"","SampleRate":"","ChannelMode":"",)"
            R"("Valid":"Yes","Format":"","FramePosition":"","CRC":"","Frames":"","Copyrighted":"",)"
            R"("Original":"","Emphasis":"","EncoderName":"","Duration":12.5},)"
            R"("AlbumArtist":"","Disc":"","TotalTracks":"","TotalDiscs":"2","Cover":"","CoverNote":""})");
}

TEST(SongInformationJson, EscapesQuotesControlsAndBrokenUtf8) {
  EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(JsonString(std::string("l1\nl2\t\x01\0", 8)), R"("l1\nl2\t\u0001\u0000")");
  EXPECT_EQ(JsonString("Caf\xC3\xA9 \xF0\x9F\x8E\xB5"), "\"Caf\xC3\xA9 \xF0\x9F\x8E\xB5\"");
  EXPECT_EQ(JsonString("bad\xE9!"), "\"bad\xEF\xBF\xBD!\"");
}

TEST(SongInformationJson, DurationIsAlwaysAJsonNumberOnOneLine) {
  SongInformation info;
  info.StreamInfo.Duration = std::numeric_limits<double>::infinity();
  info.Lyrics = "line one\nline two";
  const std::string json = SongInformationToJson(info);
  EXPECT_NE(json.find("\"Duration\":0}"), std::string::npos);
  EXPECT_EQ(json.find('\n'), std::string::npos);
}

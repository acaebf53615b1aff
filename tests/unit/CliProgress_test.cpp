#include "cli/CliProgress.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

size_t Columns(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

TEST(CliProgressTest, ALiveLineShowsBarPercentSpeedAndTimeLeftWithinTheWidth) {
  // Half of a minute of audio in ten seconds: three times real time, ten seconds to go.
  const std::string line = ProgressLine("song.wav", 50, 60, 10, 80);
  EXPECT_TRUE(line.starts_with("song.wav ")) << line;
  EXPECT_NE(line.find("[##########..........]  50%    3.0x  ETA 0:10"), std::string::npos) << line;
  EXPECT_EQ(line.size(), 79u);
  EXPECT_NE(ProgressLine("song.wav", 0, 0, 0, 80).find("  0%     --x  ETA --:--"), std::string::npos);
  EXPECT_NE(ProgressLine("song.wav", 140, 60, 10, 80).find("] 100%"), std::string::npos);
  // A long name gives way, counted in characters, so the line never wraps.
  const std::string cut = ProgressLine(std::string(60, 'x') + "\xc3\xa9\xc3\xa9.wav", 10, 60, 1, 70);
  EXPECT_EQ(Columns(cut), 69u);
  EXPECT_NE(cut.find("... ["), std::string::npos) << cut;
  EXPECT_EQ(Columns(ProgressLine("song.wav", 10, 60, 1, 20)), 19u);
}

TEST(CliProgressTest, TheBoardRedrawsEveryRunningRowInPlaceBelowThePrintedLines) {
  std::vector<std::string> writes;
  TProgressClock::time_point now{};
  TProgressBoard board([&](const std::string& text) { writes.push_back(text); }, [] { return 60; },
                       [&] { return now; });
  board.Add(1, "a.wav", 10);
  board.Add(2, "b.wav", 10);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0], ProgressLine("a.wav", 0, 10, 0, 60) + "\n");
  EXPECT_EQ(writes[1], "\r\x1b[1A\x1b[J" + ProgressLine("a.wav", 0, 10, 0, 60) + "\n" +
                           ProgressLine("b.wav", 0, 10, 0, 60) + "\n");
  // Progress is drawn at most ten times a second.
  now += std::chrono::milliseconds(50);
  board.Update(1, 40);
  EXPECT_EQ(writes.size(), 2u);
  now += std::chrono::milliseconds(50);
  board.Update(2, 20);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[2], "\r\x1b[2A\x1b[J" + ProgressLine("a.wav", 40, 10, 0.1, 60) + "\n" +
                           ProgressLine("b.wav", 20, 10, 0.1, 60) + "\n");
  board.Print("a.wav failed");
  EXPECT_TRUE(writes.back().starts_with("\r\x1b[2A\x1b[Ja.wav failed\n" + ProgressLine("a.wav", 40, 10, 0.1, 60)));
  board.Remove(1);
  EXPECT_EQ(writes.back(), "\r\x1b[2A\x1b[J" + ProgressLine("b.wav", 20, 10, 0.1, 60) + "\n");
  board.Clear();
  EXPECT_EQ(writes.back(), "\r\x1b[1A\x1b[J");
  const size_t count = writes.size();
  board.Tick();
  EXPECT_EQ(writes.size(), count);
}

TEST(CliProgressTest, TheTotalLineCountsFinishedRowsBelowTheRunningOnes) {
  EXPECT_EQ(TotalLine(4, 16, 80), "total [#####...............]   4/16 files");
  EXPECT_EQ(TotalLine(20, 16, 80), TotalLine(16, 16, 80));
  EXPECT_EQ(Columns(TotalLine(1, 2, 12)), 11u);
  std::vector<std::string> writes;
  TProgressClock::time_point now{};
  TProgressBoard board([&](const std::string& text) { writes.push_back(text); }, [] { return 60; },
                       [&] { return now; });
  board.SetTotal(0, 2);
  board.Add(1, "a.wav", 10);
  board.Add(2, "b.wav", 10);
  board.Remove(1);
  board.SetTotal(1, 2);
  EXPECT_EQ(writes.back(), "\r\x1b[2A\x1b[J" + ProgressLine("b.wav", 0, 10, 0, 60) + "\n" + TotalLine(1, 2, 60) + "\n");
  board.Print("[1/2] a.wav -> a.mp3: done");
  EXPECT_EQ(writes.back(), "\r\x1b[2A\x1b[J[1/2] a.wav -> a.mp3: done\n" + ProgressLine("b.wav", 0, 10, 0, 60) + "\n" +
                               TotalLine(1, 2, 60) + "\n");
  board.Clear();
  EXPECT_EQ(writes.back(), "\r\x1b[2A\x1b[J");
}

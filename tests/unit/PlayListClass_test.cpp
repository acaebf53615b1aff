#include "app/PlayListClass.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string Text(const std::string& fileName) {
  const auto bytes = ReadFileBytes(fileName);
  return {bytes.begin(), bytes.end()};
}

}  // namespace

TEST(PlayListClass, SamePathInAnotherCaseIsListedOnce) {
  TPlaylist playlist;
  playlist.AddEntry("/out/01-A.MP3", "x-A", 10);
  playlist.AddEntry("/OUT/01-a.mp3", "y-B", 20);
  ASSERT_EQ(playlist.Count(), 1u);
  EXPECT_EQ(playlist.Titles()[0], "x-A");
}

TEST(PlayListClass, M3UHasAnInfoLineAndAPathPerEntryWithCRLF) {
  TempDir dir;
  TPlaylist playlist;
  playlist.AddEntry("/out/a.MP3", "Artist-Song", 245);
  playlist.AddEntry("/out/b.MP3", "Two\nLines", -1);
  ASSERT_TRUE(playlist.SaveM3U(dir.File("list")));
  EXPECT_EQ(Text(dir.File("list")),
            "#EXTM3U\r\n#EXTINF:245,Artist-Song\r\n/out/a.MP3\r\n#EXTINF:-1,Two Lines\r\n/out/b.MP3\r\n");
}

TEST(PlayListClass, EmptyPlaylists) {
  TempDir dir;
  TPlaylist playlist;
  playlist.SaveM3U(dir.File("e.m3u"));
  playlist.SavePLS(dir.File("e.pls"));
  EXPECT_EQ(Text(dir.File("e.m3u")), "#EXTM3U\r\n");
  EXPECT_EQ(Text(dir.File("e.pls")), "[playlist]\r\nNumberOfEntries=0\r\n");
}

TEST(PlayListClass, PLSNameGetsAnExtensionOnlyWithoutDotPLS) {
  TempDir dir;
  TPlaylist playlist;
  playlist.SavePLS(dir.File("a"));
  playlist.SavePLS(dir.File("b.PlS"));
  playlist.SavePLS(dir.File("c.pls.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir.File("a.pls")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("b.PlS")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("c.pls.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.PlS.pls")));
}

TEST(PlayListClass, PLSWritesEntriesInOrderAndKeepsOtherKeysOfAnExistingFile) {
  TempDir dir;
  const std::string file = dir.File("p.pls");
  WriteFileBytes(file, std::vector<uint8_t>{'[', 'x', ']', '\n', 'k', '=', 'v', '\n', '[', 'p', 'l', 'a', 'y', 'l',
                                            'i', 's', 't', ']', '\n', 'V', 'e', 'r', 's', 'i', 'o', 'n', '=', '2', '\n'});
  TPlaylist playlist;
  playlist.AddEntry("/o/1.WAV", "-One", 3);
  playlist.AddEntry("/o/2.WAV", "-Two", 4);
  playlist.SavePLS(file);
  EXPECT_EQ(Text(file),
            "[x]\nk=v\n[playlist]\nVersion=2\nFile1=/o/1.WAV\nTitle1=-One\nLength1=3\n"
            "File2=/o/2.WAV\nTitle2=-Two\nLength2=4\nNumberOfEntries=2\n");
}

TEST(PlayListClass, UnwritablePlaylistIsIgnored) {
  TPlaylist playlist;
  EXPECT_TRUE(playlist.SaveM3U("/nonexistent-folder/x.m3u"));
  EXPECT_TRUE(playlist.SavePLS("/nonexistent-folder/x.pls"));
}

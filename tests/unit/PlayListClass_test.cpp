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
  ASSERT_EQ(playlist.SaveM3U(dir.File("list")), dir.File("list"));
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

TEST(PlayListClass, PLSWritesEntriesInOrderAndNeverReplacesAnEarlierPlaylist) {
  TempDir dir;
  const std::string file = dir.File("p.pls");
  WriteFileBytes(file, {'o', 'l', 'd'});
  TPlaylist playlist;
  playlist.AddEntry("/o/1.WAV", "-One", 3);
  playlist.AddEntry("/o/2.WAV", "-Two", 4);
  EXPECT_EQ(playlist.SavePLS(file), dir.File("p (2).pls"));
  EXPECT_EQ(playlist.SaveM3U(file), dir.File("p (3).pls"));
  EXPECT_EQ(Text(file), "old");
  EXPECT_EQ(Text(dir.File("p (2).pls")),
            "[playlist]\r\nFile1=/o/1.WAV\r\nTitle1=-One\r\nLength1=3\r\n"
            "File2=/o/2.WAV\r\nTitle2=-Two\r\nLength2=4\r\nNumberOfEntries=2\r\n");
  // Nothing but the playlists: the temporary files went with their renames.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 3);
}

TEST(PlayListClass, UnwritablePlaylistFailsNamingTheFileAndTheReason) {
  TPlaylist playlist;
  for (const std::string& name : {std::string("/nonexistent-folder/x.m3u"), std::string("/nonexistent-folder/x.pls")}) {
    try {
      name.ends_with(".m3u") ? playlist.SaveM3U(name) : playlist.SavePLS(name);
      ADD_FAILURE() << name << " was written";
    } catch (const std::exception& error) {
      EXPECT_EQ(std::string(error.what()), name + ": cannot create (No such file or directory)");
    }
  }
}

// Rows filled from the files' own tags and stream lengths, and the tag editor's genre list.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "support/TagImages.h"
#include "support/TestSupport.h"
#include "tags/ID3v1.h"

namespace {

using namespace testing_support;

// About 2.1 seconds of MPEG-1 Layer III at 128 kbit/s and 44.1 kHz, under both ID3 tags.
void WriteTaggedMp3(const std::string& fileName) {
  const TBytes v2 = ID3v2Tag(3, {ID3v2TextFrame("TIT2", "Night Train"), ID3v2TextFrame("TPE1", "Ada Reed"),
                                 ID3v2TextFrame("TALB", "Harbour"), ID3v2TextFrame("TYER", "2019")});
  TBytes comment = Bytes("late set");
  comment.resize(30, 0);
  WriteFileBytes(fileName, Concat({v2, MPEGFrames(0xFFFB9044, 417, 80),
                                   ID3v1Trailer("Night Train", "Ada Reed", "Harbour", "2019", comment, 8)}));
}

TEST(SongRowsTest, RowsShowTheTagsAndPlayingTimeAndTheEditorFindsTheGenre) {
  TempDir dir;
  WriteTaggedMp3(dir.File("night.mp3"));
  TFrmConverter window;
  QStringList names{QString::fromStdString(dir.File("night.mp3"))};
  window.AddFiles(names);
  TFileList& list = *window.ListView1;
  ASSERT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.Text(0, lcTitle), "Night Train");
  EXPECT_EQ(list.Text(0, lcArtist), "Ada Reed");
  EXPECT_EQ(list.Text(0, lcAlbum), "Harbour");
  EXPECT_EQ(list.Text(0, lcYear), "2019");
  EXPECT_EQ(list.Text(0, lcGenre), "Jazz");
  EXPECT_EQ(list.Text(0, lcDuration), "0:00:02");

  list.SelectRows({0});
  EXPECT_EQ(window.Edit1->text(), "Night Train");
  EXPECT_EQ(window.ComboBox5->currentText(), "Jazz");
  EXPECT_EQ(window.ComboBox5->currentIndex(), 8);
}

TEST(SongRowsTest, TheGenreListHoldsTheWholeTableInOrder) {
  TFrmConverter window;
  ASSERT_EQ(window.ComboBox5->count(), GenreCount);
  for (int genre = 0; genre < GenreCount; ++genre) {
    EXPECT_EQ(window.ComboBox5->itemText(genre), QString::fromUtf8(GenreNames[genre]));
  }
  EXPECT_FALSE(window.ComboBox5->isEditable());
  EXPECT_EQ(window.ComboBox5->currentIndex(), -1);
}

}  // namespace

// The tag editor shows a small cover beside the fields while the row has one.

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

#include "gui/TagEditor.h"
#include "support/TestSupport.h"

TEST(TagEditorTest, TheRowsCoverShowsSmallAndIsGoneForARowWithout) {
  testing_support::TempDir dir;
  const std::string image = dir.File("cover.png");
  QImage picture(300, 150, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(image), "PNG"));
  TTagEditor editor;
  TConversionRow row;
  row.CoverFile = image;
  editor.ShowRow(row);
  EXPECT_FALSE(editor.imgCover->isHidden());
  EXPECT_EQ(editor.imgCover->pixmap().width(), 64);
  EXPECT_EQ(editor.imgCover->pixmap().height(), 32);
  editor.ShowRow(TConversionRow());
  EXPECT_TRUE(editor.imgCover->isHidden());
}

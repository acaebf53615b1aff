// The main window driven as a user would: files added, dropped and sent by other programs, the
// tag editor, the column actions and the Delete key.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QToolButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocalSocket>

#include "GuiTestSupport.h"
#include "gui/CopyDataServer.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"
#include "gui/StatusPanels.h"
#include "support/TestSupport.h"

namespace {

using gui_testing::DropFiles;
using gui_testing::WaitUntil;
using gui_testing::WriteWave;
using testing_support::TempDir;

QString Q(const std::string& text) { return QString::fromStdString(text); }

class FrmConverterTest : public testing::Test {
protected:
  // Three rows a.wav, b.wav, c.wav with distinct texts.
  void AddThreeRows() {
    QStringList names;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
      WriteWave(Dir.File(name), 0.2);
      names << Q(Dir.File(name));
    }
    Window.AddFiles(names);
    for (int row = 0; row < 3; ++row) {
      for (TListColumn column : {lcTitle, lcArtist, lcAlbum, lcYear, lcGenre, lcComment}) {
        List().SetText(row, column, QStringLiteral("r%1c%2").arg(row).arg(column));
      }
    }
  }

  TFileList& List() { return *Window.ListView1; }
  void Select(std::initializer_list<int> rows) {
    List().clearSelection();
    for (int row : rows) {
      List().topLevelItem(row)->setSelected(true);
    }
  }

  TempDir Dir;
  TFrmConverter Window;
};

TEST_F(FrmConverterTest, AddFilesKeepsOnlyAudioNamesAsGivenAndEmptiesTheList) {
  WriteWave(Dir.File("one.WAV"), 0.5);
  testing_support::WriteFileBytes(Dir.File("notes.TXT"), {'x'});
  QStringList names{Q(Dir.File("one.WAV")), Q(Dir.File("notes.TXT")), Q(Dir.File("one.WAV")),
                    Q(Dir.File("missing.flac"))};
  Window.AddFiles(names);
  EXPECT_TRUE(names.isEmpty());
  ASSERT_EQ(List().RowCount(), 3);  // the same file twice gives two rows; a missing one still a row
  EXPECT_EQ(List().Text(0, lcTrack), Q(Dir.File("one.WAV")));
  EXPECT_EQ(List().Text(2, lcTrack), Q(Dir.File("missing.flac")));
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(List().Checked(row));
    EXPECT_EQ(List().Text(row, lcStatus), "not converted");
  }
  EXPECT_EQ(List().Text(2, lcDuration), "0:00:00");
}

TEST_F(FrmConverterTest, DroppedFolderTextAndMp3GiveTheAudioRowsInNameOrder) {
  std::filesystem::create_directories(Dir.Path() / "album" / "disc2");
  WriteWave(Dir.File("album/02.wav"), 0.1);
  WriteWave(Dir.File("album/01.wav"), 0.1);
  WriteWave(Dir.File("album/disc2/01.wav"), 0.1);
  testing_support::WriteFileBytes(Dir.File("album/cover.jpg"), {1});
  testing_support::WriteFileBytes(Dir.File("readme.TXT"), {1});
  testing_support::WriteFileBytes(Dir.File("song.Mp3"), {0xFF, 0xFB, 0x90, 0});
  DropFiles(&Window, {Q(Dir.File("album")), Q(Dir.File("readme.TXT")), Q(Dir.File("song.Mp3"))});
  ASSERT_EQ(List().RowCount(), 4);
  EXPECT_EQ(List().Text(0, lcTrack), Q(Dir.File("album/01.wav")));
  EXPECT_EQ(List().Text(1, lcTrack), Q(Dir.File("album/02.wav")));
  EXPECT_EQ(List().Text(2, lcTrack), Q(Dir.File("album/disc2/01.wav")));
  EXPECT_EQ(List().Text(3, lcTrack), Q(Dir.File("song.Mp3")));
}

TEST_F(FrmConverterTest, CopyDataMessageAddsOnePathWithOrWithoutItsZero) {
  ASSERT_TRUE(Window.CopyData()->Listening());
  WriteWave(Dir.File("sent.wav"), 0.1);
  for (const QByteArray& message : {QByteArray(Dir.File("sent.wav").c_str()),
                                    QByteArray(Dir.File("sent.wav").c_str(), Dir.File("sent.wav").size() + 1) +
                                        QByteArray("garbage")}) {
    QLocalSocket socket;
    socket.connectToServer(TCopyDataServer::DefaultName());
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(message);
    socket.flush();
    socket.disconnectFromServer();
  }
  ASSERT_TRUE(WaitUntil([&] { return List().RowCount() == 2; }));
  EXPECT_EQ(List().Text(0, lcTrack), Q(Dir.File("sent.wav")));
  EXPECT_EQ(List().Text(1, lcTrack), Q(Dir.File("sent.wav")));
}

TEST_F(FrmConverterTest, SelectingARowFillsTheEditorAndPlusWritesOnlyTheFirstSelectedRow) {
  AddThreeRows();
  Select({1});
  EXPECT_EQ(Window.Edit1->text(), "r1c1");
  EXPECT_EQ(Window.Edit2->text(), "r1c3");
  EXPECT_EQ(Window.Edit6->text(), "r1c7");
  // "r1c6" is no genre of the table: the editor shows none, and "+" writes an empty genre.
  EXPECT_EQ(Window.ComboBox5->currentIndex(), -1);

  Select({0, 1, 2});
  Window.Edit1->setText("New title");
  Window.Edit2->setText("New artist");
  Window.Edit4->setText("1999");
  Window.SpeedButton2Click();
  EXPECT_EQ(List().Text(0, lcTitle), "New title");
  EXPECT_EQ(List().Text(0, lcArtist), "New artist");
  EXPECT_EQ(List().Text(0, lcYear), "1999");
  EXPECT_EQ(List().Text(0, lcGenre), "");
  EXPECT_EQ(List().Text(1, lcTitle), "r1c1");
  EXPECT_EQ(List().Text(2, lcArtist), "r2c3");
}

TEST_F(FrmConverterTest, TrackHeaderTogglesEveryCheckBox) {
  AddThreeRows();
  List().SetChecked(1, false);
  Window.ListView1->header()->sectionClicked(lcTrack);
  EXPECT_EQ(List().TrackHeaderImage(), 11);
  for (int row = 0; row < 3; ++row) {
    EXPECT_FALSE(List().Checked(row));
  }
  Window.ListView1ColumnClick(lcTrack);
  EXPECT_EQ(List().TrackHeaderImage(), 12);
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(List().Checked(row));
  }
}

TEST_F(FrmConverterTest, ColumnHeadersCopyTheEditorIntoEveryRowButTitleStatusAndDurationDoNothing) {
  AddThreeRows();
  Window.Edit1->setText("T");
  Window.Edit2->setText("A");
  Window.Edit3->setText("L");
  Window.Edit4->setText("Y");
  Window.Edit6->setText("C");
  Window.ComboBox5->setCurrentIndex(-1);
  for (int column = 0; column < lcColumnCount; ++column) {
    if (column != lcTrack) {
      Window.ListView1ColumnClick(column);
    }
  }
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(List().Text(row, lcTitle), QStringLiteral("r%1c1").arg(row));
    EXPECT_EQ(List().Text(row, lcStatus), "not converted");
    EXPECT_EQ(List().Text(row, lcArtist), "A");
    EXPECT_EQ(List().Text(row, lcAlbum), "L");
    EXPECT_EQ(List().Text(row, lcYear), "Y");
    EXPECT_EQ(List().Text(row, lcGenre), "");  // no genre chosen empties every row's genre
    EXPECT_EQ(List().Text(row, lcComment), "C");
    EXPECT_EQ(List().Text(row, lcDuration), "0:00:00");
  }
}

TEST_F(FrmConverterTest, DeleteKeyRemovesSelectedRowsAndAlwaysEmptiesTheEditor) {
  AddThreeRows();
  Select({0, 2});
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(Window.ListView1, &press);
  ASSERT_EQ(List().RowCount(), 1);
  EXPECT_EQ(List().Text(0, lcTitle), "r1c1");
  for (QLineEdit* edit : {Window.Edit1, Window.Edit2, Window.Edit3, Window.Edit4, Window.Edit6}) {
    EXPECT_TRUE(edit->text().isEmpty());
  }

  List().clearSelection();
  Window.Edit1->setText("kept?");
  QCoreApplication::sendEvent(Window.ListView1, &press);
  EXPECT_EQ(List().RowCount(), 1);
  EXPECT_TRUE(Window.Edit1->text().isEmpty());
}

TEST_F(FrmConverterTest, RowsAreShadedByPosition) {
  AddThreeRows();
  Window.resize(700, 400);
  Window.show();
  ASSERT_TRUE(WaitUntil([&] { return Window.isVisible(); }));
  const QImage picture = List().viewport()->grab().toImage();
  const int rowHeight = List().visualItemRect(List().topLevelItem(0)).height();
  const int x = List().columnViewportPosition(lcStatus) + List().columnWidth(lcStatus) - 8;
  EXPECT_EQ(picture.pixelColor(x, rowHeight / 2), QColor(Qt::white));
  EXPECT_EQ(picture.pixelColor(x, rowHeight + rowHeight / 2), QColor(245, 245, 245));
}

TEST(DurationTextTest, IsHoursMinutesSecondsOfTheRowsOwnSeconds) {
  EXPECT_EQ(DurationText(0), "0:00:00");
  EXPECT_EQ(DurationText(245.4), "0:04:05");
  EXPECT_EQ(DurationText(3600 * 27 + 61), "27:01:01");
  EXPECT_EQ(DurationText(-3), "0:00:00");
  EXPECT_EQ(DurationText(std::numeric_limits<double>::quiet_NaN()), "0:00:00");
}

}  // namespace

namespace {

TEST(FrmConverterStartTest, CommandLineFilesBecomeCheckedRows) {
  TempDir dir;
  WriteWave(dir.File("a.wav"), 0.1);
  WriteWave(dir.File("b.wav"), 0.1);
  TFrmConverter window({Q(dir.File("a.wav")), Q(dir.File("b.wav"))});
  ASSERT_EQ(window.ListView1->RowCount(), 2);
  EXPECT_EQ(window.ListView1->Text(1, lcTrack), Q(dir.File("b.wav")));
  EXPECT_TRUE(window.ListView1->Checked(0) && window.ListView1->Checked(1));
  EXPECT_EQ(window.ListView1->Text(0, lcStatus), "not converted");
}

TEST(FrmConverterStartTest, SettingsAndWindowSizeSurviveARestart) {
  {
    TFrmConverter window;
    TOptionsFrm& options = *window.OptionsFrm();
    options.cmbRipFormat->setCurrentText("FLAC");
    options.SpinEdit1->setValue(42);
    options.Edit1->setText("/music/converted");
    options.CheckBox1->setChecked(true);
    options.ComboBox2->setCurrentIndex(1);
    options.cmbLanguage->setCurrentText("DEU");
    window.resize(700, 520);
    window.close();
  }
  TFrmConverter again;
  TOptionsFrm& options = *again.OptionsFrm();
  EXPECT_EQ(options.cmbRipFormat->currentText(), "FLAC");
  EXPECT_EQ(options.SpinEdit1->value(), 42);
  EXPECT_EQ(options.Edit1->text(), "/music/converted");
  EXPECT_TRUE(options.CheckBox1->isChecked());
  EXPECT_EQ(options.ComboBox2->currentIndex(), 1);
  EXPECT_EQ(options.cmbLanguage->currentText(), "DEU");
  EXPECT_EQ(again.ToolButton3->text(), "Konvertieren");  // the stored language is loaded at start-up
  EXPECT_EQ(again.size(), QSize(700, 520));
  EXPECT_EQ(again.StatusBar1()->PanelText(1), "Convert to: FLAC");
  // Back to the defaults for the tests that follow.
  std::filesystem::remove(std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmar/Kestrune.reg");
}

}  // namespace

// The main window driven as a user would: files added, dropped and sent by other programs, the
// tag editor, the column actions, Delete and Undo, the menus' shortcuts, the window's size and
// its colours.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocalSocket>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include "GuiTestSupport.h"
#include "gui/AboutFrm.h"
#include "gui/CopyDataServer.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"
#include "gui/Palettes.h"
#include "gui/StatusPanels.h"
#include "support/TestSupport.h"

namespace {

using gui_testing::DropFiles;
using gui_testing::ShowActive;
using gui_testing::WaitUntil;
using gui_testing::WriteWave;
using testing_support::TempDir;

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string StoreFile() { return std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmar/Kestrune.reg"; }

class FrmConverterTest : public testing::Test {
protected:
  // Three rows a.wav, b.wav, c.wav with distinct texts "r<row>c<column>".
  void AddThreeRows() {
    QStringList names;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
      WriteWave(Dir.File(name), 0.2);
      names << Q(Dir.File(name));
    }
    Window.AddFiles(names);
    for (int row = 0; row < 3; ++row) {
      TConversionRow values = Row(row);
      for (auto [column, field] : {std::pair{lcTitle, &values.Title}, {lcArtist, &values.Artist},
                                   {lcAlbum, &values.Album}, {lcYear, &values.Year}, {lcGenre, &values.Genre},
                                   {lcComment, &values.Comment}}) {
        *field = "r" + std::to_string(row) + "c" + std::to_string(column);
      }
      List().Model().SetRow(row, values);
    }
  }

  TFileList& List() { return *Window.ListView1; }
  const TConversionRow& Row(int row) { return List().Model().Row(row); }
  void Select(const QList<int>& rows) { List().SelectRows(rows); }

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
  EXPECT_EQ(Row(0).FileName, Dir.File("one.WAV"));
  EXPECT_EQ(Row(2).FileName, Dir.File("missing.flac"));
  // The list shows the file's name; the whole path is the cell's tooltip.
  EXPECT_EQ(List().Text(0, lcTrack), "one.WAV");
  EXPECT_EQ(List().Model().index(0, lcTrack).data(Qt::ToolTipRole).toString(), Q(Dir.File("one.WAV")));
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
  EXPECT_EQ(Row(0).FileName, Dir.File("album/01.wav"));
  EXPECT_EQ(Row(1).FileName, Dir.File("album/02.wav"));
  EXPECT_EQ(Row(2).FileName, Dir.File("album/disc2/01.wav"));
  EXPECT_EQ(Row(3).FileName, Dir.File("song.Mp3"));
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
  EXPECT_EQ(Row(0).FileName, Dir.File("sent.wav"));
  EXPECT_EQ(Row(1).FileName, Dir.File("sent.wav"));
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
  EXPECT_EQ(Row(0).Title, "New title");
  EXPECT_EQ(Row(0).Artist, "New artist");
  EXPECT_EQ(Row(0).Year, "1999");
  EXPECT_EQ(Row(0).Genre, "");
  EXPECT_EQ(Row(1).Title, "r1c1");
  EXPECT_EQ(Row(2).Artist, "r2c3");
}

TEST_F(FrmConverterTest, EnterInAnEditorFieldWritesTheRowAndMovingOnKeepsAnEditUnlessEscaped) {
  AddThreeRows();
  ASSERT_TRUE(ShowActive(Window));
  Select({0});
  Window.Edit3->setFocus();
  QTest::keyClicks(Window.Edit3, " live");
  QTest::keyClick(Window.Edit3, Qt::Key_Return);
  EXPECT_EQ(Row(0).Album, "r0c4 live");

  QTest::keyClicks(Window.Edit1, " kept");
  Select({1});  // another row: the edit of row 0 stays
  EXPECT_EQ(Row(0).Title, "r0c1 kept");
  EXPECT_EQ(Window.Edit1->text(), "r1c1");

  QTest::keyClicks(Window.Edit1, " dropped");
  QTest::keyClick(Window.Edit1, Qt::Key_Escape);
  EXPECT_EQ(Window.Edit1->text(), "r1c1");
  Select({2});
  EXPECT_EQ(Row(1).Title, "r1c1");
}

TEST_F(FrmConverterTest, TrackHeaderTogglesEveryCheckBox) {
  AddThreeRows();
  TConversionRow unchecked = Row(1);
  unchecked.Checked = false;
  List().Model().SetRow(1, unchecked);
  Window.ListView1->header()->sectionClicked(lcTrack);
  EXPECT_EQ(List().Model().TrackHeaderImage(), 11);
  for (int row = 0; row < 3; ++row) {
    EXPECT_FALSE(List().Checked(row));
  }
  Window.ListView1ColumnClick(lcTrack);
  EXPECT_EQ(List().Model().TrackHeaderImage(), 12);
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(List().Checked(row));
  }
  EXPECT_FALSE(List().Model().headerData(lcTrack, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
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
    EXPECT_EQ(Row(row).Title, "r" + std::to_string(row) + "c1");
    EXPECT_EQ(List().Text(row, lcStatus), "not converted");
    EXPECT_EQ(Row(row).Artist, "A");
    EXPECT_EQ(Row(row).Album, "L");
    EXPECT_EQ(Row(row).Year, "Y");
    EXPECT_EQ(Row(row).Genre, "");  // no genre chosen empties every row's genre
    EXPECT_EQ(Row(row).Comment, "C");
    EXPECT_EQ(Row(row).Duration, "0:00:00");
  }
  EXPECT_FALSE(List().Model().headerData(lcArtist, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
}

TEST_F(FrmConverterTest, CtrlZUndoesAColumnSetThenADeleteThenThePlus) {
  AddThreeRows();
  ASSERT_TRUE(ShowActive(Window));
  Select({1});
  Window.Edit1->setText("plus");
  Window.SpeedButton2Click();
  Window.Edit2->setText("everyone");
  Window.ListView1ColumnClick(lcArtist);
  Select({0});
  List().setFocus();
  QTest::keyClick(&List(), Qt::Key_Delete);
  ASSERT_EQ(List().RowCount(), 2);
  EXPECT_EQ(Row(0).Artist, "everyone");

  QTest::keyClick(&List(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(List().RowCount(), 3);
  EXPECT_EQ(Row(0).Title, "r0c1");
  QTest::keyClick(&List(), Qt::Key_Z, Qt::ControlModifier);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Row(row).Artist, "r" + std::to_string(row) + "c3");
  }
  QTest::keyClick(&List(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Row(1).Title, "r1c1");
}

TEST_F(FrmConverterTest, DeleteKeyRemovesSelectedRowsAndAlwaysEmptiesTheEditor) {
  AddThreeRows();
  ASSERT_TRUE(ShowActive(Window));
  Select({0, 2});
  List().setFocus();
  QTest::keyClick(&List(), Qt::Key_Delete);
  ASSERT_EQ(List().RowCount(), 1);
  EXPECT_EQ(Row(0).Title, "r1c1");
  for (QLineEdit* edit : {Window.Edit1, Window.Edit2, Window.Edit3, Window.Edit4, Window.Edit6}) {
    EXPECT_TRUE(edit->text().isEmpty());
  }

  List().clearSelection();
  Window.Edit1->setText("kept?");
  QTest::keyClick(&List(), Qt::Key_Delete);
  EXPECT_EQ(List().RowCount(), 1);
  EXPECT_TRUE(Window.Edit1->text().isEmpty());
}

TEST_F(FrmConverterTest, TheMenusShortcutsReachTheirCommands) {
  Window.OptionsFrm()->Edit1->setText(Q(Dir.File("out")));
  ASSERT_TRUE(ShowActive(Window));
  int opened = 0;
  Window.SetFileChooser([&](QWidget*) {
    ++opened;
    return QStringList();
  });
  QTest::keyClick(&Window, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(opened, 1);

  QTest::keyClick(&Window, Qt::Key_Comma, Qt::ControlModifier);
  EXPECT_TRUE(Window.OptionsFrm()->isVisible());
  Window.OptionsFrm()->reject();
  ASSERT_TRUE(ShowActive(Window));

  QTest::keyClick(&Window, Qt::Key_F1);
  auto* about = Window.findChild<TAboutFrm*>();
  ASSERT_NE(about, nullptr);
  about->close();
  ASSERT_TRUE(ShowActive(Window));

  QSignalSpy finished(&Window, &TFrmConverter::BatchFinished);
  QTest::keyClick(&Window, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(finished.wait(60000));  // an empty list: the batch ends at once

  const std::pair<QAction*, QKeySequence> shortcuts[] = {
      {Window.actQuit, QKeySequence(Qt::CTRL | Qt::Key_Q)},       {Window.actUndo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {Window.actSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A)},  {Window.actRemove, QKeySequence(Qt::Key_Delete)},
      {Window.actStop, QKeySequence(Qt::Key_Escape)},
  };
  for (const auto& [action, keys] : shortcuts) {
    EXPECT_EQ(action->shortcut(), keys) << action->objectName().toStdString();
  }
  QTest::keyClick(&Window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(Window.isVisible());
}

TEST_F(FrmConverterTest, RowsTakeTheirColoursFromThePaletteLightAndDark) {
  AddThreeRows();
  Window.resize(900, 500);
  ASSERT_TRUE(ShowActive(Window));
  List().clearSelection();
  const int rowHeight = List().visualRect(List().Model().index(0, 0)).height();
  const int x = List().columnViewportPosition(lcStatus) + List().columnWidth(lcStatus) - 8;
  auto rowColours = [&] {
    QCoreApplication::processEvents();  // the palette reaches the widgets through events
    const QImage picture = List().viewport()->grab().toImage();
    return std::pair{picture.pixelColor(x, rowHeight / 2), picture.pixelColor(x, rowHeight + rowHeight / 2)};
  };
  const QPalette light = QApplication::palette();
  const auto [lightEven, lightOdd] = rowColours();
  EXPECT_EQ(lightEven, List().palette().color(QPalette::Base));
  EXPECT_EQ(lightOdd, List().palette().color(QPalette::AlternateBase));

  QApplication::setPalette(DarkFusionPalette());
  const auto [darkEven, darkOdd] = rowColours();
  QApplication::setPalette(light);
  EXPECT_EQ(darkEven, DarkFusionPalette().color(QPalette::Base));
  EXPECT_EQ(darkOdd, DarkFusionPalette().color(QPalette::AlternateBase));
  EXPECT_NE(darkEven, lightEven);
  EXPECT_NE(darkOdd, lightOdd);
}

}  // namespace

namespace {

TEST(FrmConverterStartTest, CommandLineFilesBecomeCheckedRows) {
  TempDir dir;
  WriteWave(dir.File("a.wav"), 0.1);
  WriteWave(dir.File("b.wav"), 0.1);
  TFrmConverter window({Q(dir.File("a.wav")), Q(dir.File("b.wav"))});
  ASSERT_EQ(window.ListView1->RowCount(), 2);
  EXPECT_EQ(window.ListView1->Model().Row(1).FileName, dir.File("b.wav"));
  EXPECT_TRUE(window.ListView1->Checked(0) && window.ListView1->Checked(1));
  EXPECT_EQ(window.ListView1->Text(0, lcStatus), "not converted");
}

TEST(FrmConverterStartTest, TheFirstStartOpensAbout960By640Centred) {
  std::filesystem::remove(StoreFile());
  TFrmConverter window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.size(), QSize(960, 640));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(window.geometry().center().x() - screen.center().x()), 20);
  EXPECT_LE(std::abs(window.geometry().center().y() - screen.center().y()), 40);
}

TEST(FrmConverterStartTest, SettingsWindowSizeAndMaximisedStateSurviveARestart) {
  {
    TFrmConverter window;
    TOptionsFrm& options = *window.OptionsFrm();
    options.cmbRipFormat->setCurrentText("FLAC");
    options.SpinEdit1->setValue(42);
    options.Edit1->setText("/music/converted");
    options.CheckBox1->setChecked(true);
    options.ComboBox2->setCurrentIndex(1);
    options.cmbLanguage->setCurrentIndex(options.cmbLanguage->findData("DEU"));
    window.resize(700, 520);
    window.close();
  }
  {
    TFrmConverter again;
    TOptionsFrm& options = *again.OptionsFrm();
    EXPECT_EQ(options.cmbRipFormat->currentText(), "FLAC");
    EXPECT_EQ(options.SpinEdit1->value(), 42);
    EXPECT_EQ(options.Edit1->text(), "/music/converted");
    EXPECT_TRUE(options.CheckBox1->isChecked());
    EXPECT_EQ(options.ComboBox2->currentIndex(), 1);
    EXPECT_EQ(options.cmbLanguage->currentData().toString(), "DEU");
    EXPECT_EQ(options.cmbLanguage->currentText(), "Deutsch");
    EXPECT_EQ(again.ToolButton3->text(), "Konvertieren");  // the stored language is loaded at start-up
    EXPECT_EQ(again.size(), QSize(700, 520));
    EXPECT_EQ(again.StatusBar1()->PanelText(1), "Konvertieren nach: FLAC");
    again.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    again.close();
  }
  // A position no screen shows is not taken up again: the window is centred instead.
  TRegIniFile(SettingsKey).WriteInteger(SettingsSection, SettingNames::Top, -5000);
  TFrmConverter maximised;
  EXPECT_TRUE(maximised.windowState() & Qt::WindowMaximized);
  maximised.showNormal();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&maximised));
  EXPECT_EQ(maximised.size(), QSize(700, 520));
  EXPECT_GE(maximised.y(), 0);
  // Back to the defaults for the tests that follow.
  std::filesystem::remove(StoreFile());
}

}  // namespace

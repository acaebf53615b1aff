// Convert and Stop from the main window: the driver runs the checked rows while the window shows
// the status texts, the two bars and failures, and keeps handling its events.

#include <gtest/gtest.h>

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/ConversionDriver.h"
#include "gui/ConversionView.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"
#include "gui/StatusPanels.h"
#include "support/TestSupport.h"

namespace {

using gui_testing::WaitUntil;
using gui_testing::WriteWave;
using testing_support::TempDir;

class ConversionViewTest : public testing::Test {
protected:
  void SetUp() override {
    Window.OptionsFrm()->cmbRipFormat->setCurrentText("WAV");
    Window.OptionsFrm()->Edit1->setText(QString::fromStdString(Dir.File("out")));
    Window.OptionsFrm()->ComboBox2->setCurrentIndex(0);  // "<Track Number>"
  }

  void AddWaves(int count, double seconds) {
    QStringList names;
    for (int i = 1; i <= count; ++i) {
      const std::string name = Dir.File("in" + std::to_string(i) + ".wav");
      WriteWave(name, seconds, i % 2 == 0 ? 1 : 2, i == 3 ? 8 : 16);
      names << QString::fromStdString(name);
    }
    Window.AddFiles(names);
  }

  QString Status(int row) { return Window.ListView1->Text(row, lcStatus); }

  // Converts; a failing row (which waits for Stop) is stopped, so the test reports it, not hangs.
  void ConvertStoppingOnFailure() {
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (!Window.StatusBar1()->PanelText(0).isEmpty() && Window.ToolButton4->isEnabled()) {
        watcher.stop();
        Window.ToolButton4Click();
      }
    });
    watcher.start(20);
    Window.ToolButton3Click();
  }

  TempDir Dir;
  TFrmConverter Window;
};

TEST_F(ConversionViewTest, ThreeCheckedRowsBecomeWavFilesWithBothBarsComplete) {
  AddWaves(3, 0.5);
  std::vector<QString> seen;
  QStringList titles;
  QObject::connect(Window.ListView1, &QTreeWidget::itemChanged, [&](QTreeWidgetItem* item, int column) {
    if (column == lcStatus) {
      seen.push_back(item->text(lcStatus));
      titles << Window.windowTitle();
    }
  });
  Window.ToolButton3->click();
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Status(row), "Complete");
  }
  for (const char* name : {"out/01.WAV", "out/02.WAV", "out/03.WAV"}) {
    EXPECT_GT(std::filesystem::file_size(Dir.File(name)), 44u) << name;
  }
  EXPECT_EQ(Window.ProgressBar1->value(), 100);
  EXPECT_EQ(Window.ProgressBar2->value(), 3);
  EXPECT_EQ(Window.ProgressBar2->maximum(), 3);
  for (const QString& status : seen) {
    EXPECT_TRUE(status == "Complete" || status.endsWith("% Done")) << status.toStdString();
  }
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
  EXPECT_FALSE(Window.ToolButton4->isEnabled());
  EXPECT_TRUE(Window.Panel1->isEnabled());
  // While the batch ran, the title showed the total progress.
  EXPECT_FALSE(titles.filter(QRegularExpression("^\\d+% - Kestrune$")).isEmpty()) << titles.join(" | ").toStdString();
  EXPECT_EQ(Window.windowTitle(), "Kestrune");
  EXPECT_TRUE(Window.StatusBar1()->PanelText(0).isEmpty());
}

TEST_F(ConversionViewTest, UncheckedRowsKeepTheirNumberAndTheirStatus) {
  AddWaves(3, 0.2);
  Window.ListView1->SetChecked(1, false);
  Window.ToolButton3Click();
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "not converted");
  EXPECT_EQ(Status(2), "Complete");
  EXPECT_TRUE(std::filesystem::exists(Dir.File("out/03.WAV")));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/02.WAV")));
}

TEST_F(ConversionViewTest, WhileABatchRunsTheListAndConvertAreDisabledAndStopIsOn) {
  AddWaves(2, 0.2);
  bool sawRunning = false;
  QObject::connect(Window.ListView1, &QTreeWidget::itemChanged, [&] {
    sawRunning = sawRunning || (!Window.Panel1->isEnabled() && !Window.ToolButton3->isEnabled() &&
                                Window.ToolButton4->isEnabled());
  });
  Window.ToolButton3Click();
  EXPECT_TRUE(sawRunning);
}

TEST_F(ConversionViewTest, StopAfterTheFirstRowLeavesTheOthersUnconverted) {
  AddWaves(3, 0.3);
  bool stopped = false;
  QObject::connect(Window.ListView1, &QTreeWidget::itemChanged, [&](QTreeWidgetItem*, int column) {
    if (column == lcStatus && !stopped && Status(0) == "Complete") {
      stopped = true;
      Window.ToolButton4->click();
    }
  });
  Window.ToolButton3Click();
  ASSERT_TRUE(stopped);
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "not converted");
  EXPECT_EQ(Status(2), "not converted");
  EXPECT_LT(Window.ProgressBar2->value(), 3);
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
  EXPECT_FALSE(Window.ToolButton4->isEnabled());
}

TEST_F(ConversionViewTest, AFailingRowIsShownInTheStatusBarAndTheBatchWaitsForStop) {
  AddWaves(1, 0.2);
  testing_support::WriteFileBytes(Dir.File("broken.wav"), {'R', 'I', 'F', 'F', 0, 0});
  QStringList names{QString::fromStdString(Dir.File("broken.wav"))};
  Window.AddFiles(names);
  bool panelWasEnabled = false;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (!Window.StatusBar1()->PanelText(0).isEmpty() && Window.ToolButton4->isEnabled()) {
      watcher.stop();
      panelWasEnabled = Window.Panel1->isEnabled();
      Window.ToolButton4->click();
    }
  });
  watcher.start(20);
  Window.ToolButton3Click();
  const QString message = Window.StatusBar1()->PanelText(0);
  EXPECT_TRUE(message.startsWith(QString::fromStdString(Dir.File("broken.wav")))) << message.toStdString();
  EXPECT_TRUE(panelWasEnabled);
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "not converted");
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
}

TEST_F(ConversionViewTest, AnUnusableFolderIsReportedAndTheWindowStaysIdle) {
  AddWaves(1, 0.1);
  testing_support::WriteFileBytes(Dir.File("file"), {1});
  Window.OptionsFrm()->Edit1->setText(QString::fromStdString(Dir.File("file")));
  Window.ToolButton3Click();
  EXPECT_FALSE(Window.StatusBar1()->PanelText(0).isEmpty());
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
  EXPECT_FALSE(Window.ToolButton4->isEnabled());
  EXPECT_TRUE(Window.Panel1->isEnabled());
  EXPECT_EQ(Status(0), "not converted");
}

TEST_F(ConversionViewTest, InformWhenDoneShowsTheNotice) {
  AddWaves(1, 0.1);
  Window.OptionsFrm()->CheckBox1->setChecked(true);
  QString text;
  QString title;
  Window.SetInformer([&](const QString& t, const QString& caption) {
    text = t;
    title = caption;
  });
  Window.ToolButton3Click();
  EXPECT_EQ(text, "Operation complete successful");
  EXPECT_EQ(title, "All Done");
}

TEST_F(ConversionViewTest, ThePlaylistTakesEachRowsOwnPlayingTime) {
  AddWaves(2, 3.0);
  Window.ListView1->SetText(0, lcTitle, "First");
  Window.ListView1->SetText(0, lcArtist, "Band");
  Window.OptionsFrm()->cmbPlayList->setCurrentIndex(1);  // M3U
  Window.ToolButton3Click();
  std::vector<std::filesystem::path> lists;
  for (const auto& entry : std::filesystem::directory_iterator(Dir.File("out"))) {
    if (entry.path().extension() == ".m3u") {
      lists.push_back(entry.path());
    }
  }
  ASSERT_EQ(lists.size(), 1u);
  const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(lists.front().string());
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("#EXTINF:3,Band-First\r\n" + Dir.File("out") + "/01.WAV"), std::string::npos) << text;
  EXPECT_NE(text.find("#EXTINF:3,-\r\n"), std::string::npos) << text;
}

TEST_F(ConversionViewTest, ClosingTheWindowDuringABatchStopsItAndSavesTheSettings) {
  AddWaves(3, 0.3);
  const std::string store = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmar/Kestrune.reg";
  std::filesystem::remove(store);
  bool closed = false;
  QObject::connect(Window.ListView1, &QTreeWidget::itemChanged, [&](QTreeWidgetItem*, int column) {
    if (column == lcStatus && !closed) {
      closed = true;
      Window.close();
    }
  });
  Window.ToolButton3Click();
  ASSERT_TRUE(closed);
  EXPECT_EQ(Status(1), "not converted");
  EXPECT_EQ(Status(2), "not converted");
  EXPECT_TRUE(std::filesystem::exists(store));
  std::filesystem::remove(store);
}

TEST_F(ConversionViewTest, EveryEncodedFormatChosenInTheOptionsIsWritten) {
  AddWaves(1, 0.5);
  for (const char* format : {"OGG", "FLAC", "MP3", "APE"}) {
    Window.OptionsFrm()->cmbRipFormat->setCurrentText(format);
    Window.ListView1->SetText(0, lcStatus, "not converted");
    ConvertStoppingOnFailure();
    EXPECT_EQ(Status(0), "Complete") << format << ": " << Window.StatusBar1()->PanelText(0).toStdString();
    const std::string output = Dir.File(std::string("out/01.") + format);
    EXPECT_TRUE(std::filesystem::exists(output) && std::filesystem::file_size(output) > 0) << output;
  }
}

TEST(BoundedStatusTest, ProgressTextNeverPassesOneHundredPercent) {
  EXPECT_EQ(BoundedStatus("42% Done"), "42% Done");
  EXPECT_EQ(BoundedStatus("130% Done"), "100% Done");
  EXPECT_EQ(BoundedStatus("-5% Done"), "0% Done");
  EXPECT_EQ(BoundedStatus("Complete"), "Complete");
  EXPECT_EQ(BoundedStatus("% Done"), "% Done");
  EXPECT_EQ(BoundedStatus("x% Done"), "x% Done");
}

}  // namespace

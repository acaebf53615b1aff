// Convert and Stop from the main window: the driver runs the checked rows on its own thread while
// the window shows each row's status, the two bars and failures, and stays usable.

#include <gtest/gtest.h>

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/ConversionDriver.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"
#include "gui/StatusPanels.h"
#include "gui/TagEditor.h"
#include "support/TestSupport.h"

namespace {

using gui_testing::ConvertAndWait;
using gui_testing::ShowActive;
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

  // Rows in1.wav, in2.wav, ... (row 2 mono, row 3 8-bit); `held` names the row whose input waits
  // at its first read until the gate opens.
  void AddWaves(int count, double seconds, int held = 0) {
    QStringList names;
    for (int i = 1; i <= count; ++i) {
      const std::string name = Dir.File((i == held ? "held" : "in") + std::to_string(i) + ".wav");
      WriteWave(name, seconds, i % 2 == 0 ? 1 : 2, i == 3 ? 8 : 16);
      names << QString::fromStdString(name);
    }
    Window.AddFiles(names);
  }

  void HoldRow(int count, int held) {
    Gate = std::make_shared<gui_testing::TInputGate>();
    Window.SetFormatTable(gui_testing::GatedFormats(Gate));
    AddWaves(count, 0.3, held);
  }

  // Rows converted at once, as the options dialog sets it.
  void SetJobs(int jobs) { Window.OptionsFrm()->spnJobs->setValue(jobs); }

  QString Status(int row) { return Window.ListView1->Text(row, lcStatus); }
  void SetRow(int row, const std::function<void(TConversionRow&)>& change) {
    TConversionRow values = Window.ListView1->Model().Row(row);
    change(values);
    Window.ListView1->Model().SetRow(row, values);
  }

  TempDir Dir;
  TFrmConverter Window;
  std::shared_ptr<gui_testing::TInputGate> Gate;
};

TEST_F(ConversionViewTest, ThreeCheckedRowsBecomeWavFilesWithBothBarsComplete) {
  AddWaves(3, 0.5);
  QStringList seen;
  QStringList titles;
  QObject::connect(&Window.ListView1->Model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& first) {
    if (first.column() == lcStatus) {
      seen << Status(first.row());
      titles << Window.windowTitle();
    }
  });
  ASSERT_TRUE(ConvertAndWait(Window));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Status(row), "Complete");
  }
  for (const char* name : {"out/01.WAV", "out/02.WAV", "out/03.WAV"}) {
    EXPECT_GT(std::filesystem::file_size(Dir.File(name)), 44u) << name;
  }
  EXPECT_EQ(Window.ProgressBar1->value(), 100);
  EXPECT_EQ(Window.ProgressBar2->value(), 3);
  EXPECT_EQ(Window.ProgressBar2->maximum(), 3);
  EXPECT_EQ(seen.filter(QRegularExpression("^(Waiting|Complete|\\d+% Done)$")), seen) << seen.join(" | ").toStdString();
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
  EXPECT_FALSE(Window.ToolButton4->isEnabled());
  // While the batch ran, the title showed the total progress.
  EXPECT_FALSE(titles.filter(QRegularExpression("^\\d+% - Kestrune$")).isEmpty()) << titles.join(" | ").toStdString();
  EXPECT_EQ(Window.windowTitle(), "Kestrune");
  EXPECT_TRUE(Window.StatusBar1()->PanelText(0).isEmpty());
}

TEST_F(ConversionViewTest, UncheckedRowsKeepTheirNumberAndTheirStatus) {
  AddWaves(3, 0.2);
  SetRow(1, [](TConversionRow& row) { row.Checked = false; });
  ASSERT_TRUE(ConvertAndWait(Window));
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "not converted");
  EXPECT_EQ(Status(2), "Complete");
  EXPECT_TRUE(std::filesystem::exists(Dir.File("out/03.WAV")));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/02.WAV")));
}

TEST_F(ConversionViewTest, WhileABatchRunsOnlyWhatWouldChangeItWaitsAndTheWindowStaysResponsive) {
  SetJobs(1);
  HoldRow(2, 1);
  Window.ToolButton3Click();
  ASSERT_TRUE(WaitUntil([&] { return Gate->Entered() && Status(0) == "0% Done"; }));
  // The batch is held inside a conversion, and the window still handles its events.
  EXPECT_FALSE(Window.ToolButton3->isEnabled());
  EXPECT_TRUE(Window.ToolButton4->isEnabled());
  EXPECT_FALSE(Window.GroupBox2->isEnabled());
  EXPECT_TRUE(Window.ListView1->isEnabled());
  EXPECT_TRUE(Window.ProgressBar1->isEnabled() && Window.ProgressBar2->isEnabled());
  EXPECT_EQ(Status(1), "Waiting");
  QSignalSpy finished(&Window, &TFrmConverter::BatchFinished);
  Gate->Open();
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "Complete");
  EXPECT_TRUE(Window.GroupBox2->isEnabled());
}

TEST_F(ConversionViewTest, StopLeavesTheFinishedRowCompleteTheRunningOneStoppedAndTheRestAsTheyWere) {
  SetJobs(1);
  HoldRow(3, 2);
  ASSERT_TRUE(ShowActive(Window));
  Window.ToolButton3Click();
  ASSERT_TRUE(WaitUntil([&] { return Gate->Entered() && Status(1) == "0% Done"; }));
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(2), "Waiting");
  QSignalSpy finished(&Window, &TFrmConverter::BatchFinished);
  QTest::keyClick(&Window, Qt::Key_Escape);
  Gate->Open();
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "Stopped");
  EXPECT_EQ(Status(2), "not converted");
  EXPECT_TRUE(std::filesystem::exists(Dir.File("out/02.WAV")));  // finished as far as it got
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/03.WAV")));
  EXPECT_LT(Window.ProgressBar2->value(), 3);
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
  EXPECT_FALSE(Window.ToolButton4->isEnabled());
}

TEST_F(ConversionViewTest, StopStopsEveryRunningRowAndLeavesTheWaitingOnesAsTheyWere) {
  SetJobs(2);
  Gate = std::make_shared<gui_testing::TInputGate>();
  Window.SetFormatTable(gui_testing::GatedFormats(Gate));
  QStringList names;
  for (const char* name : {"held1.wav", "held2.wav", "in3.wav", "in4.wav"}) {
    WriteWave(Dir.File(name), 0.3);
    names << QString::fromStdString(Dir.File(name));
  }
  Window.AddFiles(names);
  Window.ToolButton3Click();
  // Both running rows are inside a read when Stop comes, so each has audio to finish its file with.
  ASSERT_TRUE(WaitUntil([&] { return Gate->EnteredCount() == 2 && Status(0) == "0% Done" && Status(1) == "0% Done"; }));
  EXPECT_EQ(Status(2), "Waiting");
  QSignalSpy finished(&Window, &TFrmConverter::BatchFinished);
  Window.ToolButton4Click();
  Gate->Open();
  ASSERT_TRUE(finished.wait(60000));
  for (int row : {0, 1}) {
    EXPECT_EQ(Status(row), "Stopped") << row;
    const std::string output = Dir.File("out/0" + std::to_string(row + 1) + ".WAV");
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(output);
    ASSERT_GT(bytes.size(), 44u) << output;
    EXPECT_EQ(testing_support::Le32At(bytes, 4), bytes.size() - 8) << output;
  }
  EXPECT_EQ(Status(2), "not converted");
  EXPECT_EQ(Status(3), "not converted");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/03.WAV")));
}

TEST_F(ConversionViewTest, ABrokenRowInTheMiddleFailsAloneAndEveryOtherRowIsConverted) {
  QStringList names;
  for (const char* name : {"first.wav", "broken.wav", "third.wav"}) {
    names << QString::fromStdString(Dir.File(name));
  }
  WriteWave(Dir.File("first.wav"), 0.2);
  testing_support::WriteFileBytes(Dir.File("broken.wav"), {'R', 'I', 'F', 'F', 0, 0});
  WriteWave(Dir.File("third.wav"), 0.2);
  Window.AddFiles(names);
  ASSERT_TRUE(ConvertAndWait(Window));
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "Failed");
  EXPECT_EQ(Status(2), "Complete");
  const QString reason = Window.ListView1->Model().index(1, lcStatus).data(Qt::ToolTipRole).toString();
  EXPECT_TRUE(reason.startsWith(QString::fromStdString(Dir.File("broken.wav")) + ": ")) << reason.toStdString();
  EXPECT_EQ(Window.StatusBar1()->PanelText(0), reason);
  EXPECT_TRUE(std::filesystem::exists(Dir.File("out/01.WAV")));
  EXPECT_TRUE(std::filesystem::exists(Dir.File("out/03.WAV")));
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
}

TEST_F(ConversionViewTest, AnUnusableFolderIsReportedAndTheWindowStaysIdle) {
  AddWaves(1, 0.1);
  testing_support::WriteFileBytes(Dir.File("file"), {1});
  Window.OptionsFrm()->Edit1->setText(QString::fromStdString(Dir.File("file")));
  ASSERT_TRUE(ConvertAndWait(Window));
  EXPECT_FALSE(Window.StatusBar1()->PanelText(0).isEmpty());
  EXPECT_TRUE(Window.ToolButton3->isEnabled());
  EXPECT_FALSE(Window.ToolButton4->isEnabled());
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
  ASSERT_TRUE(ConvertAndWait(Window));
  EXPECT_EQ(text, "Operation complete successful");
  EXPECT_EQ(title, "All Done");
}

TEST_F(ConversionViewTest, ThePlaylistTakesEachRowsOwnPlayingTime) {
  AddWaves(2, 3.0);
  SetRow(0, [](TConversionRow& row) {
    row.Title = "First";
    row.Artist = "Band";
  });
  Window.OptionsFrm()->cmbPlayList->setCurrentIndex(1);  // M3U
  ASSERT_TRUE(ConvertAndWait(Window));
  std::vector<std::filesystem::path> lists;
  for (const auto& entry : std::filesystem::directory_iterator(Dir.File("out"))) {
    if (entry.path().extension() == ".m3u") {
      lists.push_back(entry.path());
    }
  }
  ASSERT_EQ(lists.size(), 1u);
  const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(lists.front().string());
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("#EXTINF:3,Band-First\r\n01.WAV\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("#EXTINF:3,-\r\n"), std::string::npos) << text;
}

TEST_F(ConversionViewTest, ClosingTheWindowDuringABatchStopsItThenClosesAndSavesTheSettings) {
  SetJobs(1);
  HoldRow(3, 1);
  const std::string store = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmar/Kestrune.reg";
  std::filesystem::remove(store);
  ASSERT_TRUE(ShowActive(Window));
  Window.ToolButton3Click();
  ASSERT_TRUE(WaitUntil([&] { return Gate->Entered(); }));
  QSignalSpy finished(&Window, &TFrmConverter::BatchFinished);
  Window.close();
  EXPECT_TRUE(Window.isVisible());  // until the running file is finished
  Gate->Open();
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_FALSE(Window.isVisible());
  EXPECT_EQ(Status(0), "Stopped");
  EXPECT_EQ(Status(1), "not converted");
  EXPECT_EQ(Status(2), "not converted");
  EXPECT_TRUE(std::filesystem::exists(store));
  std::filesystem::remove(store);
}

TEST_F(ConversionViewTest, EveryEncodedFormatChosenInTheOptionsIsWritten) {
  AddWaves(1, 0.5);
  for (const char* format : {"OGG", "FLAC", "MP3", "APE"}) {
    Window.OptionsFrm()->cmbRipFormat->setCurrentText(format);
    ASSERT_TRUE(ConvertAndWait(Window));
    EXPECT_EQ(Status(0), "Complete") << format << ": " << Window.StatusBar1()->PanelText(0).toStdString();
    const std::string output = Dir.File(std::string("out/01.") + format);
    EXPECT_TRUE(std::filesystem::exists(output) && std::filesystem::file_size(output) > 0) << output;
  }
}

TEST(FileListModelTest, ProgressStaysWithinOneHundredPercentAndAFailureExplainsItself) {
  TFileListModel model;
  model.Append({TListEntry{}});
  model.SetStatus(0, {rsConverting, 130, {}});
  EXPECT_EQ(model.index(0, lcStatus).data().toString(), "100% Done");
  model.SetStatus(0, {rsConverting, -5, {}});
  EXPECT_EQ(model.index(0, lcStatus).data().toString(), "0% Done");
  model.SetStatus(0, {rsFailed, 0, "in.wav: cannot open"});
  EXPECT_EQ(model.index(0, lcStatus).data().toString(), "Failed");
  EXPECT_EQ(model.index(0, lcStatus).data(Qt::ToolTipRole).toString(), "in.wav: cannot open");
}

}  // namespace

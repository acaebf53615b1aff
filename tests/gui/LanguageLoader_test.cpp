// Language files applied to the open windows: captions, hints, tab pages and list columns.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "app/Languages.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/LanguageLoader.h"
#include "gui/OptionsFrm.h"
#include "gui/StatusPanels.h"
#include "platform/IniFiles.h"
#include "support/TestSupport.h"

namespace {

using testing_support::TempDir;

std::string ReadKey(const std::string& file, const std::string& section, const std::string& key) {
  return GetPrivateProfileString(section, key, "<missing>", file);
}

TEST(LanguageLoaderTest, SetsCaptionsHintsPagesAndColumnsAndRecordsTheFormCaption) {
  TempDir dir;
  const std::string file = dir.File("XYZ.ini");
  testing_support::WriteFileBytes(file, {});
  for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"FrmConverter", "ToolButton1", "Open||Pick files"},
           {"FrmConverter", "ToolButton3", "Go||"},
           {"FrmConverter", "ToolButton4", "Halt||x"},
           {"FrmConverter", "ToolButton6", "Settings"},
           {"FrmConverter", "ListView12", "State"},
           {"FrmConverter", "GroupBox2", "Tags"},
           {"OptionsFrm", "TabSheet6", "Naming||ignored hint"},
           {"OptionsFrm", "chkUseVBR", "Variable"},
           {"FrmConverter", "Label1", "Name"},
       }) {
    WritePrivateProfileString(section, key, value, file);
  }
  TFrmConverter window;
  window.ToolButton3->setToolTip("an earlier hint");
  window.ToolButton6->setToolTip("an earlier hint");
  window.LoadLanguage(QString::fromStdString(file));

  EXPECT_EQ(window.ToolButton1->text(), "Open");
  EXPECT_EQ(window.ToolButton1->toolTip(), "Pick files");
  EXPECT_EQ(window.ToolButton3->text(), "Go");
  EXPECT_EQ(window.ToolButton3->toolTip(), "");  // a value ending with the separator clears the hint
  EXPECT_EQ(window.ToolButton4->toolTip(), "x");
  EXPECT_EQ(window.ToolButton6->text(), "Settings");
  EXPECT_EQ(window.ToolButton6->toolTip(), "");
  EXPECT_EQ(window.ToolButton9->text(), "About");  // no key: the caption stays
  EXPECT_EQ(window.ListView1->headerItem()->text(lcStatus), "State");
  EXPECT_EQ(window.ListView1->headerItem()->text(lcTitle), "Title");
  EXPECT_EQ(window.findChild<QGroupBox*>("GroupBox2")->title(), "Tags");
  auto* pages = window.OptionsFrm()->findChild<QTabWidget*>("PageControl1");
  EXPECT_EQ(pages->tabText(5), "Naming||ignored hint");  // tab pages take the value as it stands
  EXPECT_EQ(window.OptionsFrm()->chkUseVBR->text(), "Variable");
  // Keys of one window never reach the other, though both have a Label1.
  EXPECT_EQ(window.OptionsFrm()->findChild<QLabel*>("Label1")->text(), "Convert to Format");
  EXPECT_EQ(window.windowTitle(), "Kestrune");  // the window's own caption is only recorded
  EXPECT_EQ(ReadKey(file, "FrmConverter", "FrmConverter"), "Kestrune");
  EXPECT_EQ(ReadKey(file, "OptionsFrm", "OptionsFrm"), "Options");
}

TEST(LanguageLoaderTest, PickingALanguageInTheOptionsRenamesTheStatusColumnAndTheToolbar) {
  TFrmConverter window;
  TOptionsFrm& options = *window.OptionsFrm();
  ASSERT_GE(options.cmbLanguage->findText("FRA"), 0) << "Languages/FRA.ini beside the tests";
  options.cmbLanguage->setCurrentText("FRA");
  options.cmbLanguageChange();
  EXPECT_EQ(window.ListView1->headerItem()->text(lcStatus), QString::fromUtf8("État"));
  EXPECT_EQ(window.ToolButton1->text(), "Ouvrir");
  EXPECT_EQ(options.CheckBox1->text(), QString::fromUtf8("Prévenir à la fin de la conversion"));
  EXPECT_EQ(window.Settings().Text("Language"), "FRA");

  options.cmbLanguage->setCurrentText("DEU");
  options.cmbLanguageChange();
  EXPECT_EQ(window.ToolButton3->text(), "Konvertieren");
  options.cmbLanguage->setCurrentText("ENG");
  options.cmbLanguageChange();
  EXPECT_EQ(window.ListView1->headerItem()->text(lcStatus), "Status");
  EXPECT_EQ(window.ToolButton1->text(), "Open Files");
  EXPECT_EQ(window.ToolButton1->toolTip(), "Add audio files to the list");
}

// Named captions of a window: what a language file can rename.
std::vector<std::string> CaptionKeys(QWidget* form) {
  std::vector<std::string> keys;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    const bool caption = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                         qobject_cast<QGroupBox*>(widget) || name.startsWith("TabSheet");
    if (widget->window() == form && !name.isEmpty() && !name.startsWith("qt_") && caption &&
        !qobject_cast<QTabBar*>(widget->parentWidget())) {
      keys.push_back(name.toStdString());
    }
  }
  return keys;
}

TEST(LanguageLoaderTest, EveryShippedLanguageNamesEveryCaptionOfBothWindows) {
  TFrmConverter window;
  const std::string folder = window.AppDir().toStdString() + "Languages/";
  std::vector<std::pair<std::string, std::string>> keys;
  for (const std::string& key : CaptionKeys(&window)) {
    keys.emplace_back("FrmConverter", key);
  }
  for (int column = 0; column < lcColumnCount; ++column) {
    keys.emplace_back("FrmConverter", "ListView1" + std::to_string(column));
  }
  for (const std::string& key : CaptionKeys(window.OptionsFrm())) {
    if (key != "Label8") {  // the example name, built at run time
      keys.emplace_back("OptionsFrm", key);
    }
  }
  ASSERT_GT(keys.size(), 60u);
  for (const char* code : {"ENG", "DEU", "FRA"}) {
    for (const auto& [section, key] : keys) {
      EXPECT_NE(ReadKey(folder + code + ".ini", section, key), "<missing>") << code << " [" << section << "] " << key;
    }
  }
}

TEST(LanguageLoaderTest, AFileThatCannotBeWrittenIsQuietAtStartUpAndReportedOtherwise) {
  TFrmConverter window;
  const QString unwritable = QStringLiteral("/nonexistent-folder/for/ENG.ini");
  window.LoadLanguage(unwritable, true);
  EXPECT_TRUE(window.StatusBar1()->PanelText(0).isEmpty());
  EXPECT_EQ(window.ToolButton1->text(), "Open Files");
  window.LoadLanguage(unwritable, false);
  EXPECT_EQ(window.StatusBar1()->PanelText(0), "Unable to write to " + unwritable);
}

}  // namespace

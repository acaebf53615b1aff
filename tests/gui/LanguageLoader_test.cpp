// Language files applied to the open windows: captions, hints, tab pages and list columns.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

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

QString Column(const TFrmConverter& window, int column) {
  return window.ListView1->Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void PickLanguage(TOptionsFrm& options, const char* code) {
  options.cmbLanguage->setCurrentIndex(options.cmbLanguage->findData(code));
  options.cmbLanguageChange();
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
           {"FrmConverter", "mnuFile", "&Archive"},
           {"FrmConverter", "actQuit", "&Leave||Ends the program"},
           {"OptionsFrm", "cmbPlayList0", "Nothing"},
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
  EXPECT_EQ(Column(window, lcStatus), "State");
  EXPECT_EQ(Column(window, lcTitle), "Title");
  EXPECT_EQ(window.findChild<QMenu*>("mnuFile")->title(), "&Archive");
  EXPECT_EQ(window.actQuit->text(), "&Leave");
  EXPECT_EQ(window.actQuit->toolTip(), "Ends the program");
  EXPECT_EQ(window.OptionsFrm()->cmbPlayList->itemText(0), "Nothing");
  EXPECT_EQ(window.OptionsFrm()->cmbPlayList->itemText(1), "M3U");  // no key: the entry stays
  EXPECT_EQ(window.findChild<QGroupBox*>("GroupBox2")->title(), "Tags");
  auto* pages = window.OptionsFrm()->findChild<QTabWidget*>("PageControl1");
  EXPECT_EQ(pages->tabText(7), "Naming||ignored hint");  // tab pages take the value as it stands
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
  ASSERT_GE(options.cmbLanguage->findData("FRA"), 0) << "Languages/FRA.ini beside the tests";
  // The list names each language in its own words.
  EXPECT_EQ(options.cmbLanguage->itemText(options.cmbLanguage->findData("DEU")), "Deutsch");
  EXPECT_EQ(options.cmbLanguage->itemText(options.cmbLanguage->findData("FRA")), QString::fromUtf8("Français"));
  PickLanguage(options, "FRA");
  EXPECT_EQ(Column(window, lcStatus), QString::fromUtf8("État"));
  EXPECT_EQ(window.ListView1->Model().StatusText({rsWaiting, 0, {}}), "En attente");
  EXPECT_EQ(options.cmbPlayList->itemText(0), "Aucune");
  EXPECT_EQ(options.findChild<QLabel*>("Badge8")->text(), "FICHIER");
  EXPECT_EQ(window.StatusBar1()->PanelText(1), "Convertir en : MP3");
  EXPECT_EQ(window.ToolButton1->text(), "Ouvrir");
  EXPECT_EQ(options.CheckBox1->text(), QString::fromUtf8("Prévenir à la fin de la conversion"));
  EXPECT_EQ(window.Settings().Text("Language"), "FRA");

  PickLanguage(options, "DEU");
  EXPECT_EQ(window.ToolButton3->text(), "Konvertieren");
  EXPECT_EQ(options.cmbQLevel->currentText(), "Stufe 5");
  PickLanguage(options, "ENG");
  EXPECT_EQ(Column(window, lcStatus), "Status");
  EXPECT_EQ(options.cmbQLevel->currentText(), "Level 5");
  EXPECT_EQ(window.ToolButton1->text(), "Open Files");
  EXPECT_EQ(window.ToolButton1->toolTip(), "Add audio files to the list");
}

// Named captions of a window, its menus and commands, the entries of its lists that are words,
// and its texts: what a language file can rename.
std::vector<std::string> CaptionKeys(QWidget* form) {
  std::vector<std::string> keys;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    const bool caption = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                         qobject_cast<QGroupBox*>(widget) || name.startsWith("TabSheet");
    const bool ours = widget->window() == form || (qobject_cast<QMenu*>(widget) && widget->parentWidget()->window() == form);
    if (!ours || name.isEmpty() || name.startsWith("qt_") || qobject_cast<QTabBar*>(widget->parentWidget())) {
      continue;
    }
    if (caption || qobject_cast<QMenu*>(widget)) {
      keys.push_back(name.toStdString());
    }
    auto* combo = qobject_cast<QComboBox*>(widget);
    if (combo && combo->property(TranslatedItemsProperty).toBool()) {
      for (int item = 0; item < combo->count(); ++item) {
        if (combo->itemText(item).contains(QRegularExpression("[A-Za-z]"))) {
          keys.push_back(name.toStdString() + std::to_string(item));
        }
      }
    }
  }
  for (QAction* action : form->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!action->objectName().isEmpty()) {
      keys.push_back(action->objectName().toStdString());
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
  for (const QString& key : window.Texts().Keys()) {
    keys.emplace_back("FrmConverter", key.toStdString());
  }
  for (const std::string& key : CaptionKeys(window.OptionsFrm())) {
    if (key != "Label8") {  // the example name, built at run time
      keys.emplace_back("OptionsFrm", key);
    }
  }
  for (const QString& key : window.OptionsFrm()->Texts().Keys()) {
    keys.emplace_back("OptionsFrm", key.toStdString());
  }
  keys.emplace_back("Language", "Name");
  ASSERT_GT(keys.size(), 160u);
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

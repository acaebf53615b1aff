// The options dialog's controls, their items and defaults, and what its handlers change.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QMenu>
#include <QString>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include "app/OutputName.h"
#include "app/Settings.h"
#include "gui/FrmConverter.h"
#include "gui/OptionsFrm.h"
#include "gui/StatusPanels.h"

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) {
    items << combo->itemText(i);
  }
  return items;
}

TEST(OptionsFrmTest, EightPagesInOrderModelessWithOkCancelAndApply) {
  TSettings settings;
  TOptionsFrm options(settings);
  auto* pages = options.findChild<QTabWidget*>("PageControl1");
  ASSERT_NE(pages, nullptr);
  QStringList captions;
  for (int page = 0; page < pages->count(); ++page) {
    captions << pages->tabText(page);
  }
  EXPECT_EQ(captions, QStringList({"Common", "MP3", "Ogg", "APE", "WMA", "FLAC", "WAV", "File"}));
  EXPECT_FALSE(options.isModal());
  EXPECT_EQ(options.windowTitle(), "Options");
  EXPECT_EQ(options.btnOK->text(), "OK");
  EXPECT_EQ(options.btnCancel->text(), "Cancel");
  EXPECT_EQ(options.btnApply->text(), "Apply");
}

TEST(OptionsFrmTest, EveryControlHasItsItemsAndDefault) {
  TSettings settings;
  TOptionsFrm options(settings);
  const QStringList rates{"8",  "16",  "24",  "32",  "40",  "48",  "56",  "64",  "80",
                          "96", "112", "128", "144", "160", "192", "224", "256", "320"};
  EXPECT_EQ(Items(options.cmbRipFormat), QStringList({"MP3", "OGG", "WMA", "WAV", "APE", "FLAC"}));
  EXPECT_EQ(options.cmbRipFormat->currentIndex(), 0);
  EXPECT_FALSE(options.CheckBox1->isChecked());
  EXPECT_FALSE(options.cmbLanguage->isEditable());
  EXPECT_EQ(Items(options.cmbSampleRate), QStringList({"Default", "32 kHz", "41 kHz", "48 kHz"}));
  EXPECT_EQ(options.cmbSampleRate->currentText(), "Default");
  EXPECT_EQ(Items(options.cmbMode), QStringList({"Stereo", "Joint Stereo", "Dual Channel", "Mono"}));
  EXPECT_EQ(options.cmbMode->currentText(), "Stereo");
  EXPECT_FALSE(options.chkUseVBR->isChecked());
  EXPECT_TRUE(options.chkOriginal->isChecked());
  EXPECT_FALSE(options.chkCopyright->isChecked());
  EXPECT_FALSE(options.chkErrorProtection->isChecked());
  for (QComboBox* combo : {options.cmbBR, options.cmbVBRMinBR, options.cmbVBRMaxBR}) {
    EXPECT_EQ(Items(combo), rates);
    EXPECT_FALSE(combo->isEditable());
  }
  EXPECT_EQ(options.cmbBR->currentText(), "192");
  EXPECT_EQ(options.cmbVBRMinBR->currentText(), "128");
  EXPECT_EQ(options.cmbVBRMaxBR->currentText(), "192");
  EXPECT_EQ(options.cmbQLevel->count(), 10);
  EXPECT_EQ(options.cmbQLevel->itemText(9), "Level 9");
  EXPECT_EQ(options.cmbQLevel->currentText(), "Level 5");
  EXPECT_EQ(options.cmbVBRQLevel->currentText(), "Level 5");
  EXPECT_FALSE(options.chkWriteVBR->isChecked());
  EXPECT_EQ(options.SpinEdit1->minimum(), 10);
  EXPECT_EQ(options.SpinEdit1->maximum(), 100);
  EXPECT_EQ(options.SpinEdit1->value(), 75);
  for (QComboBox* combo :
       {options.cmbDesiredNominalBitrate, options.cmbDesiredMinimumBitrate, options.cmbDesiredMaximumBitrate}) {
    EXPECT_EQ(combo->count(), 16);
    EXPECT_EQ(combo->itemText(0), "AutoSelect");
    EXPECT_EQ(combo->itemText(15), "499");
    EXPECT_EQ(combo->currentText(), "AutoSelect");
    EXPECT_TRUE(combo->isEditable());
  }
  EXPECT_EQ(Items(options.cmbCompressionLevel), QStringList({"FAST", "NORMAL", "HIGH", "EXTRA HIGH"}));
  EXPECT_EQ(options.cmbCompressionLevel->currentText(), "NORMAL");
  EXPECT_EQ(Items(options.ComboBox2),
            QStringList({"<Track Number>", "<Title>", "<Track Number>-<Title>", "<Artist>-<Title>",
                         "<Track Number>-<Artist>-<Title>"}));
  EXPECT_EQ(options.ComboBox2->currentIndex(), 4);
  EXPECT_EQ(Items(options.cmbPlayList), QStringList({"None", "M3U", "PLS"}));
  EXPECT_EQ(options.cmbPlayList->currentText(), "None");
  EXPECT_EQ(options.SpinEdit2->minimum(), 0);
  EXPECT_EQ(options.SpinEdit2->maximum(), 8);
  EXPECT_EQ(options.SpinEdit2->value(), 5);
  EXPECT_FALSE(options.chkVerify->isChecked());
  EXPECT_EQ(Items(options.cmbSampleFormat), QStringList({"As the input", "16-bit/44.1 kHz"}));
  EXPECT_EQ(Items(options.cmbFlacSampleFormat), Items(options.cmbSampleFormat));
  EXPECT_EQ(Items(options.cmbApeSampleFormat), Items(options.cmbSampleFormat));
  EXPECT_EQ(options.cmbSampleFormat->currentIndex(), 0);
  EXPECT_EQ(Items(options.cmbExistingFiles), QStringList({"Rename", "Skip", "Overwrite"}));
  EXPECT_EQ(options.cmbExistingFiles->currentText(), "Rename");
  EXPECT_EQ(options.SpeedButton2->text(), "...");
  EXPECT_EQ(options.Edit1->text(), QString::fromStdString(DefaultOutputFolder()));
}

TEST(OptionsFrmTest, ControlsEditTheSettingsAndShowWhatTheSettingsHold) {
  TSettings settings;
  TOptionsFrm options(settings);
  options.cmbBR->setCurrentText("320");
  options.chkUseVBR->setChecked(true);
  options.SpinEdit1->setValue(33);
  options.Edit1->setText("/music/out");
  options.cmbPlayList->setCurrentIndex(2);
  options.cmbExistingFiles->setCurrentIndex(1);
  options.cmbCompressionLevel->setCurrentIndex(3);
  EXPECT_EQ(settings.Text(SettingNames::CBRBitrate), "320");
  EXPECT_TRUE(settings.Boolean(SettingNames::UseVBR));
  EXPECT_EQ(settings.Integer(SettingNames::OGGCompressionLevel), 33);
  EXPECT_EQ(settings.Text(SettingNames::ConvFilePath), "/music/out");
  EXPECT_EQ(settings.Integer(SettingNames::SavePlayList), 2);
  EXPECT_EQ(settings.Text(SettingNames::ExistingFiles), "Skip");
  EXPECT_EQ(settings.Integer(SettingNames::APECompressionLevel), 3);

  settings.SetText(SettingNames::RipToFormat, "ogg");
  settings.SetInteger(SettingNames::OGGCompressionLevel, 150);
  settings.SetBoolean(SettingNames::Original, false);
  options.ShowSettings();
  EXPECT_EQ(options.cmbRipFormat->currentText(), "OGG");
  EXPECT_EQ(options.SpinEdit1->value(), 100);
  EXPECT_FALSE(options.chkOriginal->isChecked());
}

TEST(OptionsFrmTest, TypedTextThatIsNoChoiceDoesNotBecomeTheSetting) {
  TSettings settings;
  TOptionsFrm options(settings);
  options.cmbDesiredNominalBitrate->setCurrentIndex(3);
  options.cmbDesiredNominalBitrate->setEditText("77");
  emit options.cmbDesiredNominalBitrate->lineEdit()->editingFinished();
  EXPECT_EQ(options.cmbDesiredNominalBitrate->currentText(), "56");
  EXPECT_EQ(settings.Integer(SettingNames::DesiredNominalBitrate), 3);
}

TEST(OptionsFrmTest, ExampleNameFollowsThePatternTheFolderAndTheFormat) {
  TSettings settings;
  TOptionsFrm options(settings);
  options.Edit1->setText("/music");
  options.ComboBox2->setCurrentIndex(2);
  EXPECT_EQ(options.Label8->text().toStdString(), BuildOutputName(2, 1, "/music", "MP3", "Morning Light", "Ada Reed"));
  EXPECT_EQ(options.Label8->text(), "/music/01-Morning Light.MP3");
  options.Edit1->setText("/elsewhere");
  EXPECT_EQ(options.Label8->text(), "/elsewhere/01-Morning Light.MP3");
  options.cmbRipFormat->setCurrentText("FLAC");
  EXPECT_EQ(options.Label8->text(), "/elsewhere/01-Morning Light.FLAC");
}

TEST(OptionsFrmTest, PatternBoxTakesFieldsFromItsMenuAndTheExampleFollowsIt) {
  TSettings settings;
  TOptionsFrm options(settings);
  options.Edit1->setText("/music");
  EXPECT_EQ(options.edtPattern->text(), "<Track Number>-<Artist>-<Title>");
  options.edtPattern->setText("<Album>/");
  const QList<QAction*> fields = options.btnFields->menu()->actions();
  ASSERT_EQ(fields.size(), 11);
  fields[1]->trigger();  // <Source Track>
  options.edtPattern->insert(" ");
  fields[2]->trigger();  // <Title>
  EXPECT_EQ(settings.Text(SettingNames::OutputPattern), "<Album>/<Source Track> <Title>");
  EXPECT_EQ(options.Label8->text(), "/music/Evening/07 Morning Light.MP3");
  options.chkKeepFolders->setChecked(true);
  options.cmbExtensionCase->setCurrentText("Lower case");
  EXPECT_EQ(options.Label8->text(), "/music/Ada Reed/Evening/Evening/07 Morning Light.mp3");
  options.ComboBox2->setCurrentIndex(1);
  EXPECT_EQ(options.edtPattern->text(), "<Title>");
}

TEST(OptionsFrmTest, CancelGivesBackTheValuesItOpenedWithAndOkKeepsThem) {
  TSettings settings;
  TOptionsFrm options(settings);
  int applied = 0;
  options.SetOnApply([&] { ++applied; });
  options.show();
  options.cmbBR->setCurrentText("320");
  options.SpinEdit2->setValue(8);
  options.btnCancel->click();
  EXPECT_FALSE(options.isVisible());
  EXPECT_EQ(settings.Text(SettingNames::CBRBitrate), "192");
  EXPECT_EQ(options.cmbBR->currentText(), "192");
  EXPECT_EQ(settings.Integer(SettingNames::FLACCompressionLevel), 5);
  EXPECT_EQ(applied, 0);

  options.show();
  options.cmbBR->setCurrentText("256");
  options.btnApply->click();
  options.SpinEdit2->setValue(2);
  options.btnOK->click();
  EXPECT_EQ(applied, 2);
  options.show();
  options.reject();  // nothing changed since OK
  EXPECT_EQ(settings.Text(SettingNames::CBRBitrate), "256");
  EXPECT_EQ(settings.Integer(SettingNames::FLACCompressionLevel), 2);
}

TEST(OptionsFrmTest, TheVbrFieldsAreUsableOnlyWithVbr) {
  TSettings settings;
  TOptionsFrm options(settings);
  EXPECT_FALSE(options.GroupBox4->isEnabled());
  EXPECT_FALSE(options.cmbVBRMinBR->isEnabled());
  options.chkUseVBR->setChecked(true);
  EXPECT_TRUE(options.cmbVBRMinBR->isEnabled());
  EXPECT_TRUE(options.chkWriteVBR->isEnabled());
  settings.SetBoolean(SettingNames::UseVBR, false);
  options.ShowSettings();
  EXPECT_FALSE(options.cmbVBRQLevel->isEnabled());
}

TEST(OptionsFrmTest, ChangingTheFormatShowsItInTheMainWindowsStatusBarAtOnce) {
  TFrmConverter window;
  EXPECT_EQ(window.StatusBar1()->PanelText(1), "Convert to: MP3");
  // The language file's label says what the Ogg value means.
  EXPECT_TRUE(window.OptionsFrm()->findChild<QLabel*>("Label12")->text().contains("100")) << "Label12";
  window.OptionsFrm()->cmbRipFormat->setCurrentText("OGG");
  EXPECT_EQ(window.StatusBar1()->PanelText(1), "Convert to: OGG");
}

TEST(OptionsFrmTest, FolderBrowserSetsTheFolderAndCancellingChangesNothing) {
  TSettings settings;
  TOptionsFrm options(settings);
  options.Edit1->setText("/kept");
  options.SetFolderBrowser([](QWidget*) { return QString(); });
  options.SpeedButton1Click();
  EXPECT_EQ(options.Edit1->text(), "/kept");
  options.SetFolderBrowser([](QWidget* owner) {
    EXPECT_NE(owner, nullptr);
    return QStringLiteral("/picked/folder");
  });
  options.SpeedButton2->click();
  EXPECT_EQ(options.Edit1->text(), "/picked/folder");
}

}  // namespace

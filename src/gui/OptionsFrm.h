#pragma once

// The options dialog: pages of encoder, naming, folder, playlist and language settings. Its
// controls edit the program's settings object as the user changes them; OK and Apply keep the
// changes (and have them saved), Cancel, Escape and closing the dialog give back the values it
// was opened with.

#include <functional>
#include <vector>

#include <QDialog>
#include <QStringList>

#include "app/Settings.h"
#include "gui/LanguageTexts.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TLanguageFile;

class TOptionsFrm : public QDialog {
  Q_OBJECT
public:
  // `settings` stays owned by the caller and must outlive the dialog.
  explicit TOptionsFrm(TSettings& settings, QWidget* parent = nullptr);

  // Puts the settings into the controls (after loading them, or after the language and profile
  // lists changed), then lets the dialog adjust to the output format and name pattern.
  void ShowSettings();
  // The names the language list shows, parallel to the settings' language codes.
  void SetLanguageNames(const QStringList& names);
  // The dialog's texts that belong to no control, from a language file.
  void LoadTexts(const TLanguageFile& file);
  const TLanguageTexts& Texts() const { return FTexts; }

  // Called with the output format's name whenever it changes.
  void SetOnFormatChange(std::function<void(const QString&)> handler);
  // Called with the language code the user picked.
  void SetOnLanguageChange(std::function<void(const QString&)> handler) { FOnLanguageChange = std::move(handler); }
  // Called when OK or Apply keeps the changes.
  void SetOnApply(std::function<void()> handler) { FOnApply = std::move(handler); }
  // Asks for a folder; an empty result means the user cancelled. Tests replace the dialog.
  void SetFolderBrowser(std::function<QString(QWidget*)> browser) { FFolderBrowser = std::move(browser); }

  void cmbRipFormatChange();
  void ComboBox2Change();
  void cmbLanguageChange();
  void SpeedButton1Click();
  void Apply();
  void accept() override;
  void reject() override;

  QComboBox* cmbRipFormat = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QComboBox* cmbLanguage = nullptr;
  QSpinBox* spnJobs = nullptr;  // rows converted at once
  QComboBox* cmbSampleRate = nullptr;
  QComboBox* cmbMode = nullptr;
  QCheckBox* chkUseVBR = nullptr;
  QCheckBox* chkOriginal = nullptr;
  QCheckBox* chkCopyright = nullptr;
  QCheckBox* chkErrorProtection = nullptr;
  QComboBox* cmbBR = nullptr;
  QComboBox* cmbQLevel = nullptr;
  QGroupBox* GroupBox4 = nullptr;  // the VBR parameters
  QCheckBox* chkWriteVBR = nullptr;
  QComboBox* cmbVBRMinBR = nullptr;
  QComboBox* cmbVBRMaxBR = nullptr;
  QComboBox* cmbVBRQLevel = nullptr;
  QSpinBox* SpinEdit1 = nullptr;
  QComboBox* cmbDesiredNominalBitrate = nullptr;
  QComboBox* cmbDesiredMinimumBitrate = nullptr;
  QComboBox* cmbDesiredMaximumBitrate = nullptr;
  QComboBox* cmbCompressionLevel = nullptr;
  QComboBox* cmbWMABitrate = nullptr;
  QSpinBox* SpinEdit2 = nullptr;  // FLAC compression level
  QCheckBox* chkVerify = nullptr;
  QComboBox* cmbSampleFormat = nullptr;  // WAV
  QComboBox* cmbFlacSampleFormat = nullptr;
  QComboBox* cmbApeSampleFormat = nullptr;
  QLineEdit* Edit1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QLineEdit* edtPattern = nullptr;
  QToolButton* btnFields = nullptr;  // its menu inserts a field at the cursor
  QLabel* Label8 = nullptr;
  QComboBox* cmbExtensionCase = nullptr;
  QCheckBox* chkKeepFolders = nullptr;
  QCheckBox* chkFolderCover = nullptr;
  QComboBox* cmbPlayList = nullptr;
  QComboBox* cmbPlaylistPaths = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;
  QPushButton* btnApply = nullptr;
  QComboBox* cmbExistingFiles = nullptr;
  QComboBox* cmbTrackNumberFrom = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  QWidget* AddPage(const char* name, const char* caption, const char* badgeName, const char* badge);
  void BuildCommonPage();
  void BuildMp3Page();
  void BuildOggPage();
  void BuildApePage();
  void BuildWmaPage();
  void BuildFlacPage();
  void BuildWavPage();
  void BuildFilePage();
  void BuildPatternRow(QGridLayout* grid, int row);
  void BuildButtons(QGridLayout* layout);
  QComboBox* AddCombo(QGridLayout* grid, int row, const char* name, const char* labelName, const char* caption,
                      const char* setting, bool editable);
  QCheckBox* AddCheck(QGridLayout* grid, int row, const char* name, const char* caption, const char* setting);
  QSpinBox* AddSpin(QGridLayout* grid, int row, const char* name, const char* labelName, const char* caption,
                    const char* setting);
  // Each control edits its setting, and ShowSettings puts the setting back into it.
  void BindCombo(QComboBox* combo, const char* setting);
  void BindLanguages(QComboBox* combo);
  void BindCheck(QCheckBox* box, const char* setting);
  void ShowVbrState();

  TSettings& FSettings;
  TSettings FOpenedWith;  // the values the dialog was opened with, for Cancel
  bool FOpen = false;     // shown and neither applied nor cancelled since
  TLanguageTexts FTexts;
  QStringList FLanguageNames;
  std::vector<std::function<void()>> FShowers;
  bool FShowing = false;

  QTabWidget* FPages = nullptr;
  std::function<void(const QString&)> FOnFormatChange;
  std::function<void(const QString&)> FOnLanguageChange;
  std::function<void()> FOnApply;
  std::function<QString(QWidget*)> FFolderBrowser;
  bool FCentred = false;
};

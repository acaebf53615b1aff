#pragma once

// The options dialog: six pages of encoder, naming, folder, playlist and language settings. It
// shows and edits the program's settings object; there is no OK or Cancel, every change takes
// effect at once.

#include <functional>
#include <vector>

#include <QDialog>

class TSettings;

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QToolButton;

class TOptionsFrm : public QDialog {
  Q_OBJECT
public:
  // `settings` stays owned by the caller and must outlive the dialog.
  explicit TOptionsFrm(TSettings& settings, QWidget* parent = nullptr);

  // Puts the settings into the controls (after loading them, or after the language and profile
  // lists changed), then lets the dialog adjust to the output format and name pattern.
  void ShowSettings();

  // Called with the status text "Convert to: <format>" whenever the output format changes.
  void SetOnFormatChange(std::function<void(const QString&)> handler);
  // Called with the language code the user picked.
  void SetOnLanguageChange(std::function<void(const QString&)> handler) { FOnLanguageChange = std::move(handler); }
  // Asks for a folder; an empty result means the user cancelled. Tests replace the dialog.
  void SetFolderBrowser(std::function<QString(QWidget*)> browser) { FFolderBrowser = std::move(browser); }

  void cmbRipFormatChange();
  void ComboBox2Change();
  void cmbLanguageChange();
  void SpeedButton1Click();

  QComboBox* cmbRipFormat = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QComboBox* cmbLanguage = nullptr;
  QComboBox* cmbSampleRate = nullptr;
  QComboBox* cmbMode = nullptr;
  QCheckBox* chkUseVBR = nullptr;
  QCheckBox* chkOriginal = nullptr;
  QCheckBox* chkCopyright = nullptr;
  QCheckBox* chkErrorProtection = nullptr;
  QComboBox* cmbBR = nullptr;
  QComboBox* cmbQLevel = nullptr;
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
  QLineEdit* Edit1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QLabel* Label8 = nullptr;
  QComboBox* cmbPlayList = nullptr;
  QComboBox* cmbExistingFiles = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  QWidget* AddPage(const char* name, const char* caption, const char* logo);
  void BuildCommonPage();
  void BuildMp3Page();
  void BuildOggPage();
  void BuildApePage();
  void BuildWmaPage();
  void BuildFilePage();
  QComboBox* AddCombo(QGridLayout* grid, int row, const char* name, const char* labelName, const char* caption,
                      const char* setting, bool editable);
  QCheckBox* AddCheck(QGridLayout* grid, int row, const char* name, const char* caption, const char* setting);
  // Each control edits its setting, and ShowSettings puts the setting back into it.
  void BindCombo(QComboBox* combo, const char* setting);
  void BindCheck(QCheckBox* box, const char* setting);

  TSettings& FSettings;
  std::vector<std::function<void()>> FShowers;
  bool FShowing = false;

  QTabWidget* FPages = nullptr;
  std::function<void(const QString&)> FOnFormatChange;
  std::function<void(const QString&)> FOnLanguageChange;
  std::function<QString(QWidget*)> FFolderBrowser;
  bool FCentred = false;
};

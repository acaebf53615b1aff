#pragma once

// The main window: the toolbar, the tag editor, the file list, the progress bars and the status
// bar. Files come in through the open dialog, drops, the command line and the copy-data socket;
// Convert and Stop run the conversion driver over the checked rows.

#include <functional>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QStringList>

#include "app/Settings.h"

class QComboBox;
class QLineEdit;
class QProgressBar;
class QToolButton;
class QWidget;
class TConversionDriver;
class TConversionView;
class TCopyDataServer;
class TFileList;
class TOptionsFrm;
class TStatusPanels;

class TFrmConverter : public QMainWindow {
  Q_OBJECT
public:
  // The create handler: options, settings, languages, the drop target, the copy-data socket, and
  // the files named in `arguments`.
  explicit TFrmConverter(const QStringList& arguments = {}, QWidget* parent = nullptr);
  ~TFrmConverter() override;

  // Appends a row for every audio file among `names` (folders give the audio files inside them),
  // then empties `names`.
  void AddFiles(QStringList& names);
  // Applies a language file to the main window and the options dialog. `quiet` keeps a file that
  // cannot be written from showing anything (at start-up).
  void LoadLanguage(const QString& path, bool quiet = false);
  // The end-of-batch notice; a message box unless a test watches it instead.
  void SetInformer(std::function<void(const QString& text, const QString& title)> informer) {
    FInformer = std::move(informer);
  }

  // The toolbar and "+".
  void ToolButton1Click();
  void ToolButton3Click();
  void ToolButton4Click();
  void ToolButton6Click();
  void ToolButton9Click();
  void SpeedButton2Click();
  // The list's header click, row selection and Delete key.
  void ListView1ColumnClick(int column);
  void ListView1SelectItem(int row);
  void ListView1KeyDelete();

  TSettings& Settings() { return FSettings; }
  TConversionDriver& Driver() { return *FDriver; }
  TOptionsFrm* OptionsFrm() const { return FOptions; }
  TStatusPanels* StatusBar1() const { return FStatusBar; }
  TCopyDataServer* CopyData() const { return FCopyData; }
  // The program's folder, with a trailing separator.
  const QString& AppDir() const { return FAppDir; }

  QToolButton* ToolButton1 = nullptr;
  QToolButton* ToolButton3 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QToolButton* ToolButton6 = nullptr;
  QToolButton* ToolButton9 = nullptr;
  QWidget* Panel1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLineEdit* Edit6 = nullptr;
  QComboBox* ComboBox5 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  TFileList* ListView1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QProgressBar* ProgressBar2 = nullptr;

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  friend class TConversionView;

  void LoadSettings();
  void SaveSettings();
  void BuildToolBar();
  void BuildTagEditor(QWidget* parent);
  void BuildProgress(QWidget* parent);
  void ClearEditor();
  void CopyDataReceived(const QString& path);
  // The list row that batch row `row` (1-based) was taken from, or -1 when it is gone.
  int BatchRow(int row) const;
  void ShowBatchState(bool running);
  void ShowTitleProgress(int percent);

  TSettings FSettings;
  std::unique_ptr<TConversionDriver> FDriver;
  std::unique_ptr<TConversionView> FView;
  std::vector<QPersistentModelIndex> FBatchRows;
  std::function<void(const QString&, const QString&)> FInformer;
  QString FAppDir;
  QStringList FPendingNames;
  TOptionsFrm* FOptions = nullptr;
  TStatusPanels* FStatusBar = nullptr;
  TCopyDataServer* FCopyData = nullptr;
  bool FCentred = false;
};

#pragma once

// The main window: the menu bar and toolbar, the tag editor, the file list, the progress bars and
// the status bar. Files come in through the open dialog, drops, the command line and the
// copy-data socket; Convert and Stop run the conversion driver over the checked rows on a thread
// of its own, so the window never waits.

#include <functional>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QStringList>

#include "app/DriverFormats.h"
#include "app/Settings.h"
#include "gui/FileListModel.h"
#include "gui/LanguageTexts.h"

class QAction;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QToolButton;
class QUndoStack;
class QWidget;
class TConversionDriver;
class TConversionView;
class TCopyDataServer;
class TFileList;
class TOptionsFrm;
class TStatusPanels;
class TTagEditor;

class TFrmConverter : public QMainWindow {
  Q_OBJECT
public:
  // The create handler: options, settings, languages, the drop target, the copy-data socket, and
  // the files named in `arguments`.
  explicit TFrmConverter(const QStringList& arguments = {}, QWidget* parent = nullptr);
  ~TFrmConverter() override;

  // Appends a row for every audio file among `names` (folders give the audio files inside them),
  // then empties `names`. Undoable.
  void AddFiles(QStringList& names);
  // Applies a language file to the main window and the options dialog. `quiet` keeps a file that
  // cannot be written from showing anything (at start-up).
  void LoadLanguage(const QString& path, bool quiet = false);

  // The end-of-batch notice; a message box unless a test watches it instead.
  void SetInformer(std::function<void(const QString& text, const QString& title)> informer) {
    FInformer = std::move(informer);
  }
  // The open dialog and the folder browser of File; an empty answer means the user cancelled.
  void SetFileChooser(std::function<QStringList(QWidget*)> chooser) { FFileChooser = std::move(chooser); }
  void SetFolderChooser(std::function<QString(QWidget*)> chooser) { FFolderChooser = std::move(chooser); }
  // The formats batches are converted with (the program's own unless a test wires others).
  void SetFormatTable(TFormatTable formats);

  // The toolbar, the File menu's Add Folder, and "+".
  void ToolButton1Click();
  void AddFolderClick();
  void ToolButton3Click();
  void ToolButton4Click();
  void ToolButton6Click();
  void ToolButton9Click();
  void SpeedButton2Click();
  // The list's header click, row selection and Delete key.
  void ListView1ColumnClick(int column);
  void ListView1SelectItem(int row);
  void ListView1KeyDelete();

  bool Converting() const;
  TSettings& Settings() { return FSettings; }
  TConversionDriver& Driver() { return *FDriver; }
  TOptionsFrm* OptionsFrm() const { return FOptions; }
  TStatusPanels* StatusBar1() const { return FStatusBar; }
  TCopyDataServer* CopyData() const { return FCopyData; }
  QUndoStack& UndoStack() const { return *FUndo; }
  const TLanguageTexts& Texts() const { return FTexts; }
  // The program's folder, with a trailing separator.
  const QString& AppDir() const { return FAppDir; }

  QToolButton* ToolButton1 = nullptr;
  QToolButton* ToolButton3 = nullptr;
  QToolButton* ToolButton4 = nullptr;
  QToolButton* ToolButton6 = nullptr;
  QToolButton* ToolButton9 = nullptr;
  QWidget* Panel1 = nullptr;
  TTagEditor* GroupBox2 = nullptr;
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

  // The menus' commands; the row menu offers Remove, Check, Uncheck, Open containing folder and
  // Show file info.
  QAction* actOpenFiles = nullptr;
  QAction* actAddFolder = nullptr;
  QAction* actQuit = nullptr;
  QAction* actUndo = nullptr;
  QAction* actSelectAll = nullptr;
  QAction* actRemove = nullptr;
  QAction* actCheckAll = nullptr;
  QAction* actUncheckAll = nullptr;
  QAction* actCheck = nullptr;
  QAction* actUncheck = nullptr;
  QAction* actOpenFolder = nullptr;
  QAction* actFileInfo = nullptr;
  QAction* actConvert = nullptr;
  QAction* actStop = nullptr;
  QAction* actOptions = nullptr;
  QAction* actAbout = nullptr;

signals:
  // A batch has ended and the window is idle again.
  void BatchFinished();

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void LoadSettings();
  void PlaceWindow(TRegIniFile& store);
  void SaveSettings();
  void BuildToolBar();
  void BuildProgress(QWidget* parent);
  void ShowTexts();
  void CopyDataReceived(const QString& path);

  // FrmConverter_Menus.cpp
  void BuildMenus();
  void ShowRowMenu(const QPoint& position);
  void OpenContainingFolder();
  void ShowFileInfo();
  void SetChecked(const QList<int>& rows, bool checked);

  // FrmConverter_Editor.cpp: the tag editor's edits reach the rows as undoable commands.
  void EditRows(const QString& text, const std::vector<int>& rows, const std::vector<TConversionRow>& values);
  void KeepEditorEdit();
  void ShowEditorRow();

  // FrmConverter_Batch.cpp
  void ConnectBatch();
  // The list row that batch row `row` (1-based) was taken from, or -1 when it is gone.
  int BatchRow(int row) const;
  void BatchRowStarted(int row);
  void BatchRowProgress(int row, int percent);
  void BatchRowEnded(int row, TRowState state, const QString& note);
  void BatchEnded();
  void BatchFinishedWith(const QString& error);
  void ShowBatchState(bool running);
  void ShowRunningProgress();

  TSettings FSettings;
  // What a running batch reads: the settings as they were when it started.
  TSettings FBatchSettings;
  std::unique_ptr<TConversionDriver> FDriver;
  std::unique_ptr<TConversionView> FView;
  QUndoStack* FUndo = nullptr;
  TLanguageTexts FTexts;
  struct TBatchRow {
    QPersistentModelIndex Index;
    TRowStatus Before;  // given back when the batch ends before reaching the row
  };
  std::vector<TBatchRow> FBatchRows;
  QPersistentModelIndex FEditorRow;  // the row the tag editor shows
  std::function<void(const QString&, const QString&)> FInformer;
  std::function<QStringList(QWidget*)> FFileChooser;
  std::function<QString(QWidget*)> FFolderChooser;
  QString FAppDir;
  QStringList FPendingNames;
  TOptionsFrm* FOptions = nullptr;
  TStatusPanels* FStatusBar = nullptr;
  TCopyDataServer* FCopyData = nullptr;
  QRect FNormalFrame;  // place and size while neither maximised nor minimised
  bool FCentre = true;
  bool FCloseWhenDone = false;
};

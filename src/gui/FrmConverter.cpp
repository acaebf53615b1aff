#include "gui/FrmConverter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/AppDir.h"
#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "app/RowFromFile.h"
#include "gui/AddedFiles.h"
#include "gui/ConversionView.h"
#include "gui/CopyDataServer.h"
#include "gui/FileList.h"
#include "gui/Icons.h"
#include "gui/LanguageLoader.h"
#include "gui/ListCommands.h"
#include "gui/OptionsFrm.h"
#include "gui/StatusPanels.h"
#include "gui/TagEditor.h"
#include "gui/WindowPlacement.h"

namespace {

QLabel* NamedLabel(const char* name, const char* caption, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// A drop names at most 255 characters per file.
QString CutDroppedName(const QString& name) {
  const QByteArray bytes = name.toUtf8();
  if (bytes.size() <= 255) {
    return name;
  }
  QByteArray cut = bytes.left(255);
  // Never leave half a character behind.
  while (!cut.isEmpty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) {
    cut.chop(1);
  }
  if (!cut.isEmpty() && (static_cast<unsigned char>(cut.back()) & 0x80)) {
    cut.chop(1);
  }
  return QString::fromUtf8(cut);
}

std::vector<std::pair<std::string, std::string>> WindowTexts() {
  return {
      {"StatusNotConverted", "not converted"},
      {"StatusWaiting", "Waiting"},
      {"StatusConverting", "%1% Done"},
      {"StatusComplete", "Complete"},
      {"StatusStopped", "Stopped"},
      {"StatusFailed", "Failed"},
      {"EmptyList", "Drop audio files or folders here"},
      {"HintCheckAll", "Click to check or uncheck every row"},
      {"HintSetColumn", "Click to give every row the tag editor's value in this column"},
      {"ConvertTo", "Convert to: %1"},
      {"AudioFiles", "Audio files"},
      {"AllFiles", "All files"},
      {"SaveFailed", "The settings could not be saved."},
      {"InfoFile", "File"},
      {"InfoFormat", "Format"},
      {"InfoBitRate", "Bit rate"},
      {"InfoSampleRate", "Sample rate"},
      {"InfoChannels", "Channels"},
      {"InfoDuration", "Duration"},
      {"InfoSize", "Size"},
      {"InfoEncoder", "Encoder"},
      {"InfoTag", "Tag"},
  };
}

// "Audio files (*.mp3 *.MP3 ...)" from the format table's extensions, then "All files (*)".
QStringList OpenFilters(const QString& audio, const QString& all) {
  QStringList patterns;
  for (const std::string& extension : TFormatTable().InputExtensions()) {
    const QString upper = QString::fromStdString(extension);
    patterns << QLatin1Char('*') + upper.toLower() << QLatin1Char('*') + upper;
  }
  return {QStringLiteral("%1 (%2)").arg(audio, patterns.join(QLatin1Char(' '))), all + QStringLiteral(" (*)")};
}

QList<QRect> ScreenAreas() {
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) {
    areas << screen->availableGeometry();
  }
  return areas;
}

QRect PrimaryArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

TFrmConverter::TFrmConverter(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), FTexts(WindowTexts()) {
  setObjectName(QStringLiteral("FrmConverter"));
  setWindowTitle(QStringLiteral("Kestrune"));
  setWindowIcon(Icons::Application());
  FUndo = new QUndoStack(this);

  BuildToolBar();
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(6, 6, 6, 6);
  GroupBox2 = new TTagEditor(Panel1);
  Edit1 = GroupBox2->Edit1;
  Edit2 = GroupBox2->Edit2;
  Edit3 = GroupBox2->Edit3;
  Edit4 = GroupBox2->Edit4;
  Edit6 = GroupBox2->Edit6;
  ComboBox5 = GroupBox2->ComboBox5;
  SpeedButton2 = GroupBox2->SpeedButton2;
  panelLayout->addWidget(GroupBox2);
  ListView1 = new TFileList(Panel1);
  panelLayout->addWidget(ListView1, 1);
  BuildProgress(Panel1);
  setCentralWidget(Panel1);
  FStatusBar = new TStatusPanels(this);
  setStatusBar(FStatusBar);
  BuildMenus();

  connect(GroupBox2, &TTagEditor::WriteRequested, this, &TFrmConverter::SpeedButton2Click);
  connect(ListView1, &TFileList::RowSelectionChanged, this, &TFrmConverter::ListView1SelectItem);
  connect(ListView1, &QWidget::customContextMenuRequested, this, &TFrmConverter::ShowRowMenu);
  connect(ListView1->header(), &QHeaderView::sectionClicked, this, &TFrmConverter::ListView1ColumnClick);
  connect(FUndo, &QUndoStack::indexChanged, this, &TFrmConverter::ShowEditorRow);

  // The create handler proper.
  FOptions = new TOptionsFrm(FSettings, this);
  FOptions->SetOnFormatChange(
      [this](const QString& format) { FStatusBar->SetPanelText(1, FTexts.Text("ConvertTo").arg(format)); });
  FOptions->SetOnLanguageChange([this](const QString& code) {
    LoadLanguage(QString::fromStdString(LanguageFileFor(FAppDir.toStdString(), code.toStdString())));
  });
  FOptions->SetOnApply([this] { SaveSettings(); });
  FAppDir = QString::fromStdString(::AppDir());
  LoadSettings();
  LoadLanguage(QString::fromStdString(LanguageFileFor(FAppDir.toStdString(), FSettings.Text(SettingNames::Language))),
               true);
  FInformer = [this](const QString& text, const QString& title) { QMessageBox::information(this, title, text); };
  FFileChooser = [this](QWidget* owner) {
    QFileDialog dialog(owner, ToolButton1->text());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(OpenFilters(FTexts.Text("AudioFiles"), FTexts.Text("AllFiles")));
    dialog.setSizeGripEnabled(true);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
  };
  FFolderChooser = [this](QWidget* owner) {
    return QFileDialog::getExistingDirectory(owner, actAddFolder->text().remove(QLatin1Char('&')), QString(),
                                             QFileDialog::ShowDirsOnly);
  };
  SetFormatTable(DefaultFormatTable());
  setAcceptDrops(true);
  FCopyData = new TCopyDataServer(TCopyDataServer::DefaultName(), this);
  connect(FCopyData, &TCopyDataServer::PathReceived, this, &TFrmConverter::CopyDataReceived);
  FPendingNames = arguments;
  AddFiles(FPendingNames);
}

TFrmConverter::~TFrmConverter() {
  // A running batch ends before the driver it runs, and the driver before the window.
  FView.reset();
  FDriver.reset();
}

void TFrmConverter::SetFormatTable(TFormatTable formats) {
  if (Converting()) {
    return;
  }
  FView.reset();
  FDriver = std::make_unique<TConversionDriver>(FBatchSettings, FAppDir.toStdString(), std::move(formats));
  FView = std::make_unique<TConversionView>(*FDriver);
  ConnectBatch();
}

bool TFrmConverter::Converting() const { return FView && FView->Running(); }

void TFrmConverter::LoadSettings() {
  FSettings.SetLanguages(ListLanguages(FAppDir.toStdString()));
  FSettings.SetWmaProfiles(ListWmaProfiles(FAppDir.toStdString()));
  bool placed = false;
  try {
    TRegIniFile store(SettingsKey);
    const std::vector<std::string> problems = FSettings.Load(store);
    if (!problems.empty()) {
      FStatusBar->SetPanelText(0, QString::fromStdString(problems.front()));
    }
    PlaceWindow(store);
    placed = true;
  } catch (const std::exception& error) {
    // The settings cannot be read at all: the defaults apply, and the program starts.
    FStatusBar->SetPanelText(0, QString::fromStdString(error.what()));
  }
  if (!placed) {
    resize(FirstStartSize(PrimaryArea()));
  }
  FNormalFrame = QRect(pos(), size());
  QStringList names;
  for (const std::string& language : FSettings.Languages()) {
    const QString code = QString::fromStdString(language);
    names << LanguageName(FAppDir + QStringLiteral("Languages/") + code + QStringLiteral(".ini"), code);
  }
  FOptions->SetLanguageNames(names);
}

void TFrmConverter::PlaceWindow(TRegIniFile& store) {
  using namespace SettingNames;
  if (store.ReadInteger(SettingsSection, Width, -1) <= 0 || store.ReadInteger(SettingsSection, Height, -1) <= 0) {
    resize(FirstStartSize(PrimaryArea()));
    return;
  }
  const QRect available = PrimaryArea();
  QSize stored(FSettings.Integer(Width), FSettings.Integer(Height));
  resize(available.isValid() ? stored.boundedTo(available.size()) : stored);
  const QPoint place(FSettings.Integer(Left), FSettings.Integer(Top));
  FCentre = !TitleBarOnScreen(QRect(place, size()), ScreenAreas());
  if (!FCentre) {
    move(place);
  }
  if (FSettings.Boolean(Maximized)) {
    setWindowState(windowState() | Qt::WindowMaximized);
  }
}

void TFrmConverter::SaveSettings() {
  using namespace SettingNames;
  const bool maximised = isMaximized();
  const QRect normal = maximised ? FNormalFrame : QRect(pos(), size());
  FSettings.SetInteger(Left, normal.x());
  FSettings.SetInteger(Top, normal.y());
  FSettings.SetInteger(Width, normal.width());
  FSettings.SetInteger(Height, normal.height());
  FSettings.SetBoolean(Maximized, maximised);
  try {
    TRegIniFile store(SettingsKey);
    FSettings.Save(store, QCoreApplication::applicationFilePath().toStdString());
  } catch (const std::exception& error) {
    QMessageBox::warning(this, windowTitle(), FTexts.Text("SaveFailed") + QLatin1Char('\n') + error.what());
  }
}

void TFrmConverter::LoadLanguage(const QString& path, bool quiet) {
  TLanguageFile file(path.toStdString());
  try {
    for (QWidget* form : {static_cast<QWidget*>(this), static_cast<QWidget*>(FOptions)}) {
      ApplyLanguage(file, form);
    }
    FTexts.Load(file, "FrmConverter");
    FOptions->LoadTexts(file);
  } catch (const std::exception& error) {
    if (!quiet) {
      FStatusBar->SetPanelText(0, QString::fromStdString(error.what()));
    }
  }
  ShowTexts();
}

void TFrmConverter::ShowTexts() {
  TStatusWords words;
  words.NotConverted = FTexts.Text("StatusNotConverted");
  words.Waiting = FTexts.Text("StatusWaiting");
  words.Converting = FTexts.Text("StatusConverting");
  words.Complete = FTexts.Text("StatusComplete");
  words.Stopped = FTexts.Text("StatusStopped");
  words.Failed = FTexts.Text("StatusFailed");
  TFileListModel& model = ListView1->Model();
  model.SetStatusWords(words);
  ListView1->SetEmptyHint(FTexts.Text("EmptyList"));
  for (int column = 0; column < lcColumnCount; ++column) {
    const bool setsColumn = column >= lcArtist && column <= lcComment;
    const QString hint =
        column == lcTrack ? FTexts.Text("HintCheckAll") : setsColumn ? FTexts.Text("HintSetColumn") : QString();
    model.setHeaderData(column, Qt::Horizontal, hint, Qt::ToolTipRole);
  }
  FOptions->cmbRipFormatChange();
}

void TFrmConverter::BuildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("ToolBar1"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setIconSize(QSize(24, 24));
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  addToolBar(Qt::TopToolBarArea, bar);
  auto add = [this, bar](const char* name, const char* caption, const QIcon& icon, void (TFrmConverter::*click)()) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromUtf8(caption));
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setMinimumWidth(57);
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, click);
    bar->addWidget(button);
    return button;
  };
  ToolButton1 = add("ToolButton1", "Open Files", Icons::OpenFiles(), &TFrmConverter::ToolButton1Click);
  bar->addSeparator();
  ToolButton3 = add("ToolButton3", "Convert", Icons::Convert(), &TFrmConverter::ToolButton3Click);
  ToolButton4 = add("ToolButton4", "Stop", Icons::Stop(), &TFrmConverter::ToolButton4Click);
  ToolButton4->setEnabled(false);
  bar->addSeparator();
  ToolButton6 = add("ToolButton6", "Options", Icons::Options(), &TFrmConverter::ToolButton6Click);
  bar->addSeparator();
  ToolButton9 = add("ToolButton9", "About", Icons::About(), &TFrmConverter::ToolButton9Click);
}

void TFrmConverter::BuildProgress(QWidget* parent) {
  auto* grid = new QGridLayout();
  ProgressBar1 = new QProgressBar(parent);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar2 = new QProgressBar(parent);
  ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
  ProgressBar2->setRange(0, 1);
  ProgressBar2->setValue(0);
  ProgressBar2->setFormat(QStringLiteral("%v / %m"));
  grid->addWidget(NamedLabel("Label7", "Current progress", parent), 0, 0);
  grid->addWidget(ProgressBar1, 0, 1);
  grid->addWidget(NamedLabel("Label8", "Total progress", parent), 1, 0);
  grid->addWidget(ProgressBar2, 1, 1);
  static_cast<QVBoxLayout*>(parent->layout())->addLayout(grid);
}

void TFrmConverter::AddFiles(QStringList& names) {
  std::vector<std::string> given;
  given.reserve(static_cast<size_t>(names.size()));
  for (const QString& name : names) {
    given.push_back(name.toStdString());
  }
  names.clear();
  std::vector<TListEntry> entries;
  for (const TInputFile& input : ExpandAddedNames(given)) {
    entries.push_back({ReadConversionRow(input.FileName), {}});
    entries.back().Row.SourceRoot = input.SourceRoot;
  }
  if (!entries.empty()) {
    FUndo->push(new TAddRowsCommand(ListView1->Model(), QStringLiteral("Add files"), std::move(entries)));
  }
}

void TFrmConverter::ToolButton1Click() {
  QStringList names = FFileChooser(this);
  AddFiles(names);
}

void TFrmConverter::AddFolderClick() {
  const QString folder = FFolderChooser(this);
  if (!folder.isEmpty()) {
    QStringList names{folder};
    AddFiles(names);
  }
}

void TFrmConverter::ToolButton6Click() {
  FOptions->show();
  FOptions->raise();
  FOptions->activateWindow();
}

void TFrmConverter::CopyDataReceived(const QString& path) {
  if (isMinimized()) {
    showNormal();
  }
  FPendingNames.append(path);
  AddFiles(FPendingNames);
}

void TFrmConverter::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void TFrmConverter::dropEvent(QDropEvent* event) {
  QStringList names;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      names.append(CutDroppedName(url.toLocalFile()));
    }
  }
  event->acceptProposedAction();
  AddFiles(names);
}

void TFrmConverter::showEvent(QShowEvent* event) {
  if (FCentre) {
    FCentre = false;
    const QRect available = PrimaryArea();
    if (available.isValid()) {
      move(available.center() - rect().center());
    }
  }
  QMainWindow::showEvent(event);
}

void TFrmConverter::moveEvent(QMoveEvent* event) {
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
    FNormalFrame.moveTopLeft(pos());
  }
  QMainWindow::moveEvent(event);
}

void TFrmConverter::resizeEvent(QResizeEvent* event) {
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
    FNormalFrame.setSize(size());
  }
  QMainWindow::resizeEvent(event);
}

void TFrmConverter::closeEvent(QCloseEvent* event) {
  if (Converting()) {
    // The running files are finished first; the window closes when the batch has ended.
    FCloseWhenDone = true;
    FView->Stop();
    event->ignore();
    return;
  }
  // Changes the options dialog holds but were not applied are given up, as by Cancel.
  FOptions->close();
  SaveSettings();
  event->accept();
}

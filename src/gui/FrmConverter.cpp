#include "gui/FrmConverter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/AppDir.h"
#include "app/ConversionDriver.h"
#include "app/Languages.h"
#include "gui/AboutFrm.h"
#include "gui/AddedFiles.h"
#include "gui/ConversionView.h"
#include "gui/CopyDataServer.h"
#include "gui/FileList.h"
#include "gui/Icons.h"
#include "gui/LanguageLoader.h"
#include "gui/OptionsFrm.h"
#include "gui/SongRows.h"
#include "gui/StatusPanels.h"

namespace {

QLabel* NamedLabel(const char* name, const char* caption, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QLineEdit* NamedEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
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

}  // namespace

TFrmConverter::TFrmConverter(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FrmConverter"));
  setWindowTitle(QStringLiteral("Kestrune"));
  setWindowIcon(Icons::Application());
  resize(541, 414);
  move(207, 113);

  BuildToolBar();
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  BuildTagEditor(Panel1);
  ListView1 = new TFileList(Panel1);
  panelLayout->addWidget(ListView1, 1);
  BuildProgress(Panel1);
  setCentralWidget(Panel1);
  FStatusBar = new TStatusPanels(this);
  setStatusBar(FStatusBar);

  connect(ListView1, &TFileList::RowSelectionChanged, this, &TFrmConverter::ListView1SelectItem);
  connect(ListView1, &TFileList::DeleteKeyPressed, this, &TFrmConverter::ListView1KeyDelete);
  connect(ListView1->header(), &QHeaderView::sectionClicked, this, &TFrmConverter::ListView1ColumnClick);

  // The create handler proper.
  FOptions = new TOptionsFrm(FSettings, this);
  FOptions->SetOnFormatChange([this](const QString& text) { FStatusBar->SetPanelText(1, text); });
  FOptions->SetOnLanguageChange([this](const QString& code) {
    LoadLanguage(QString::fromStdString(LanguageFileFor(FAppDir.toStdString(), code.toStdString())));
  });
  FAppDir = QString::fromStdString(::AppDir());
  LoadSettings();
  LoadLanguage(QString::fromStdString(LanguageFileFor(FAppDir.toStdString(), FSettings.Text(SettingNames::Language))),
               true);
  FInformer = [this](const QString& text, const QString& title) { QMessageBox::information(this, title, text); };
  FDriver = std::make_unique<TConversionDriver>(FSettings, FAppDir.toStdString());
  FView = std::make_unique<TConversionView>(*this);
  FDriver->SetObserver(FView.get());
  setAcceptDrops(true);
  FCopyData = new TCopyDataServer(TCopyDataServer::DefaultName(), this);
  connect(FCopyData, &TCopyDataServer::PathReceived, this, &TFrmConverter::CopyDataReceived);
  FPendingNames = arguments;
  AddFiles(FPendingNames);
}

TFrmConverter::~TFrmConverter() {
  // The sinks' workers end before the view they report to.
  FDriver.reset();
}

void TFrmConverter::LoadSettings() {
  FSettings.SetLanguages(ListLanguages(FAppDir.toStdString()));
  FSettings.SetWmaProfiles(ListWmaProfiles(FAppDir.toStdString()));
  try {
    TRegIniFile store(SettingsKey);
    const std::vector<std::string> problems = FSettings.Load(store);
    if (!problems.empty()) {
      FStatusBar->SetPanelText(0, QString::fromStdString(problems.front()));
    }
  } catch (const std::exception& error) {
    // The settings cannot be read at all: the defaults apply, and the program starts.
    FStatusBar->SetPanelText(0, QString::fromStdString(error.what()));
  }
  resize(FSettings.Integer(SettingNames::Width), FSettings.Integer(SettingNames::Height));
  move(FSettings.Integer(SettingNames::Left), FSettings.Integer(SettingNames::Top));
  FOptions->ShowSettings();
}

void TFrmConverter::SaveSettings() {
  FSettings.SetInteger(SettingNames::Left, x());
  FSettings.SetInteger(SettingNames::Top, y());
  FSettings.SetInteger(SettingNames::Width, width());
  FSettings.SetInteger(SettingNames::Height, height());
  try {
    TRegIniFile store(SettingsKey);
    FSettings.Save(store, QCoreApplication::applicationFilePath().toStdString());
  } catch (const std::exception& error) {
    QMessageBox::warning(this, windowTitle(), QStringLiteral("The settings could not be saved.\n%1").arg(error.what()));
  }
}

void TFrmConverter::LoadLanguage(const QString& path, bool quiet) {
  TLanguageFile file(path.toStdString());
  try {
    for (QWidget* form : {static_cast<QWidget*>(this), static_cast<QWidget*>(FOptions)}) {
      ApplyLanguage(file, form);
    }
  } catch (const std::exception& error) {
    if (!quiet) {
      FStatusBar->SetPanelText(0, QString::fromStdString(error.what()));
    }
  }
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

void TFrmConverter::BuildTagEditor(QWidget* parent) {
  auto* group = new QGroupBox(QStringLiteral("MP3/OGG/APE Tag Editor"), parent);
  group->setObjectName(QStringLiteral("GroupBox2"));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(6, 4, 6, 6);
  Edit1 = NamedEdit("Edit1", group);
  Edit2 = NamedEdit("Edit2", group);
  Edit3 = NamedEdit("Edit3", group);
  Edit4 = NamedEdit("Edit4", group);
  Edit6 = NamedEdit("Edit6", group);
  ComboBox5 = new QComboBox(group);
  ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
  ComboBox5->addItems(GenreList());
  ComboBox5->setCurrentIndex(-1);
  ComboBox5->setMaxVisibleItems(20);
  SpeedButton2 = new QToolButton(group);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setText(QStringLiteral("+"));
  connect(SpeedButton2, &QToolButton::clicked, this, &TFrmConverter::SpeedButton2Click);

  grid->addWidget(NamedLabel("Label1", "Title", group), 0, 0);
  grid->addWidget(Edit1, 0, 1);
  grid->addWidget(NamedLabel("Label2", "Artist", group), 1, 0);
  grid->addWidget(Edit2, 1, 1);
  grid->addWidget(NamedLabel("Label3", "Album", group), 2, 0);
  grid->addWidget(Edit3, 2, 1);
  grid->addWidget(NamedLabel("Label4", "Year", group), 0, 2);
  grid->addWidget(Edit4, 0, 3, 1, 2);
  grid->addWidget(NamedLabel("Label5", "Comment", group), 1, 2);
  grid->addWidget(Edit6, 1, 3, 1, 2);
  grid->addWidget(NamedLabel("Label6", "Genre", group), 2, 2);
  grid->addWidget(ComboBox5, 2, 3);
  grid->addWidget(SpeedButton2, 2, 4);
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(3, 2);
  parent->layout()->addWidget(group);
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
  given.reserve(names.size());
  for (const QString& name : names) {
    given.push_back(name.toStdString());
  }
  ListView1->setUpdatesEnabled(false);
  for (const std::string& name : ExpandAddedNames(given)) {
    ListView1->AppendRow(ReadListRow(QString::fromStdString(name)));
  }
  ListView1->setUpdatesEnabled(true);
  names.clear();
}

void TFrmConverter::ToolButton1Click() {
  QFileDialog dialog(this, QStringLiteral("Open Files"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters({QString::fromStdString(AudioFilesFilter()), QStringLiteral("All files (*)")});
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() == QDialog::Accepted) {
    QStringList names = dialog.selectedFiles();
    AddFiles(names);
  }
}

void TFrmConverter::ToolButton3Click() {
  if (FDriver->Converting()) {
    return;
  }
  std::vector<TConversionRow> rows;
  FBatchRows.clear();
  for (int row = 0; row < ListView1->RowCount(); ++row) {
    TConversionRow& batch = rows.emplace_back();
    batch.FileName = ListView1->Text(row, lcTrack).toStdString();
    batch.Checked = ListView1->Checked(row);
    batch.Title = ListView1->Text(row, lcTitle).toStdString();
    batch.Status = ListView1->Text(row, lcStatus).toStdString();
    batch.Artist = ListView1->Text(row, lcArtist).toStdString();
    batch.Album = ListView1->Text(row, lcAlbum).toStdString();
    batch.Year = ListView1->Text(row, lcYear).toStdString();
    batch.Genre = ListView1->Text(row, lcGenre).toStdString();
    batch.Comment = ListView1->Text(row, lcComment).toStdString();
    // The playlist's length comes from the row's own seconds, never from the displayed text.
    batch.Duration = DurationText(ListView1->Seconds(row)).toStdString();
    FBatchRows.emplace_back(ListView1->model()->index(row, 0));
  }
  try {
    FDriver->Convert(rows);
  } catch (const std::exception& error) {
    ShowBatchState(false);
    FStatusBar->SetPanelText(0, QString::fromStdString(error.what()));
  }
  FBatchRows.clear();
}

void TFrmConverter::ToolButton4Click() {
  FDriver->Stop();
  // The stopped sink finishes its file meanwhile; the window keeps handling its events.
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

int TFrmConverter::BatchRow(int row) const {
  if (row < 1 || static_cast<size_t>(row) > FBatchRows.size()) {
    return -1;
  }
  const QPersistentModelIndex& index = FBatchRows[static_cast<size_t>(row - 1)];
  return index.isValid() ? index.row() : -1;
}

void TFrmConverter::ShowBatchState(bool running) {
  Panel1->setEnabled(!running);
  ToolButton3->setEnabled(!running);
  ToolButton4->setEnabled(running);
  if (!running) {
    setWindowTitle(QStringLiteral("Kestrune"));
  }
}

void TFrmConverter::ShowTitleProgress(int percent) {
  const int maximum = std::max(ProgressBar2->maximum(), 1);
  const int total = std::clamp((ProgressBar2->value() * 100 + percent) / maximum, 0, 100);
  setWindowTitle(QStringLiteral("%1% - Kestrune").arg(total));
}

void TFrmConverter::ToolButton6Click() {
  FOptions->show();
  FOptions->raise();
  FOptions->activateWindow();
}

void TFrmConverter::ToolButton9Click() {
  auto* about = new TAboutFrm(nullptr);
  about->setWindowIcon(windowIcon());
  about->ShowAnimated();
}

void TFrmConverter::SpeedButton2Click() {
  const QList<int> selected = ListView1->SelectedRows();
  if (selected.isEmpty()) {
    return;
  }
  const int row = selected.first();
  ListView1->SetText(row, lcTitle, Edit1->text());
  ListView1->SetText(row, lcArtist, Edit2->text());
  ListView1->SetText(row, lcAlbum, Edit3->text());
  ListView1->SetText(row, lcYear, Edit4->text());
  ListView1->SetText(row, lcComment, Edit6->text());
  ListView1->SetText(row, lcGenre, ComboBox5->currentIndex() < 0 ? QString() : ComboBox5->currentText());
}

void TFrmConverter::ListView1ColumnClick(int column) {
  const QString genre = ComboBox5->currentIndex() < 0 ? QString() : ComboBox5->currentText();
  switch (column) {
    case lcTrack: {
      const int image = ListView1->TrackHeaderImage() == 11 ? 12 : 11;
      ListView1->SetTrackHeaderImage(image);
      ListView1->SetAllChecked(image == 12);
      break;
    }
    case lcArtist: ListView1->SetColumn(lcArtist, Edit2->text()); break;
    case lcAlbum: ListView1->SetColumn(lcAlbum, Edit3->text()); break;
    case lcYear: ListView1->SetColumn(lcYear, Edit4->text()); break;
    case lcGenre: ListView1->SetColumn(lcGenre, genre); break;
    case lcComment: ListView1->SetColumn(lcComment, Edit6->text()); break;
    default: break;
  }
}

void TFrmConverter::ListView1SelectItem(int row) {
  if (row < 0 || row >= ListView1->RowCount()) {
    return;
  }
  Edit1->setText(ListView1->Text(row, lcTitle));
  Edit2->setText(ListView1->Text(row, lcArtist));
  Edit3->setText(ListView1->Text(row, lcAlbum));
  Edit4->setText(ListView1->Text(row, lcYear));
  Edit6->setText(ListView1->Text(row, lcComment));
  const QString genre = ListView1->Text(row, lcGenre);
  ComboBox5->setCurrentIndex(genre.isEmpty() ? -1 : ComboBox5->findText(genre, Qt::MatchExactly));
}

void TFrmConverter::ListView1KeyDelete() {
  ListView1->DeleteSelectedRows();
  ClearEditor();
}

void TFrmConverter::ClearEditor() {
  for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit6}) {
    edit->clear();
  }
  ComboBox5->setCurrentIndex(-1);
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
  if (!FCentred) {
    FCentred = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  QMainWindow::showEvent(event);
}

void TFrmConverter::closeEvent(QCloseEvent* event) {
  if (FDriver->CurrentSink() != nullptr) {
    FDriver->Stop();
  }
  SaveSettings();
  FOptions->close();
  event->accept();
}

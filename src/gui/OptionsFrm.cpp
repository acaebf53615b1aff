#include "gui/OptionsFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QStringList Mp3Bitrates() {
  return {"8", "16", "24", "32", "40", "48", "56", "64", "80", "96", "112", "128", "144", "160", "192", "224", "256", "320"};
}

QStringList QualityLevels() {
  QStringList levels;
  for (int level = 0; level <= 9; ++level) {
    levels << QStringLiteral("Level %1").arg(level);
  }
  return levels;
}

QStringList OggBitrates() {
  return {"AutoSelect", "45", "48", "56", "64", "80", "96", "112", "128", "144", "160", "192", "224", "256", "320", "499"};
}

// A format's badge in a page's corner.
QPixmap Logo(const QString& text) {
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(QSize(72, 30) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, 72, 30);
  fill.setColorAt(0, QColor(250, 176, 58));
  fill.setColorAt(1, QColor(214, 84, 30));
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(QRectF(1, 1, 70, 28), 6, 6);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(15);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 0, 72, 30), Qt::AlignCenter, text);
  return pixmap;
}

QLabel* NamedLabel(const char* name, const char* caption, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QGroupBox* NamedGroup(const char* name, const char* caption, QWidget* parent) {
  auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
  group->setObjectName(QString::fromLatin1(name));
  return group;
}

}  // namespace

TOptionsFrm::TOptionsFrm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint) {
  setObjectName(QStringLiteral("OptionsFrm"));
  setWindowTitle(QStringLiteral("Options"));
  setModal(false);
  resize(353, 409);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  FPages = new QTabWidget(this);
  FPages->setObjectName(QStringLiteral("PageControl1"));
  layout->addWidget(FPages);
  BuildCommonPage();
  BuildMp3Page();
  BuildOggPage();
  BuildApePage();
  BuildWmaPage();
  BuildFilePage();
  FFolderBrowser = [](QWidget* owner) {
    return QFileDialog::getExistingDirectory(owner, QStringLiteral("Please specify a directory"), QString(),
                                             QFileDialog::ShowDirsOnly);
  };
  // FormCreate: the first format and the last name pattern, with what they show.
  cmbRipFormat->setCurrentIndex(0);
  ComboBox2->setCurrentIndex(4);
  ComboBox2Change();
}

QWidget* TOptionsFrm::AddPage(const char* name, const char* caption, const char* logo) {
  auto* page = new QWidget();
  page->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(page);
  auto* badge = new QLabel(page);
  badge->setPixmap(Logo(QString::fromLatin1(logo)));
  badge->setAlignment(Qt::AlignRight);
  layout->addWidget(badge);
  FPages->addTab(page, QString::fromUtf8(caption));
  return page;
}

QComboBox* TOptionsFrm::AddCombo(QGridLayout* grid, int row, const char* name, const char* labelName,
                                 const char* caption, const QStringList& items, bool editable) {
  QWidget* owner = grid->parentWidget();
  auto* combo = new QComboBox(owner);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(editable);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->addItems(items);
  QLabel* label = NamedLabel(labelName, caption, owner);
  label->setBuddy(combo);
  grid->addWidget(label, row, 0);
  grid->addWidget(combo, row, 1);
  return combo;
}

QCheckBox* TOptionsFrm::AddCheck(QGridLayout* grid, int row, const char* name, const char* caption, bool checked) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), grid->parentWidget());
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  grid->addWidget(box, row, 0, 1, 2);
  return box;
}

void TOptionsFrm::BuildCommonPage() {
  QWidget* page = AddPage("TabSheet1", "Common", "Kestrune");
  QGroupBox* group = NamedGroup("GroupBox1", "Common parameters", page);
  auto* grid = new QGridLayout(group);
  cmbRipFormat = AddCombo(grid, 0, "cmbRipFormat", "Label1", "Convert to Format",
                          {"MP3", "OGG", "WMA", "WAV", "APE", "FLAC"}, false);
  CheckBox1 = AddCheck(grid, 1, "CheckBox1", "Inform when convert process complete", false);
  cmbLanguage = AddCombo(grid, 2, "cmbLanguage", "Label2", "Language", {}, true);
  page->layout()->addWidget(group);
  static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
  connect(cmbRipFormat, &QComboBox::currentIndexChanged, this, [this] {
    cmbRipFormatChange();
  });
  connect(cmbLanguage, &QComboBox::textActivated, this, [this] { cmbLanguageChange(); });
}

void TOptionsFrm::BuildMp3Page() {
  QWidget* page = AddPage("TabSheet2", "MP3", "MP3");
  QGroupBox* common = NamedGroup("GroupBox2", "MP3 common parameters", page);
  auto* grid = new QGridLayout(common);
  cmbSampleRate = AddCombo(grid, 0, "cmbSampleRate", "Label3", "Sample Rate", {"Default", "32 kHz", "41 kHz", "48 kHz"}, false);
  cmbMode = AddCombo(grid, 1, "cmbMode", "Label4", "Mode", {"Stereo", "Joint Stereo", "Dual Channel", "Mono"}, false);
  chkUseVBR = AddCheck(grid, 2, "chkUseVBR", "Use VBR", false);
  chkOriginal = AddCheck(grid, 3, "chkOriginal", "Original", true);
  chkCopyright = AddCheck(grid, 4, "chkCopyright", "Copyright", false);
  chkErrorProtection = AddCheck(grid, 5, "chkErrorProtection", "Error protection", false);

  QGroupBox* cbr = NamedGroup("GroupBox3", "MP3 CBR Parameters", page);
  grid = new QGridLayout(cbr);
  cmbBR = AddCombo(grid, 0, "cmbBR", "Label5", "BitRate", Mp3Bitrates(), false);
  cmbBR->setCurrentText(QStringLiteral("192"));
  cmbQLevel = AddCombo(grid, 1, "cmbQLevel", "Label6", "Quality Level", QualityLevels(), false);
  cmbQLevel->setCurrentIndex(5);

  QGroupBox* vbr = NamedGroup("GroupBox4", "MP3 VBR parameters", page);
  grid = new QGridLayout(vbr);
  chkWriteVBR = AddCheck(grid, 0, "chkWriteVBR", "Write VBR Header", false);
  cmbVBRMinBR = AddCombo(grid, 1, "cmbVBRMinBR", "Label9", "VBR Min Bitrate", Mp3Bitrates(), false);
  cmbVBRMinBR->setCurrentText(QStringLiteral("128"));
  cmbVBRMaxBR = AddCombo(grid, 2, "cmbVBRMaxBR", "Label10", "VBR Max Bitrate", Mp3Bitrates(), false);
  cmbVBRMaxBR->setCurrentText(QStringLiteral("192"));
  cmbVBRQLevel = AddCombo(grid, 3, "cmbVBRQLevel", "Label11", "VBR Quality Level", QualityLevels(), false);
  cmbVBRQLevel->setCurrentIndex(5);
  for (QGroupBox* group : {common, cbr, vbr}) {
    page->layout()->addWidget(group);
  }
  static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
}

void TOptionsFrm::BuildOggPage() {
  QWidget* page = AddPage("TabSheet3", "Ogg", "OGG");
  QGroupBox* group = NamedGroup("GroupBox5", "Ogg parameters", page);
  auto* grid = new QGridLayout(group);
  SpinEdit1 = new QSpinBox(group);
  SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
  SpinEdit1->setRange(10, 100);
  SpinEdit1->setValue(75);
  grid->addWidget(NamedLabel("Label12", "Compression level 10=max", group), 0, 0);
  grid->addWidget(SpinEdit1, 0, 1);
  QGroupBox* rates = NamedGroup("GroupBox6", "Bitrate Options", group);
  auto* rateGrid = new QGridLayout(rates);
  cmbDesiredNominalBitrate = AddCombo(rateGrid, 0, "cmbDesiredNominalBitrate", "Label13", "Nominal", OggBitrates(), true);
  cmbDesiredMinimumBitrate = AddCombo(rateGrid, 1, "cmbDesiredMinimumBitrate", "Label14", "Minimum", OggBitrates(), true);
  cmbDesiredMaximumBitrate = AddCombo(rateGrid, 2, "cmbDesiredMaximumBitrate", "Label15", "Maximum", OggBitrates(), true);
  grid->addWidget(rates, 1, 0, 1, 2);
  page->layout()->addWidget(group);
  static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
}

void TOptionsFrm::BuildApePage() {
  QWidget* page = AddPage("TabSheet4", "APE", "APE");
  QGroupBox* group = NamedGroup("GroupBox7", "APE parameters", page);
  auto* grid = new QGridLayout(group);
  cmbCompressionLevel = AddCombo(grid, 0, "cmbCompressionLevel", "Label16", "Compression level",
                                 {"FAST", "NORMAL", "HIGH", "EXTRA HIGH"}, false);
  cmbCompressionLevel->setCurrentIndex(1);
  page->layout()->addWidget(group);
  static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
}

void TOptionsFrm::BuildWmaPage() {
  QWidget* page = AddPage("TabSheet5", "WMA", "WMA");
  auto* box = new QWidget(page);
  auto* grid = new QGridLayout(box);
  cmbWMABitrate = AddCombo(grid, 0, "cmbWMABitrate", "Label17", "Compression level", {}, false);
  page->layout()->addWidget(box);
  static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
}

void TOptionsFrm::BuildFilePage() {
  QWidget* page = AddPage("TabSheet6", "File", "FILE");
  QGroupBox* group = NamedGroup("GroupBox8", "Result Filename parameters", page);
  auto* grid = new QGridLayout(group);
  Edit1 = new QLineEdit(QStringLiteral("C:\\My Musik"), group);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  SpeedButton2 = new QToolButton(group);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setText(QStringLiteral("..."));
  auto* folderRow = new QHBoxLayout();
  folderRow->addWidget(Edit1, 1);
  folderRow->addWidget(SpeedButton2);
  grid->addWidget(NamedLabel("Label18", "Convert to:", group), 0, 0);
  grid->addLayout(folderRow, 0, 1);
  ComboBox2 = AddCombo(grid, 1, "ComboBox2", "Label19", "Output filename format",
                       {"<Track Number>", "<Title>", "<Track Number>-<Title>", "<Artist>-<Title>",
                        "<Track Number>-<Artist>-<Title>"},
                       false);
  Label8 = NamedLabel("Label8", "", group);
  Label8->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label8->setWordWrap(true);
  grid->addWidget(NamedLabel("Label7", "Example:", group), 2, 0);
  grid->addWidget(Label8, 2, 1);
  cmbPlayList = AddCombo(grid, 3, "cmbPlayList", "Label20", "Play List", {"None", "M3U", "PLS"}, true);
  page->layout()->addWidget(group);
  static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
}

void TOptionsFrm::SetOnFormatChange(std::function<void(const QString&)> handler) {
  FOnFormatChange = std::move(handler);
  cmbRipFormatChange();
}

void TOptionsFrm::cmbRipFormatChange() {
  if (FOnFormatChange) {
    FOnFormatChange(QStringLiteral("Convert to: ") + cmbRipFormat->currentText());
  }
}

void TOptionsFrm::SpeedButton1Click() {
  const QString folder = FFolderBrowser ? FFolderBrowser(this) : QString();
  if (!folder.isEmpty()) {
    Edit1->setText(folder);
  }
}

void TOptionsFrm::cmbLanguageChange() {
  if (FOnLanguageChange && !cmbLanguage->currentText().isEmpty()) {
    FOnLanguageChange(cmbLanguage->currentText());
  }
}

void TOptionsFrm::showEvent(QShowEvent* event) {
  if (!FCentred) {
    FCentred = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  QDialog::showEvent(event);
}

void TOptionsFrm::ComboBox2Change() { Label8->clear(); }

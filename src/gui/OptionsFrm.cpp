#include "gui/OptionsFrm.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
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

#include "app/OutputName.h"
#include "app/Settings.h"

namespace {

// The example name is built from these, as if for the first row of a batch.
const char* const SampleTitle = "Morning Light";
const char* const SampleArtist = "Ada Reed";

QStringList ToQt(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) {
    list << QString::fromStdString(text);
  }
  return list;
}

// A format's badge in a page's corner.
QPixmap Logo(const QString& text) {
  QFont font = QGuiApplication::font();
  font.setBold(true);
  font.setPixelSize(15);
  const int width = std::max(72, QFontMetrics(font).horizontalAdvance(text) + 20);
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(QSize(width, 30) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, width, 30);
  fill.setColorAt(0, QColor(250, 176, 58));
  fill.setColorAt(1, QColor(214, 84, 30));
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(QRectF(1, 1, width - 2, 28), 6, 6);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 0, width, 30), Qt::AlignCenter, text);
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

void AddStretch(QWidget* page) { static_cast<QVBoxLayout*>(page->layout())->addStretch(1); }

}  // namespace

TOptionsFrm::TOptionsFrm(TSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      FSettings(settings) {
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
  ShowSettings();
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
                                 const char* caption, const char* setting, bool editable) {
  QWidget* owner = grid->parentWidget();
  auto* combo = new QComboBox(owner);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setEditable(editable);
  combo->setInsertPolicy(QComboBox::NoInsert);
  QLabel* label = NamedLabel(labelName, caption, owner);
  label->setBuddy(combo);
  grid->addWidget(label, row, 0);
  grid->addWidget(combo, row, 1);
  BindCombo(combo, setting);
  return combo;
}

QCheckBox* TOptionsFrm::AddCheck(QGridLayout* grid, int row, const char* name, const char* caption,
                                 const char* setting) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), grid->parentWidget());
  box->setObjectName(QString::fromLatin1(name));
  grid->addWidget(box, row, 0, 1, 2);
  BindCheck(box, setting);
  return box;
}

void TOptionsFrm::BindCombo(QComboBox* combo, const char* setting) {
  const std::string name = setting;
  if (name == SettingNames::Language) {
    // The language is the text in the box, whatever the user typed.
    connect(combo, &QComboBox::currentTextChanged, this, [this, name](const QString& text) {
      if (!FShowing) {
        FSettings.SetText(name, text.toStdString());
      }
    });
    FShowers.push_back([this, combo, name] {
      combo->clear();
      combo->addItems(ToQt(FSettings.Languages()));
      combo->setCurrentIndex(combo->findText(QString::fromStdString(FSettings.Text(name)), Qt::MatchFixedString));
    });
    return;
  }
  connect(combo, &QComboBox::currentIndexChanged, this, [this, name](int index) {
    if (!FShowing) {
      FSettings.SetInteger(name, index);
    }
  });
  if (combo->isEditable()) {
    // Typed text that is none of the choices does not stay: the box shows the chosen entry again.
    connect(combo->lineEdit(), &QLineEdit::editingFinished, combo, [combo] {
      const int match = combo->findText(combo->currentText(), Qt::MatchFixedString);
      combo->setCurrentIndex(match >= 0 ? match : combo->currentIndex());
      if (match < 0) {
        combo->setEditText(combo->itemText(combo->currentIndex()));
      }
    });
  }
  FShowers.push_back([this, combo, name] {
    const QStringList choices = ToQt(FSettings.Choices(name));
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) {
      shown << combo->itemText(i);
    }
    if (shown != choices) {
      combo->clear();
      combo->addItems(choices);
    }
    const int position = FSettings.Integer(name);
    combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
  });
}

void TOptionsFrm::BindCheck(QCheckBox* box, const char* setting) {
  const std::string name = setting;
  connect(box, &QCheckBox::toggled, this, [this, name](bool checked) {
    if (!FShowing) {
      FSettings.SetBoolean(name, checked);
    }
  });
  FShowers.push_back([this, box, name] { box->setChecked(FSettings.Boolean(name)); });
}

void TOptionsFrm::ShowSettings() {
  FShowing = true;
  for (const std::function<void()>& show : FShowers) {
    show();
  }
  FShowing = false;
  cmbRipFormatChange();
  ComboBox2Change();
}

void TOptionsFrm::BuildCommonPage() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet1", "Common", "Kestrune");
  QGroupBox* group = NamedGroup("GroupBox1", "Common parameters", page);
  auto* grid = new QGridLayout(group);
  cmbRipFormat = AddCombo(grid, 0, "cmbRipFormat", "Label1", "Convert to Format", RipToFormat, false);
  CheckBox1 = AddCheck(grid, 1, "CheckBox1", "Inform when convert process complete", InformWhenDone);
  cmbLanguage = AddCombo(grid, 2, "cmbLanguage", "Label2", "Language", Language, true);
  page->layout()->addWidget(group);
  AddStretch(page);
  connect(cmbRipFormat, &QComboBox::currentIndexChanged, this, [this] { cmbRipFormatChange(); });
  connect(cmbLanguage, &QComboBox::textActivated, this, [this] { cmbLanguageChange(); });
}

void TOptionsFrm::BuildMp3Page() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet2", "MP3", "MP3");
  QGroupBox* common = NamedGroup("GroupBox2", "MP3 common parameters", page);
  auto* grid = new QGridLayout(common);
  cmbSampleRate = AddCombo(grid, 0, "cmbSampleRate", "Label3", "Sample Rate", SampleRate, false);
  cmbMode = AddCombo(grid, 1, "cmbMode", "Label4", "Mode", Mode, false);
  chkUseVBR = AddCheck(grid, 2, "chkUseVBR", "Use VBR", UseVBR);
  chkOriginal = AddCheck(grid, 3, "chkOriginal", "Original", Original);
  chkCopyright = AddCheck(grid, 4, "chkCopyright", "Copyright", Copyright);
  chkErrorProtection = AddCheck(grid, 5, "chkErrorProtection", "Error protection", CRC);

  QGroupBox* cbr = NamedGroup("GroupBox3", "MP3 CBR Parameters", page);
  grid = new QGridLayout(cbr);
  cmbBR = AddCombo(grid, 0, "cmbBR", "Label5", "BitRate", CBRBitrate, false);
  cmbQLevel = AddCombo(grid, 1, "cmbQLevel", "Label6", "Quality Level", CBRQuality, false);

  QGroupBox* vbr = NamedGroup("GroupBox4", "MP3 VBR parameters", page);
  grid = new QGridLayout(vbr);
  chkWriteVBR = AddCheck(grid, 0, "chkWriteVBR", "Write VBR Header", WriteVBRHeader);
  cmbVBRMinBR = AddCombo(grid, 1, "cmbVBRMinBR", "Label9", "VBR Min Bitrate", MinBitrate, false);
  cmbVBRMaxBR = AddCombo(grid, 2, "cmbVBRMaxBR", "Label10", "VBR Max Bitrate", MaxBitrate, false);
  cmbVBRQLevel = AddCombo(grid, 3, "cmbVBRQLevel", "Label11", "VBR Quality Level", VBRQuality, false);
  for (QGroupBox* group : {common, cbr, vbr}) {
    page->layout()->addWidget(group);
  }
  AddStretch(page);
}

void TOptionsFrm::BuildOggPage() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet3", "Ogg", "OGG");
  QGroupBox* group = NamedGroup("GroupBox5", "Ogg parameters", page);
  auto* grid = new QGridLayout(group);
  SpinEdit1 = new QSpinBox(group);
  SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
  const TSettingDef& level = *TSettings::Find(OGGCompressionLevel);
  SpinEdit1->setRange(level.Min, level.Max);
  connect(SpinEdit1, &QSpinBox::valueChanged, this, [this](int value) {
    if (!FShowing) {
      FSettings.SetInteger(SettingNames::OGGCompressionLevel, value);
    }
  });
  FShowers.push_back([this] { SpinEdit1->setValue(FSettings.Integer(SettingNames::OGGCompressionLevel)); });
  grid->addWidget(NamedLabel("Label12", "Compression level 10=max", group), 0, 0);
  grid->addWidget(SpinEdit1, 0, 1);
  QGroupBox* rates = NamedGroup("GroupBox6", "Bitrate Options", group);
  auto* rateGrid = new QGridLayout(rates);
  cmbDesiredNominalBitrate =
      AddCombo(rateGrid, 0, "cmbDesiredNominalBitrate", "Label13", "Nominal", DesiredNominalBitrate, true);
  cmbDesiredMinimumBitrate =
      AddCombo(rateGrid, 1, "cmbDesiredMinimumBitrate", "Label14", "Minimum", DesiredMinimumBitrate, true);
  cmbDesiredMaximumBitrate =
      AddCombo(rateGrid, 2, "cmbDesiredMaximumBitrate", "Label15", "Maximum", DesiredMaximumBitrate, true);
  grid->addWidget(rates, 1, 0, 1, 2);
  page->layout()->addWidget(group);
  AddStretch(page);
}

void TOptionsFrm::BuildApePage() {
  QWidget* page = AddPage("TabSheet4", "APE", "APE");
  QGroupBox* group = NamedGroup("GroupBox7", "APE parameters", page);
  auto* grid = new QGridLayout(group);
  cmbCompressionLevel = AddCombo(grid, 0, "cmbCompressionLevel", "Label16", "Compression level",
                                 SettingNames::APECompressionLevel, false);
  page->layout()->addWidget(group);
  AddStretch(page);
}

void TOptionsFrm::BuildWmaPage() {
  QWidget* page = AddPage("TabSheet5", "WMA", "WMA");
  auto* box = new QWidget(page);
  auto* grid = new QGridLayout(box);
  cmbWMABitrate = AddCombo(grid, 0, "cmbWMABitrate", "Label17", "Compression level", SettingNames::WMABitrate, false);
  page->layout()->addWidget(box);
  AddStretch(page);
}

void TOptionsFrm::BuildFilePage() {
  QWidget* page = AddPage("TabSheet6", "File", "FILE");
  QGroupBox* group = NamedGroup("GroupBox8", "Result Filename parameters", page);
  auto* grid = new QGridLayout(group);
  Edit1 = new QLineEdit(group);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!FShowing) {
      FSettings.SetText(SettingNames::ConvFilePath, text.toStdString());
    }
  });
  FShowers.push_back([this] { Edit1->setText(QString::fromStdString(FSettings.Text(SettingNames::ConvFilePath))); });
  SpeedButton2 = new QToolButton(group);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setText(QStringLiteral("..."));
  auto* folderRow = new QHBoxLayout();
  folderRow->addWidget(Edit1, 1);
  folderRow->addWidget(SpeedButton2);
  grid->addWidget(NamedLabel("Label18", "Convert to:", group), 0, 0);
  grid->addLayout(folderRow, 0, 1);
  ComboBox2 = AddCombo(grid, 1, "ComboBox2", "Label19", "Output filename format",
                       SettingNames::OutputFileNameFormat, false);
  Label8 = NamedLabel("Label8", "", group);
  Label8->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label8->setWordWrap(true);
  grid->addWidget(NamedLabel("Label7", "Example:", group), 2, 0);
  grid->addWidget(Label8, 2, 1);
  cmbPlayList = AddCombo(grid, 3, "cmbPlayList", "Label20", "Play List", SettingNames::SavePlayList, true);
  cmbExistingFiles =
      AddCombo(grid, 4, "cmbExistingFiles", "Label21", "Existing files", SettingNames::ExistingFiles, false);
  page->layout()->addWidget(group);
  AddStretch(page);
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

void TOptionsFrm::ComboBox2Change() {
  std::string folder = Edit1->text().toStdString();
  if (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  Label8->setText(QString::fromStdString(BuildOutputName(ComboBox2->currentIndex(), 1, folder,
                                                         cmbRipFormat->currentText().toStdString(), SampleTitle,
                                                         SampleArtist)));
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

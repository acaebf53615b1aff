#include "gui/OptionsFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/OutputName.h"
#include "app/OutputPattern.h"
#include "gui/LanguageLoader.h"

namespace {

QStringList ToQt(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) {
    list << QString::fromStdString(text);
  }
  return list;
}

QStringList Items(const QComboBox* combo, int role) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) {
    items << combo->itemData(i, role).toString();
  }
  return items;
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
    : QDialog(parent), FSettings(settings), FTexts(std::vector<std::pair<std::string, std::string>>{{"FolderTitle", "Please specify a directory"}}) {
  setObjectName(QStringLiteral("OptionsFrm"));
  setWindowTitle(QStringLiteral("Options"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  FPages = new QTabWidget(this);
  FPages->setObjectName(QStringLiteral("PageControl1"));
  FPages->setUsesScrollButtons(false);
  layout->addWidget(FPages);
  BuildCommonPage();
  BuildMp3Page();
  BuildOggPage();
  BuildApePage();
  BuildWmaPage();
  BuildFlacPage();
  BuildWavPage();
  BuildFilePage();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  btnOK = buttons->button(QDialogButtonBox::Ok);
  btnCancel = buttons->button(QDialogButtonBox::Cancel);
  btnApply = buttons->button(QDialogButtonBox::Apply);
  for (auto [button, name, caption] : {std::tuple{btnOK, "btnOK", "OK"}, std::tuple{btnCancel, "btnCancel", "Cancel"},
                                       std::tuple{btnApply, "btnApply", "Apply"}}) {
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromLatin1(caption));
  }
  connect(buttons, &QDialogButtonBox::accepted, this, &TOptionsFrm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TOptionsFrm::reject);
  connect(btnApply, &QPushButton::clicked, this, &TOptionsFrm::Apply);
  layout->addWidget(buttons);

  FFolderBrowser = [this](QWidget* owner) {
    return QFileDialog::getExistingDirectory(owner, FTexts.Text("FolderTitle"), Edit1->text(),
                                             QFileDialog::ShowDirsOnly);
  };
  ShowSettings();
}

QWidget* TOptionsFrm::AddPage(const char* name, const char* caption, const char* badgeName, const char* badge) {
  auto* page = new QWidget();
  page->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(page);
  QLabel* logo = NamedLabel(badgeName, badge, page);
  logo->setAlignment(Qt::AlignCenter);
  // The format's badge in the page's corner, in the program's colours whatever the palette.
  logo->setStyleSheet(QStringLiteral("QLabel { color: white; font-weight: bold; padding: 4px 14px; border-radius: 6px;"
                                     " background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #fab03a,"
                                     " stop:1 #d6541e); }"));
  layout->addWidget(logo, 0, Qt::AlignRight);
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
  if (std::string(setting) == SettingNames::Language) {
    BindLanguages(combo);
  } else {
    BindCombo(combo, setting);
  }
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

QSpinBox* TOptionsFrm::AddSpin(QGridLayout* grid, int row, const char* name, const char* labelName,
                               const char* caption, const char* setting) {
  QWidget* owner = grid->parentWidget();
  auto* spin = new QSpinBox(owner);
  spin->setObjectName(QString::fromLatin1(name));
  const TSettingDef& def = *TSettings::Find(setting);
  spin->setRange(def.Min, def.Max);
  const std::string key = setting;
  connect(spin, &QSpinBox::valueChanged, this, [this, key](int value) {
    if (!FShowing) {
      FSettings.SetInteger(key, value);
    }
  });
  FShowers.push_back([this, spin, key] { spin->setValue(FSettings.Integer(key)); });
  QLabel* label = NamedLabel(labelName, caption, owner);
  label->setBuddy(spin);
  grid->addWidget(label, row, 0);
  grid->addWidget(spin, row, 1, Qt::AlignLeft);
  return spin;
}

void TOptionsFrm::BindCombo(QComboBox* combo, const char* setting) {
  const std::string name = setting;
  // The WMA profiles are found beside the program; every other list is the setting's own, and
  // its entries are shown in the words of the language file.
  const bool found = name == SettingNames::WMABitrate;
  if (!found) {
    combo->addItems(ToQt(TSettings::Find(name)->Choices));
    combo->setProperty(TranslatedItemsProperty, name != SettingNames::RipToFormat);
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
  FShowers.push_back([this, combo, name, found] {
    if (found) {
      const QStringList profiles = ToQt(FSettings.Choices(name));
      if (Items(combo, Qt::DisplayRole) != profiles) {
        combo->clear();
        combo->addItems(profiles);
      }
    }
    const int position = FSettings.Integer(name);
    combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
  });
}

void TOptionsFrm::BindLanguages(QComboBox* combo) {
  connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
    if (!FShowing && index >= 0) {
      FSettings.SetText(SettingNames::Language, combo->itemData(index).toString().toStdString());
    }
  });
  connect(combo, &QComboBox::activated, this, [this] { cmbLanguageChange(); });
  FShowers.push_back([this, combo] {
    const QStringList codes = ToQt(FSettings.Languages());
    if (Items(combo, Qt::UserRole) != codes || Items(combo, Qt::DisplayRole) != FLanguageNames) {
      combo->clear();
      for (int i = 0; i < codes.size(); ++i) {
        combo->addItem(i < FLanguageNames.size() ? FLanguageNames[i] : codes[i], codes[i]);
      }
    }
    const QString code = QString::fromStdString(FSettings.Text(SettingNames::Language));
    combo->setCurrentIndex(combo->findData(code, Qt::UserRole, Qt::MatchFixedString));
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
  ShowVbrState();
  cmbRipFormatChange();
  ComboBox2Change();
}

void TOptionsFrm::SetLanguageNames(const QStringList& names) {
  FLanguageNames = names;
  ShowSettings();
}

void TOptionsFrm::LoadTexts(const TLanguageFile& file) { FTexts.Load(file, "OptionsFrm"); }

void TOptionsFrm::BuildCommonPage() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet1", "Common", "Badge1", "Kestrune");
  QGroupBox* group = NamedGroup("GroupBox1", "Common parameters", page);
  auto* grid = new QGridLayout(group);
  cmbRipFormat = AddCombo(grid, 0, "cmbRipFormat", "Label1", "Convert to Format", RipToFormat, false);
  CheckBox1 = AddCheck(grid, 1, "CheckBox1", "Inform when convert process complete", InformWhenDone);
  cmbLanguage = AddCombo(grid, 2, "cmbLanguage", "Label2", "Language", Language, false);
  spnJobs = AddSpin(grid, 3, "spnJobs", "Label27", "Simultaneous conversions", Jobs);
  page->layout()->addWidget(group);
  AddStretch(page);
  connect(cmbRipFormat, &QComboBox::currentIndexChanged, this, [this] {
    cmbRipFormatChange();
    ComboBox2Change();
  });
}

void TOptionsFrm::BuildMp3Page() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet2", "MP3", "Badge2", "MP3");
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

  GroupBox4 = NamedGroup("GroupBox4", "MP3 VBR parameters", page);
  grid = new QGridLayout(GroupBox4);
  chkWriteVBR = AddCheck(grid, 0, "chkWriteVBR", "Write VBR Header", WriteVBRHeader);
  cmbVBRMinBR = AddCombo(grid, 1, "cmbVBRMinBR", "Label9", "VBR Min Bitrate", MinBitrate, false);
  cmbVBRMaxBR = AddCombo(grid, 2, "cmbVBRMaxBR", "Label10", "VBR Max Bitrate", MaxBitrate, false);
  cmbVBRQLevel = AddCombo(grid, 3, "cmbVBRQLevel", "Label11", "VBR Quality Level", VBRQuality, false);
  for (QGroupBox* group : {common, cbr, GroupBox4}) {
    page->layout()->addWidget(group);
  }
  AddStretch(page);
  connect(chkUseVBR, &QCheckBox::toggled, this, &TOptionsFrm::ShowVbrState);
}

void TOptionsFrm::ShowVbrState() { GroupBox4->setEnabled(chkUseVBR->isChecked()); }

void TOptionsFrm::BuildOggPage() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet3", "Ogg", "Badge3", "OGG");
  QGroupBox* group = NamedGroup("GroupBox5", "Ogg parameters", page);
  auto* grid = new QGridLayout(group);
  SpinEdit1 = AddSpin(grid, 0, "SpinEdit1", "Label12", "Quality (10 = smallest files, 100 = best sound)",
                      OGGCompressionLevel);
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
  QWidget* page = AddPage("TabSheet4", "APE", "Badge4", "APE");
  QGroupBox* group = NamedGroup("GroupBox7", "APE parameters", page);
  auto* grid = new QGridLayout(group);
  cmbCompressionLevel = AddCombo(grid, 0, "cmbCompressionLevel", "Label16", "Compression level",
                                 SettingNames::APECompressionLevel, false);
  cmbApeSampleFormat =
      AddCombo(grid, 1, "cmbApeSampleFormat", "Label26", "Sample format", SettingNames::APESampleFormat, false);
  page->layout()->addWidget(group);
  AddStretch(page);
}

void TOptionsFrm::BuildWmaPage() {
  QWidget* page = AddPage("TabSheet5", "WMA", "Badge5", "WMA");
  auto* box = new QWidget(page);
  auto* grid = new QGridLayout(box);
  cmbWMABitrate = AddCombo(grid, 0, "cmbWMABitrate", "Label17", "Profile", SettingNames::WMABitrate, false);
  page->layout()->addWidget(box);
  AddStretch(page);
}

void TOptionsFrm::BuildFlacPage() {
  using namespace SettingNames;
  QWidget* page = AddPage("TabSheet7", "FLAC", "Badge6", "FLAC");
  QGroupBox* group = NamedGroup("GroupBox9", "FLAC parameters", page);
  auto* grid = new QGridLayout(group);
  SpinEdit2 = AddSpin(grid, 0, "SpinEdit2", "Label21", "Compression level (0 = fastest, 8 = smallest files)",
                      FLACCompressionLevel);
  chkVerify = AddCheck(grid, 1, "chkVerify", "Verify the encoded audio while writing", FLACVerify);
  cmbFlacSampleFormat = AddCombo(grid, 2, "cmbFlacSampleFormat", "Label25", "Sample format", FLACSampleFormat, false);
  page->layout()->addWidget(group);
  AddStretch(page);
}

void TOptionsFrm::BuildWavPage() {
  QWidget* page = AddPage("TabSheet8", "WAV", "Badge7", "WAV");
  QGroupBox* group = NamedGroup("GroupBox10", "WAV parameters", page);
  auto* grid = new QGridLayout(group);
  cmbSampleFormat =
      AddCombo(grid, 0, "cmbSampleFormat", "Label22", "Sample format", SettingNames::WAVSampleFormat, false);
  page->layout()->addWidget(group);
  AddStretch(page);
}

void TOptionsFrm::BuildFilePage() {
  QWidget* page = AddPage("TabSheet6", "File", "Badge8", "FILE");
  QGroupBox* group = NamedGroup("GroupBox8", "Result Filename parameters", page);
  auto* grid = new QGridLayout(group);
  Edit1 = new QLineEdit(group);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!FShowing) {
      FSettings.SetText(SettingNames::ConvFilePath, text.toStdString());
      ComboBox2Change();
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
  BuildPatternRow(grid, 2);
  Label8 = NamedLabel("Label8", "", group);
  Label8->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label8->setWordWrap(true);
  grid->addWidget(NamedLabel("Label7", "Example:", group), 3, 0);
  grid->addWidget(Label8, 3, 1);
  cmbExtensionCase = AddCombo(grid, 4, "cmbExtensionCase", "Label22", "Extension", SettingNames::ExtensionCase, false);
  chkKeepFolders = AddCheck(grid, 5, "chkKeepFolders", "Keep the source folder structure", SettingNames::KeepFolders);
  cmbPlayList = AddCombo(grid, 6, "cmbPlayList", "Label20", "Play List", SettingNames::SavePlayList, true);
  cmbPlaylistPaths =
      AddCombo(grid, 7, "cmbPlaylistPaths", "Label24", "Play list paths", SettingNames::PlaylistPaths, false);
  cmbExistingFiles =
      AddCombo(grid, 8, "cmbExistingFiles", "Label23", "Existing files", SettingNames::ExistingFiles, false);
  cmbTrackNumberFrom =
      AddCombo(grid, 9, "cmbTrackNumberFrom", "Label25", "Track number from", SettingNames::TrackNumberFrom, false);
  chkFolderCover = AddCheck(grid, 10, "chkFolderCover", "Take the folder's cover image for files without one",
                            SettingNames::FolderCover);
  grid->setColumnStretch(1, 1);
  page->layout()->addWidget(group);
  AddStretch(page);
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this](int index) {
    // A style is a ready-made pattern: choosing one puts it in the pattern box.
    if (!FShowing) {
      edtPattern->setText(QString::fromStdString(PresetPattern(index)));
    }
    ComboBox2Change();
  });
  connect(cmbExtensionCase, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
  connect(chkKeepFolders, &QCheckBox::toggled, this, [this] { ComboBox2Change(); });
}

void TOptionsFrm::BuildPatternRow(QGridLayout* grid, int row) {
  QWidget* owner = grid->parentWidget();
  edtPattern = new QLineEdit(owner);
  edtPattern->setObjectName(QStringLiteral("edtPattern"));
  edtPattern->setPlaceholderText(QStringLiteral("<Artist>/<Album>/<Source Track> <Title>"));
  connect(edtPattern, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!FShowing) {
      FSettings.SetText(SettingNames::OutputPattern, text.toStdString());
    }
    ComboBox2Change();
  });
  FShowers.push_back([this] {
    const std::string pattern = FSettings.Text(SettingNames::OutputPattern);
    edtPattern->setText(QString::fromStdString(
        pattern.empty() ? PresetPattern(FSettings.Integer(SettingNames::OutputFileNameFormat)) : pattern));
  });
  btnFields = new QToolButton(owner);
  btnFields->setObjectName(QStringLiteral("btnFields"));
  btnFields->setText(QStringLiteral("Fields"));
  btnFields->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(btnFields);
  for (const std::string& field : OutputPatternFields()) {
    const QString text = QString::fromStdString(field);
    menu->addAction(text, this, [this, text] {
      edtPattern->insert(text);
      edtPattern->setFocus();
    });
  }
  btnFields->setMenu(menu);
  auto* line = new QHBoxLayout();
  line->addWidget(edtPattern, 1);
  line->addWidget(btnFields);
  QLabel* label = NamedLabel("Label21", "Pattern", owner);
  label->setBuddy(edtPattern);
  grid->addWidget(label, row, 0);
  grid->addLayout(line, row, 1);
}

void TOptionsFrm::SetOnFormatChange(std::function<void(const QString&)> handler) {
  FOnFormatChange = std::move(handler);
  cmbRipFormatChange();
}

void TOptionsFrm::cmbRipFormatChange() {
  if (FOnFormatChange) {
    FOnFormatChange(cmbRipFormat->currentText());
  }
}

void TOptionsFrm::ComboBox2Change() {
  if (Label8 == nullptr || cmbRipFormat == nullptr) {
    return;  // while the page is still being built
  }
  std::string folder = Edit1->text().toStdString();
  if (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  // The example is named as the first row of a batch would be, from a file of an added folder.
  TConversionRow row;
  row.FileName = "/music/Ada Reed/Evening/07 morning.flac";
  row.SourceRoot = "/music";
  row.Title = "Morning Light";
  row.Artist = "Ada Reed";
  row.Album = "Evening";
  row.Year = "2019";
  row.Genre = "Jazz";
  row.SourceTrack = "7";
  row.Disc = "1";
  const std::string format = cmbRipFormat->currentText().toStdString();
  Label8->setText(QString::fromStdString(OutputPathFor(FSettings, row, 1, folder, format)));
}

void TOptionsFrm::SpeedButton1Click() {
  const QString folder = FFolderBrowser ? FFolderBrowser(this) : QString();
  if (!folder.isEmpty()) {
    Edit1->setText(folder);
  }
}

void TOptionsFrm::cmbLanguageChange() {
  const QString code = cmbLanguage->currentData().toString();
  if (FOnLanguageChange && !code.isEmpty()) {
    FOnLanguageChange(code);
  }
}

void TOptionsFrm::Apply() {
  FOpenedWith = FSettings;
  if (FOnApply) {
    FOnApply();
  }
}

void TOptionsFrm::accept() {
  Apply();
  FOpen = false;
  QDialog::accept();
}

void TOptionsFrm::reject() {
  if (FOpen) {
    const bool otherLanguage = FOpenedWith.Text(SettingNames::Language) != FSettings.Text(SettingNames::Language);
    FSettings = FOpenedWith;
    ShowSettings();
    if (otherLanguage) {
      cmbLanguageChange();
    }
  }
  FOpen = false;
  QDialog::reject();
}

void TOptionsFrm::showEvent(QShowEvent* event) {
  if (!FOpen) {
    FOpen = true;
    FOpenedWith = FSettings;
  }
  if (!FCentred) {
    FCentred = true;
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  QDialog::showEvent(event);
}

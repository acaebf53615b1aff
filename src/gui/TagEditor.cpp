#include "gui/TagEditor.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>

#include "tags/CoverArt.h"
#include "tags/ID3v1.h"

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

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr int CoverSide = 64;

bool IsEnter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

}  // namespace

TTagEditor::TTagEditor(QWidget* parent) : QGroupBox(QStringLiteral("MP3/OGG/APE Tag Editor"), parent) {
  setObjectName(QStringLiteral("GroupBox2"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 6);
  Edit1 = NamedEdit("Edit1", this);
  Edit2 = NamedEdit("Edit2", this);
  Edit3 = NamedEdit("Edit3", this);
  Edit4 = NamedEdit("Edit4", this);
  Edit6 = NamedEdit("Edit6", this);
  ComboBox5 = new QComboBox(this);
  ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
  for (const char* genre : GenreNames) {
    ComboBox5->addItem(QString::fromUtf8(genre));
  }
  ComboBox5->setCurrentIndex(-1);
  ComboBox5->setMaxVisibleItems(20);
  SpeedButton2 = new QToolButton(this);
  SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
  SpeedButton2->setText(QStringLiteral("+"));
  connect(SpeedButton2, &QToolButton::clicked, this, &TTagEditor::WriteRequested);

  grid->addWidget(NamedLabel("Label1", "Title", this), 0, 0);
  grid->addWidget(Edit1, 0, 1);
  grid->addWidget(NamedLabel("Label2", "Artist", this), 1, 0);
  grid->addWidget(Edit2, 1, 1);
  grid->addWidget(NamedLabel("Label3", "Album", this), 2, 0);
  grid->addWidget(Edit3, 2, 1);
  grid->addWidget(NamedLabel("Label4", "Year", this), 0, 2);
  grid->addWidget(Edit4, 0, 3, 1, 2);
  grid->addWidget(NamedLabel("Label5", "Comment", this), 1, 2);
  grid->addWidget(Edit6, 1, 3, 1, 2);
  grid->addWidget(NamedLabel("Label6", "Genre", this), 2, 2);
  grid->addWidget(ComboBox5, 2, 3);
  grid->addWidget(SpeedButton2, 2, 4);
  // Left unnamed: it has no caption, so the language files and their loader pass it by.
  imgCover = new QLabel(this);
  imgCover->setFixedSize(CoverSide, CoverSide);
  imgCover->setAlignment(Qt::AlignCenter);
  imgCover->hide();
  grid->addWidget(imgCover, 0, 5, 3, 1);

  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(3, 2);

  for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit6}) {
    connect(edit, &QLineEdit::textEdited, this, [this] { FChanged = true; });
    connect(edit, &QLineEdit::returnPressed, this, &TTagEditor::WriteRequested);
    edit->installEventFilter(this);
  }
  connect(ComboBox5, &QComboBox::activated, this, [this] { FChanged = true; });
  ComboBox5->installEventFilter(this);
}

void TTagEditor::ShowRow(const TConversionRow& row) {
  FShown = row;
  Edit1->setText(Q(row.Title));
  Edit2->setText(Q(row.Artist));
  Edit3->setText(Q(row.Album));
  Edit4->setText(Q(row.Year));
  Edit6->setText(Q(row.Comment));
  // A genre that is none of the table's names shows no genre.
  ComboBox5->setCurrentIndex(row.Genre.empty() ? -1 : ComboBox5->findText(Q(row.Genre), Qt::MatchExactly));
  ShowCover(row.CoverFile);
  FChanged = false;
}

void TTagEditor::ShowCover(const std::string& coverFile) {
  QPixmap image;
  if (!coverFile.empty()) {
    if (const std::optional<TPicture> cover = ReadCoverFrom(coverFile).Picture) {
      image.loadFromData(cover->Data.data(), static_cast<uint>(cover->Data.size()));
    }
  }
  imgCover->setPixmap(image.isNull() ? QPixmap()
                                     : image.scaled(CoverSide, CoverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  imgCover->setVisible(!image.isNull());
}

void TTagEditor::Clear() { ShowRow(TConversionRow()); }

TConversionRow TTagEditor::WrittenInto(TConversionRow row) const {
  row.Title = Edit1->text().toStdString();
  row.Artist = Edit2->text().toStdString();
  row.Album = Edit3->text().toStdString();
  row.Year = Edit4->text().toStdString();
  row.Comment = Edit6->text().toStdString();
  row.Genre = Genre().toStdString();
  return row;
}

QString TTagEditor::Genre() const { return ComboBox5->currentIndex() < 0 ? QString() : ComboBox5->currentText(); }

bool TTagEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier && FChanged) {
      ShowRow(FShown);
      return true;
    }
    // A closed genre list takes Enter as "+" too; an open one picks its entry first.
    if (watched == ComboBox5 && IsEnter(key) && !ComboBox5->view()->isVisible()) {
      emit WriteRequested();
      return true;
    }
  }
  return QGroupBox::eventFilter(watched, event);
}

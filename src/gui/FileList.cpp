#include "gui/FileList.h"

#include <cmath>

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "gui/Icons.h"

namespace {

constexpr int SecondsRole = Qt::UserRole + 1;
const QColor OddRowColour(245, 245, 245);
const QColor GridColour(216, 216, 216);

struct TColumnDesign {
  const char* Caption;
  int Width;  // 0: the list's default
  int Image;  // -1: none
};

constexpr TColumnDesign ColumnDesign[lcColumnCount] = {
    {"Track", 90, 12},  {"Title", 125, 16}, {"Status", 75, 21},   {"Artist", 125, 14}, {"Album", 125, 13},
    {"Year", 0, -1},    {"Genre", 75, 15},  {"Comment", 75, 22}, {"Duration", 0, -1},
};

// A path too long for its column keeps its start and its file name.
class TPathDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideMiddle;
  }
};

}  // namespace

QString DurationText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) {
    seconds = 0;
  }
  const long long total = std::llround(std::min(seconds, 1e12));
  return QStringLiteral("%1:%2:%3")
      .arg(total / 3600)
      .arg((total / 60) % 60, 2, 10, QLatin1Char('0'))
      .arg(total % 60, 2, 10, QLatin1Char('0'));
}

TFileList::TFileList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("ListView1"));
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAllColumnsShowFocus(true);
  setItemDelegateForColumn(lcTrack, new TPathDelegate(this));
  // The selection stays visible while another control has the focus.
  QPalette colours = palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   colours.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(colours);
  SetUpColumns();
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TFileList::SelectionChanged);
}

void TFileList::SetUpColumns() {
  setColumnCount(lcColumnCount);
  auto* header = new QTreeWidgetItem();
  for (int column = 0; column < lcColumnCount; ++column) {
    header->setText(column, QString::fromLatin1(ColumnDesign[column].Caption));
    if (ColumnDesign[column].Image >= 0) {
      header->setIcon(column, Icons::ListImage(ColumnDesign[column].Image));
    }
  }
  setHeaderItem(header);
  this->header()->setSectionsClickable(true);
  this->header()->setSectionsMovable(false);
  this->header()->setStretchLastSection(false);
  for (int column = 0; column < lcColumnCount; ++column) {
    if (ColumnDesign[column].Width > 0) {
      setColumnWidth(column, ColumnDesign[column].Width);
    }
  }
}

void TFileList::AppendRow(const TListRow& row) {
  auto* item = new QTreeWidgetItem();
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setText(lcTrack, row.Caption);
  item->setToolTip(lcTrack, row.Caption);
  item->setCheckState(lcTrack, Qt::Checked);
  item->setText(lcTitle, row.Title);
  item->setText(lcStatus, QStringLiteral("not converted"));
  item->setText(lcArtist, row.Artist);
  item->setText(lcAlbum, row.Album);
  item->setText(lcYear, row.Year);
  item->setText(lcGenre, row.Genre);
  item->setText(lcComment, row.Comment);
  item->setText(lcDuration, DurationText(row.Seconds));
  const double seconds = std::isfinite(row.Seconds) && row.Seconds > 0 ? std::min(row.Seconds, 2e9) : 0;
  item->setData(lcDuration, SecondsRole, static_cast<int>(std::lround(seconds)));
  addTopLevelItem(item);
}

QString TFileList::Text(int row, TListColumn column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->text(column) : QString();
}

void TFileList::SetText(int row, TListColumn column, const QString& text) {
  if (QTreeWidgetItem* item = topLevelItem(row)) {
    item->setText(column, text);
  }
}

int TFileList::Seconds(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->data(lcDuration, SecondsRole).toInt() : 0;
}

bool TFileList::Checked(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && item->checkState(lcTrack) == Qt::Checked;
}

void TFileList::SetChecked(int row, bool checked) {
  if (QTreeWidgetItem* item = topLevelItem(row)) {
    item->setCheckState(lcTrack, checked ? Qt::Checked : Qt::Unchecked);
  }
}

void TFileList::SetAllChecked(bool checked) {
  for (int row = 0; row < RowCount(); ++row) {
    SetChecked(row, checked);
  }
}

void TFileList::SetColumn(TListColumn column, const QString& text) {
  for (int row = 0; row < RowCount(); ++row) {
    SetText(row, column, text);
  }
}

QList<int> TFileList::SelectedRows() const {
  QList<int> rows;
  for (int row = 0; row < RowCount(); ++row) {
    if (topLevelItem(row)->isSelected()) {
      rows.append(row);
    }
  }
  return rows;
}

void TFileList::DeleteSelectedRows() {
  const QList<int> rows = SelectedRows();
  for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
    delete takeTopLevelItem(*row);
  }
}

void TFileList::SetTrackHeaderImage(int index) {
  FTrackHeaderImage = index;
  headerItem()->setIcon(lcTrack, Icons::ListImage(index));
}

void TFileList::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  painter->fillRect(option.rect, index.row() % 2 == 1 ? OddRowColour : QColor(Qt::white));
  QTreeWidget::drawRow(painter, option, index);
  // Grid lines, as in a report view.
  painter->save();
  painter->setPen(GridColour);
  painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
  for (int column = 0; column < columnCount(); ++column) {
    const int right = columnViewportPosition(column) + columnWidth(column) - 1;
    painter->drawLine(right, option.rect.top(), right, option.rect.bottom());
  }
  painter->restore();
}

void TFileList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    emit DeleteKeyPressed();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void TFileList::SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  // Unselected rows first, so the row the user just picked is the one the editor ends up showing.
  for (const QModelIndex& index : deselected.indexes()) {
    if (index.column() == lcTrack) {
      emit RowSelectionChanged(index.row());
    }
  }
  for (const QModelIndex& index : selected.indexes()) {
    if (index.column() == lcTrack) {
      emit RowSelectionChanged(index.row());
    }
  }
}

#include "gui/FileList.h"

#include <algorithm>

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Rows look the same whether or not the list has the focus, so the selection stays visible
// while the user types in the tag editor; a file name too long for its column keeps its end.
class TRowDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state |= QStyle::State_Active;
    if (index.column() == lcTrack) {
      option->textElideMode = Qt::ElideMiddle;
    }
  }
};

// A line between the cells, a little darker or lighter than the rows in any palette.
QColor GridColour(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  const auto mix = [](int a, int b) { return (a * 85 + b * 15) / 100; };
  return QColor(mix(base.red(), text.red()), mix(base.green(), text.green()), mix(base.blue(), text.blue()));
}

}  // namespace

TFileList::TFileList(QWidget* parent) : QTreeView(parent) {
  setObjectName(QStringLiteral("ListView1"));
  FModel = new TFileListModel(this);
  setModel(FModel);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSortingEnabled(false);
  setAlternatingRowColors(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAllColumnsShowFocus(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setItemDelegate(new TRowDelegate(this));
  SetUpColumns();
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TFileList::SelectionChanged);
}

void TFileList::SetUpColumns() {
  QHeaderView* columns = header();
  columns->setSectionsClickable(true);
  columns->setSectionsMovable(false);
  columns->setStretchLastSection(false);
  columns->setMinimumSectionSize(60);
  // Title and Artist take the room the window has; the others are as wide as what they show.
  for (int column = 0; column < lcColumnCount; ++column) {
    const bool stretch = column == lcTitle || column == lcArtist;
    columns->setSectionResizeMode(column, stretch ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
  }
}

QString TFileList::Text(int row, TListColumn column) const {
  return FModel->data(FModel->index(row, column), Qt::DisplayRole).toString();
}

QList<int> TFileList::SelectedRows() const {
  QList<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    rows.append(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TFileList::SelectRows(const QList<int>& rows) {
  QItemSelection selection;
  for (int row : rows) {
    selection.select(FModel->index(row, 0), FModel->index(row, lcColumnCount - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!rows.isEmpty()) {
    selectionModel()->setCurrentIndex(FModel->index(rows.last(), 0), QItemSelectionModel::NoUpdate);
  }
}

void TFileList::SetEmptyHint(const QString& text) {
  FEmptyHint = text;
  viewport()->update();
}

void TFileList::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QTreeView::drawRow(painter, option, index);
  painter->save();
  painter->setPen(GridColour(palette()));
  painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
  for (int column = 0; column < lcColumnCount; ++column) {
    const int right = columnViewportPosition(column) + columnWidth(column) - 1;
    painter->drawLine(right, option.rect.top(), right, option.rect.bottom());
  }
  painter->restore();
}

void TFileList::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (FModel->RowCount() > 0) {
    return;
  }
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap, FEmptyHint);
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

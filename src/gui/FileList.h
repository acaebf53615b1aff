#pragma once

// The main window's file list: a report view of TFileListModel with check boxes, grid lines and
// whole-row selection, in the palette's colours. An empty list says where files come from.

#include <QList>
#include <QString>
#include <QTreeView>

#include "gui/FileListModel.h"

class TFileList : public QTreeView {
  Q_OBJECT
public:
  explicit TFileList(QWidget* parent = nullptr);

  TFileListModel& Model() const { return *FModel; }
  int RowCount() const { return FModel->RowCount(); }
  // What the list shows in a cell.
  QString Text(int row, TListColumn column) const;
  bool Checked(int row) const { return row >= 0 && row < RowCount() && FModel->Row(row).Checked; }
  // Positions of the selected rows, in list order.
  QList<int> SelectedRows() const;
  void SelectRows(const QList<int>& rows);

  void SetEmptyHint(const QString& text);

signals:
  // For the row that became selected and for one that became unselected.
  void RowSelectionChanged(int row);

protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paintEvent(QPaintEvent* event) override;

private:
  void SetUpColumns();
  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

  TFileListModel* FModel = nullptr;
  QString FEmptyHint = QStringLiteral("Drop audio files or folders here");
};

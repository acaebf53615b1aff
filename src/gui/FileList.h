#pragma once

// The main window's file list: one checkable row per input file with its tag texts, status and
// playing time, never sorted, so a row's position is its track number.

#include <QString>
#include <QStringList>
#include <QTreeWidget>

// The columns, in order; the row caption (the input path) sits in ltTrack.
enum TListColumn {
  lcTrack,
  lcTitle,
  lcStatus,
  lcArtist,
  lcAlbum,
  lcYear,
  lcGenre,
  lcComment,
  lcDuration,
  lcColumnCount
};

// The texts of one row as they enter the list.
struct TListRow {
  QString Caption;
  QString Title;
  QString Artist;
  QString Album;
  QString Year;
  QString Genre;
  QString Comment;
  double Seconds = 0;
};

// "H:MM:SS" for a playing time, rounded to the second; a negative or unreadable time reads 0:00:00.
QString DurationText(double seconds);

class TFileList : public QTreeWidget {
  Q_OBJECT
public:
  explicit TFileList(QWidget* parent = nullptr);

  void AppendRow(const TListRow& row);
  int RowCount() const { return topLevelItemCount(); }
  QString Text(int row, TListColumn column) const;
  void SetText(int row, TListColumn column, const QString& text);
  // The row's playing time as read from the file, not as displayed.
  int Seconds(int row) const;
  bool Checked(int row) const;
  void SetChecked(int row, bool checked);
  void SetAllChecked(bool checked);
  // Sets `column` of every row to `text`.
  void SetColumn(TListColumn column, const QString& text);
  // Positions of the selected rows, in list order.
  QList<int> SelectedRows() const;
  void DeleteSelectedRows();

  // The image index shown in the "Track" header: 12 (all checked) or 11 (all unchecked).
  int TrackHeaderImage() const { return FTrackHeaderImage; }
  void SetTrackHeaderImage(int index);

signals:
  void DeleteKeyPressed();
  // For the row that became selected and for one that became unselected.
  void RowSelectionChanged(int row);

protected:
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void SetUpColumns();
  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

  int FTrackHeaderImage = 12;
};

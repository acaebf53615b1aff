#pragma once

// The rows of the main window's list: the core's conversion rows with where each stands in the
// batches, as values. The list is never sorted, so a row's position is its track number; the
// views only format what the model holds.

#include <array>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

#include "app/ConversionRow.h"

// The columns, in order; the check box and the input file sit in lcTrack.
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

// Where a row stands: before any batch, queued in a running one, being converted, or how its
// last conversion ended. rsReported is an ending the driver names in its own words.
enum TRowState { rsNotConverted, rsWaiting, rsConverting, rsComplete, rsStopped, rsFailed, rsReported };

struct TRowStatus {
  TRowState State = rsNotConverted;
  int Percent = 0;  // rsConverting: 0 to 100
  QString Note;     // rsFailed: why; rsReported: the driver's words
};

struct TListEntry {
  TConversionRow Row;
  TRowStatus Status;
};

// The status column's words, as the language file gives them.
struct TStatusWords {
  QString NotConverted = QStringLiteral("not converted");
  QString Waiting = QStringLiteral("Waiting");
  QString Converting = QStringLiteral("%1% Done");  // %1: the percentage
  QString Complete = QStringLiteral("Complete");
  QString Stopped = QStringLiteral("Stopped");
  QString Failed = QStringLiteral("Failed");
};

class TFileListModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TFileListModel(QObject* parent = nullptr);

  int RowCount() const { return static_cast<int>(FEntries.size()); }
  const TListEntry& Entry(int row) const { return FEntries.at(static_cast<size_t>(row)); }
  const TConversionRow& Row(int row) const { return Entry(row).Row; }
  QString StatusText(const TRowStatus& status) const;

  // Inserts each entry at its position; positions ascending, each counted in the list after the
  // entries before it went in.
  void Insert(const std::vector<std::pair<int, TListEntry>>& entries);
  void Append(const std::vector<TListEntry>& entries);
  // `rows` ascending.
  void Remove(const std::vector<int>& rows);
  void Clear();
  // The row's tags and check state; its status stays.
  void SetRow(int row, const TConversionRow& values);
  void SetStatus(int row, const TRowStatus& status);
  void SetStatusWords(const TStatusWords& words);
  // While locked (a batch runs) the check boxes do not change with a click.
  void SetLocked(bool locked) { FLocked = locked; }

  // The image of the "Track" header: 12 (all checked) or 11 (all unchecked).
  int TrackHeaderImage() const { return FTrackHeaderImage; }
  void SetTrackHeaderImage(int index);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

private:
  QString Display(const TListEntry& entry, int column) const;
  void RowChanged(int row);

  std::vector<TListEntry> FEntries;
  TStatusWords FWords;
  std::array<QString, lcColumnCount> FCaptions;
  std::array<QString, lcColumnCount> FHeaderHints;
  int FTrackHeaderImage = 12;
  bool FLocked = false;
};

#include "gui/FileListModel.h"

#include <algorithm>

#include <QFileInfo>

#include "gui/Icons.h"

namespace {

struct TColumnDesign {
  const char* Caption;
  int Image;  // -1: none
};

constexpr TColumnDesign ColumnDesign[lcColumnCount] = {
    {"Track", 12}, {"Title", 16}, {"Status", 21},  {"Artist", 14},  {"Album", 13},
    {"Year", -1},  {"Genre", 15}, {"Comment", 22}, {"Duration", -1},
};

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {
  for (int column = 0; column < lcColumnCount; ++column) {
    FCaptions[column] = QString::fromLatin1(ColumnDesign[column].Caption);
  }
}

QString TFileListModel::StatusText(const TRowStatus& status) const {
  switch (status.State) {
    case rsNotConverted: return FWords.NotConverted;
    case rsWaiting: return FWords.Waiting;
    case rsConverting: return FWords.Converting.arg(status.Percent);
    case rsComplete: return FWords.Complete;
    case rsStopped: return FWords.Stopped;
    case rsFailed: return FWords.Failed;
    case rsReported: return status.Note;
  }
  return {};
}

QString TFileListModel::Display(const TListEntry& entry, int column) const {
  const TConversionRow& row = entry.Row;
  switch (column) {
    case lcTrack: return QFileInfo(Q(row.FileName)).fileName();
    case lcTitle: return Q(row.Title);
    case lcStatus: return StatusText(entry.Status);
    case lcArtist: return Q(row.Artist);
    case lcAlbum: return Q(row.Album);
    case lcYear: return Q(row.Year);
    case lcGenre: return Q(row.Genre);
    case lcComment: return Q(row.Comment);
    case lcDuration: return Q(row.Duration);
    default: return {};
  }
}

void TFileListModel::Insert(const std::vector<std::pair<int, TListEntry>>& entries) {
  for (size_t first = 0; first < entries.size();) {
    // One insertion per run of neighbouring positions.
    size_t last = first;
    while (last + 1 < entries.size() && entries[last + 1].first == entries[last].first + 1) {
      ++last;
    }
    const int position = std::clamp(entries[first].first, 0, RowCount());
    beginInsertRows({}, position, position + static_cast<int>(last - first));
    for (size_t i = first; i <= last; ++i) {
      FEntries.insert(FEntries.begin() + position + static_cast<int>(i - first), entries[i].second);
    }
    endInsertRows();
    first = last + 1;
  }
}

void TFileListModel::Append(const std::vector<TListEntry>& entries) {
  if (entries.empty()) {
    return;
  }
  beginInsertRows({}, RowCount(), RowCount() + static_cast<int>(entries.size()) - 1);
  FEntries.insert(FEntries.end(), entries.begin(), entries.end());
  endInsertRows();
}

void TFileListModel::Remove(const std::vector<int>& rows) {
  // From the end, one removal per run of neighbouring rows.
  for (auto last = rows.rbegin(); last != rows.rend();) {
    auto first = last;
    while (std::next(first) != rows.rend() && *std::next(first) == *first - 1) {
      ++first;
    }
    if (*first >= 0 && *last < RowCount()) {
      beginRemoveRows({}, *first, *last);
      FEntries.erase(FEntries.begin() + *first, FEntries.begin() + *last + 1);
      endRemoveRows();
    }
    last = std::next(first);
  }
}

void TFileListModel::Clear() {
  beginResetModel();
  FEntries.clear();
  endResetModel();
}

void TFileListModel::SetRow(int row, const TConversionRow& values) {
  if (row < 0 || row >= RowCount()) {
    return;
  }
  FEntries[static_cast<size_t>(row)].Row = values;
  RowChanged(row);
}

void TFileListModel::SetStatus(int row, const TRowStatus& status) {
  if (row < 0 || row >= RowCount()) {
    return;
  }
  TRowStatus& kept = FEntries[static_cast<size_t>(row)].Status;
  kept = status;
  kept.Percent = std::clamp(status.Percent, 0, 100);
  emit dataChanged(index(row, lcStatus), index(row, lcStatus));
}

void TFileListModel::SetStatusWords(const TStatusWords& words) {
  FWords = words;
  if (RowCount() > 0) {
    emit dataChanged(index(0, lcStatus), index(RowCount() - 1, lcStatus));
  }
}

void TFileListModel::SetTrackHeaderImage(int index) {
  FTrackHeaderImage = index;
  emit headerDataChanged(Qt::Horizontal, lcTrack, lcTrack);
}

void TFileListModel::RowChanged(int row) { emit dataChanged(index(row, 0), index(row, lcColumnCount - 1)); }

int TFileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

int TFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : lcColumnCount; }

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= RowCount()) {
    return {};
  }
  const TListEntry& entry = Entry(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return Display(entry, index.column());
    case Qt::ToolTipRole:
      if (index.column() == lcTrack) {
        return Q(entry.Row.FileName);
      }
      if (index.column() == lcStatus && entry.Status.State == rsFailed) {
        return entry.Status.Note;
      }
      return {};
    case Qt::CheckStateRole:
      if (index.column() == lcTrack) {
        return entry.Row.Checked ? Qt::Checked : Qt::Unchecked;
      }
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == lcDuration) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    default:
      return {};
  }
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != lcTrack || role != Qt::CheckStateRole || FLocked) {
    return false;
  }
  TConversionRow values = Row(index.row());
  values.Checked = value.toInt() == Qt::Checked;
  SetRow(index.row(), values);
  return true;
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == lcTrack) {
    flags |= Qt::ItemIsUserCheckable;
  }
  return flags;
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= lcColumnCount) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
      return FCaptions[section];
    case Qt::ToolTipRole:
      return FHeaderHints[section].isEmpty() ? QVariant() : QVariant(FHeaderHints[section]);
    case Qt::DecorationRole: {
      const int image = section == lcTrack ? FTrackHeaderImage : ColumnDesign[section].Image;
      return image >= 0 ? QVariant(Icons::ListImage(image)) : QVariant();
    }
    default:
      return {};
  }
}

bool TFileListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
  if (orientation != Qt::Horizontal || section < 0 || section >= lcColumnCount ||
      (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
    return false;
  }
  (role == Qt::DisplayRole ? FCaptions : FHeaderHints)[section] = value.toString();
  emit headerDataChanged(Qt::Horizontal, section, section);
  return true;
}

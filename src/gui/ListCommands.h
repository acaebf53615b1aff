#pragma once

// The list's edits as undoable commands: rows added, rows removed, and rows whose tags or check
// state changed ("+", the tag editor, a header click that sets a column, Check and Uncheck).

#include <vector>

#include <QUndoCommand>

#include "gui/FileListModel.h"

// Sets rows to new values; undo gives them their old ones back. Statuses are not part of it.
class TEditRowsCommand : public QUndoCommand {
public:
  // `rows` and `values` are parallel.
  TEditRowsCommand(TFileListModel& model, const QString& text, std::vector<int> rows,
                   std::vector<TConversionRow> values);

  void redo() override;
  void undo() override;

private:
  TFileListModel& FModel;
  std::vector<int> FRows;
  std::vector<TConversionRow> FBefore;
  std::vector<TConversionRow> FAfter;
};

class TAddRowsCommand : public QUndoCommand {
public:
  TAddRowsCommand(TFileListModel& model, const QString& text, std::vector<TListEntry> entries);

  void redo() override;
  void undo() override;

private:
  TFileListModel& FModel;
  std::vector<TListEntry> FEntries;
  int FPosition = 0;
};

// Removes rows; undo puts them back where they were, statuses included.
class TRemoveRowsCommand : public QUndoCommand {
public:
  // `rows` ascending.
  TRemoveRowsCommand(TFileListModel& model, const QString& text, std::vector<int> rows);

  void redo() override;
  void undo() override;

private:
  TFileListModel& FModel;
  std::vector<int> FRows;
  std::vector<std::pair<int, TListEntry>> FRemoved;
};

#include "gui/ListCommands.h"

TEditRowsCommand::TEditRowsCommand(TFileListModel& model, const QString& text, std::vector<int> rows,
                                   std::vector<TConversionRow> values)
    : QUndoCommand(text), FModel(model), FRows(std::move(rows)), FAfter(std::move(values)) {
  for (int row : FRows) {
    FBefore.push_back(FModel.Row(row));
  }
}

void TEditRowsCommand::redo() {
  for (size_t i = 0; i < FRows.size(); ++i) {
    FModel.SetRow(FRows[i], FAfter[i]);
  }
}

void TEditRowsCommand::undo() {
  for (size_t i = 0; i < FRows.size(); ++i) {
    FModel.SetRow(FRows[i], FBefore[i]);
  }
}

TAddRowsCommand::TAddRowsCommand(TFileListModel& model, const QString& text, std::vector<TListEntry> entries)
    : QUndoCommand(text), FModel(model), FEntries(std::move(entries)), FPosition(model.RowCount()) {}

void TAddRowsCommand::redo() { FModel.Append(FEntries); }

void TAddRowsCommand::undo() {
  std::vector<int> rows;
  for (int i = 0; i < static_cast<int>(FEntries.size()); ++i) {
    rows.push_back(FPosition + i);
  }
  FModel.Remove(rows);
}

TRemoveRowsCommand::TRemoveRowsCommand(TFileListModel& model, const QString& text, std::vector<int> rows)
    : QUndoCommand(text), FModel(model), FRows(std::move(rows)) {
  for (int row : FRows) {
    FRemoved.emplace_back(row, FModel.Entry(row));
  }
}

void TRemoveRowsCommand::redo() { FModel.Remove(FRows); }

void TRemoveRowsCommand::undo() { FModel.Insert(FRemoved); }

// The list's edits: the tag editor and "+", the header clicks that set a column, Delete. Each is
// one undoable command; an edit left in the editor is never lost by moving to another row.

#include <QLineEdit>
#include <QUndoStack>

#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/ListCommands.h"
#include "gui/TagEditor.h"

void TFrmConverter::EditRows(const QString& text, const std::vector<int>& rows,
                             const std::vector<TConversionRow>& values) {
  if (!rows.empty()) {
    FUndo->push(new TEditRowsCommand(ListView1->Model(), text, rows, values));
  }
}

void TFrmConverter::SpeedButton2Click() {
  const QList<int> selected = ListView1->SelectedRows();
  if (selected.isEmpty() || Converting()) {
    return;
  }
  const int row = selected.first();
  EditRows(QStringLiteral("Edit tags"), {row}, {GroupBox2->WrittenInto(ListView1->Model().Row(row))});
  GroupBox2->MarkSaved();
}

void TFrmConverter::KeepEditorEdit() {
  if (GroupBox2->Changed() && FEditorRow.isValid() && !Converting()) {
    const int row = FEditorRow.row();
    EditRows(QStringLiteral("Edit tags"), {row}, {GroupBox2->WrittenInto(ListView1->Model().Row(row))});
  }
  GroupBox2->MarkSaved();
}

void TFrmConverter::ShowEditorRow() {
  // After an undo the editor shows the row as it now is, unless the user is typing in it.
  if (!GroupBox2->Changed() && FEditorRow.isValid()) {
    GroupBox2->ShowRow(ListView1->Model().Row(FEditorRow.row()));
  }
}

void TFrmConverter::ListView1SelectItem(int row) {
  if (row < 0 || row >= ListView1->RowCount()) {
    return;
  }
  KeepEditorEdit();
  FEditorRow = ListView1->Model().index(row, 0);
  GroupBox2->ShowRow(ListView1->Model().Row(row));
}

void TFrmConverter::ListView1ColumnClick(int column) {
  if (Converting()) {
    return;
  }
  TFileListModel& model = ListView1->Model();
  if (column == lcTrack) {
    const int image = model.TrackHeaderImage() == 11 ? 12 : 11;
    model.SetTrackHeaderImage(image);
    QList<int> rows;
    for (int row = 0; row < model.RowCount(); ++row) {
      rows << row;
    }
    SetChecked(rows, image == 12);
    return;
  }
  // Title, Status and Duration set nothing.
  if (column < lcArtist || column > lcComment) {
    return;
  }
  const std::string value = (column == lcArtist  ? Edit2->text()
                             : column == lcAlbum ? Edit3->text()
                             : column == lcYear  ? Edit4->text()
                             : column == lcGenre ? GroupBox2->Genre()
                                                 : Edit6->text())
                                .toStdString();
  std::vector<int> rows;
  std::vector<TConversionRow> values;
  for (int row = 0; row < model.RowCount(); ++row) {
    TConversionRow changed = model.Row(row);
    std::string& field = column == lcArtist  ? changed.Artist
                         : column == lcAlbum ? changed.Album
                         : column == lcYear  ? changed.Year
                         : column == lcGenre ? changed.Genre
                                             : changed.Comment;
    field = value;
    rows.push_back(row);
    values.push_back(changed);
  }
  EditRows(QStringLiteral("Set column"), rows, values);
}

void TFrmConverter::ListView1KeyDelete() {
  if (Converting()) {
    return;
  }
  const QList<int> selected = ListView1->SelectedRows();
  if (FEditorRow.isValid() && !selected.contains(FEditorRow.row())) {
    KeepEditorEdit();
  }
  if (!selected.isEmpty()) {
    FUndo->push(new TRemoveRowsCommand(ListView1->Model(), QStringLiteral("Remove"),
                                       std::vector<int>(selected.begin(), selected.end())));
  }
  FEditorRow = QPersistentModelIndex();
  GroupBox2->Clear();
}

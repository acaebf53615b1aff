// The main window's menu bar, shortcuts and row menu.

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUndoStack>
#include <QUrl>

#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/ListCommands.h"
#include "tags/SongInformation.h"

namespace {

QMenu* NamedMenu(QMenuBar* bar, const char* name, const char* title) {
  QMenu* menu = bar->addMenu(QString::fromUtf8(title));
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

}  // namespace

void TFrmConverter::BuildMenus() {
  auto action = [this](const char* name, const char* text, const QKeySequence& shortcut, auto handler) {
    auto* item = new QAction(QString::fromUtf8(text), this);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, handler);
    return item;
  };
  actOpenFiles = action("actOpenFiles", "&Open Files...", QKeySequence(Qt::CTRL | Qt::Key_O),
                        &TFrmConverter::ToolButton1Click);
  actAddFolder = action("actAddFolder", "Add &Folder...", {}, &TFrmConverter::AddFolderClick);
  actQuit = action("actQuit", "&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), &TFrmConverter::close);
  actUndo = action("actUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { FUndo->undo(); });
  actSelectAll = action("actSelectAll", "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A),
                        [this] { ListView1->selectAll(); });
  actRemove = action("actRemove", "&Remove", QKeySequence(Qt::Key_Delete), &TFrmConverter::ListView1KeyDelete);
  actCheckAll = action("actCheckAll", "&Check All", {}, [this] {
    QList<int> rows;
    for (int row = 0; row < ListView1->RowCount(); ++row) {
      rows << row;
    }
    SetChecked(rows, true);
  });
  actUncheckAll = action("actUncheckAll", "U&ncheck All", {}, [this] {
    QList<int> rows;
    for (int row = 0; row < ListView1->RowCount(); ++row) {
      rows << row;
    }
    SetChecked(rows, false);
  });
  actCheck = action("actCheck", "&Check", {}, [this] { SetChecked(ListView1->SelectedRows(), true); });
  actUncheck = action("actUncheck", "&Uncheck", {}, [this] { SetChecked(ListView1->SelectedRows(), false); });
  actOpenFolder = action("actOpenFolder", "Open Containing &Folder", {}, &TFrmConverter::OpenContainingFolder);
  actFileInfo = action("actFileInfo", "Show File &Info", {}, &TFrmConverter::ShowFileInfo);
  actConvert = action("actConvert", "&Convert", QKeySequence(Qt::CTRL | Qt::Key_Return),
                      &TFrmConverter::ToolButton3Click);
  actConvert->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  actStop = action("actStop", "&Stop", QKeySequence(Qt::Key_Escape), &TFrmConverter::ToolButton4Click);
  actStop->setEnabled(false);
  actOptions = action("actOptions", "&Options...", QKeySequence(Qt::CTRL | Qt::Key_Comma),
                      &TFrmConverter::ToolButton6Click);
  actAbout = action("actAbout", "&About Kestrune", QKeySequence(Qt::Key_F1), &TFrmConverter::ToolButton9Click);
  actUndo->setEnabled(false);
  connect(FUndo, &QUndoStack::canUndoChanged, this, [this](bool can) { actUndo->setEnabled(can && !Converting()); });
  // Delete removes rows only while the list has the focus; in an editor field it deletes text.
  actRemove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  ListView1->addAction(actRemove);

  QMenuBar* bar = menuBar();
  QMenu* file = NamedMenu(bar, "mnuFile", "&File");
  file->addActions({actOpenFiles, actAddFolder});
  file->addSeparator();
  file->addAction(actQuit);
  QMenu* edit = NamedMenu(bar, "mnuEdit", "&Edit");
  edit->addAction(actUndo);
  edit->addSeparator();
  edit->addActions({actSelectAll, actRemove});
  edit->addSeparator();
  edit->addActions({actCheckAll, actUncheckAll});
  QMenu* convert = NamedMenu(bar, "mnuConvert", "&Convert");
  convert->addActions({actConvert, actStop});
  convert->addSeparator();
  convert->addAction(actOptions);
  QMenu* help = NamedMenu(bar, "mnuHelp", "&Help");
  help->addAction(actAbout);
}

void TFrmConverter::ShowRowMenu(const QPoint& position) {
  const QModelIndex index = ListView1->indexAt(position);
  if (index.isValid() && !ListView1->selectionModel()->isRowSelected(index.row(), {})) {
    ListView1->SelectRows({index.row()});
  }
  const bool onRow = index.isValid();
  actOpenFolder->setEnabled(onRow);
  actFileInfo->setEnabled(onRow);
  QMenu menu(this);
  menu.addActions({actRemove, actCheck, actUncheck});
  menu.addSeparator();
  menu.addActions({actOpenFolder, actFileInfo});
  menu.exec(ListView1->viewport()->mapToGlobal(position));
}

void TFrmConverter::SetChecked(const QList<int>& rows, bool checked) {
  std::vector<int> changed;
  std::vector<TConversionRow> values;
  for (int row : rows) {
    TConversionRow value = ListView1->Model().Row(row);
    if (value.Checked != checked) {
      value.Checked = checked;
      changed.push_back(row);
      values.push_back(value);
    }
  }
  EditRows(checked ? QStringLiteral("Check") : QStringLiteral("Uncheck"), changed, values);
}

void TFrmConverter::OpenContainingFolder() {
  const QModelIndex current = ListView1->currentIndex();
  if (current.isValid()) {
    const QFileInfo file(QString::fromStdString(ListView1->Model().Row(current.row()).FileName));
    QDesktopServices::openUrl(QUrl::fromLocalFile(file.absolutePath()));
  }
}

void TFrmConverter::ShowFileInfo() {
  const QModelIndex current = ListView1->currentIndex();
  if (!current.isValid()) {
    return;
  }
  const std::string fileName = ListView1->Model().Row(current.row()).FileName;
  const SongInformation info = ReadSongInformation(fileName);
  const MPEGInfo& stream = info.StreamInfo;
  QStringList lines;
  auto line = [&](const char* key, const std::string& value) {
    if (!value.empty()) {
      lines << FTexts.Text(key) + QStringLiteral(": ") + QString::fromStdString(value);
    }
  };
  line("InfoFile", fileName);
  line("InfoFormat", stream.Format);
  line("InfoDuration", ListView1->Model().Row(current.row()).Duration);
  line("InfoBitRate", stream.BitRate);
  line("InfoSampleRate", stream.SampleRate);
  line("InfoChannels", stream.ChannelMode);
  line("InfoSize", stream.FileSize);
  line("InfoEncoder", stream.EncoderName.empty() ? info.Encoder : stream.EncoderName);
  line("InfoTag", info.TagVersion);
  QMessageBox box(QMessageBox::Information, actFileInfo->text().remove(QLatin1Char('&')), lines.join(QLatin1Char('\n')),
                  QMessageBox::Close, this);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

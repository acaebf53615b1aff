// Convert and Stop: the batch runs on the driver's thread while the window shows each row's
// progress and ending as the reports come in.

#include <algorithm>

#include <QAction>
#include <QProgressBar>
#include <QToolButton>
#include <QUndoStack>

#include "app/ConversionDriver.h"
#include "gui/AboutFrm.h"
#include "gui/ConversionView.h"
#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/StatusPanels.h"
#include "gui/TagEditor.h"

namespace {

bool Ended(TRowState state) { return state != rsNotConverted && state != rsWaiting && state != rsConverting; }

}  // namespace

void TFrmConverter::ConnectBatch() {
  connect(FView.get(), &TConversionView::RowStarted, this, &TFrmConverter::BatchRowStarted);
  connect(FView.get(), &TConversionView::RowProgress, this, &TFrmConverter::BatchRowProgress);
  connect(FView.get(), &TConversionView::RowEnded, this, &TFrmConverter::BatchRowEnded);
  connect(FView.get(), &TConversionView::TotalProgress, this, [this](int position, int maximum) {
    ProgressBar2->setMaximum(std::max(maximum, 1));
    ProgressBar2->setValue(std::clamp(position, 0, std::max(maximum, 1)));
  });
  connect(FView.get(), &TConversionView::BatchEnded, this, &TFrmConverter::BatchEnded);
  connect(FView.get(), &TConversionView::Informed, this, [this](const QString& text, const QString& title) {
    if (FInformer) {
      FInformer(text, title);
    }
  });
  connect(FView.get(), &TConversionView::Finished, this, &TFrmConverter::BatchFinishedWith);
}

void TFrmConverter::ToolButton3Click() {
  if (Converting()) {
    return;
  }
  KeepEditorEdit();
  TFileListModel& model = ListView1->Model();
  std::vector<TConversionRow> rows;
  FBatchRows.clear();
  for (int row = 0; row < model.RowCount(); ++row) {
    rows.push_back(model.Row(row));
    FBatchRows.push_back({model.index(row, 0), model.Entry(row).Status});
    if (model.Row(row).Checked) {
      model.SetStatus(row, {rsWaiting, 0, {}});
    }
  }
  FBatchSettings = FSettings;
  FStatusBar->SetPanelText(0, QString());
  ProgressBar1->setValue(0);
  ProgressBar2->setRange(0, std::max(model.RowCount(), 1));
  ProgressBar2->setValue(0);
  ShowBatchState(true);
  FView->Start(std::move(rows));
}

void TFrmConverter::ToolButton4Click() {
  if (Converting()) {
    FView->Stop();
    ToolButton4->setEnabled(false);
    actStop->setEnabled(false);
  }
}

void TFrmConverter::ToolButton9Click() {
  auto* about = new TAboutFrm(this);
  about->setWindowIcon(windowIcon());
  about->ShowAnimated();
}

int TFrmConverter::BatchRow(int row) const {
  if (row < 1 || static_cast<size_t>(row) > FBatchRows.size()) {
    return -1;
  }
  const QPersistentModelIndex& index = FBatchRows[static_cast<size_t>(row - 1)].Index;
  return index.isValid() ? index.row() : -1;
}

void TFrmConverter::BatchRowStarted(int row) { BatchRowProgress(row, 0); }

void TFrmConverter::BatchRowProgress(int row, int percent) {
  ListView1->Model().SetStatus(BatchRow(row), {rsConverting, percent, {}});
  ShowRunningProgress();
}

void TFrmConverter::BatchRowEnded(int row, TRowState state, const QString& note) {
  ListView1->Model().SetStatus(BatchRow(row), {state, 100, note});
  if (state == rsFailed) {
    FStatusBar->SetPanelText(0, note);
  }
  ShowRunningProgress();
}

void TFrmConverter::BatchEnded() {
  TFileListModel& model = ListView1->Model();
  for (const TBatchRow& batch : FBatchRows) {
    if (!batch.Index.isValid()) {
      continue;
    }
    const int row = batch.Index.row();
    const TRowState state = model.Entry(row).Status.State;
    if (state == rsWaiting) {
      // Never reached: the row is as it was before the batch.
      model.SetStatus(row, batch.Before);
    } else if (state == rsConverting) {
      model.SetStatus(row, {rsStopped, 0, {}});
    }
  }
}

void TFrmConverter::BatchFinishedWith(const QString& error) {
  if (!error.isEmpty()) {
    FStatusBar->SetPanelText(0, error);
  }
  BatchEnded();
  FBatchRows.clear();
  ShowBatchState(false);
  if (FCloseWhenDone) {
    FCloseWhenDone = false;
    close();
  }
  emit BatchFinished();
}

void TFrmConverter::ShowBatchState(bool running) {
  ToolButton3->setEnabled(!running);
  actConvert->setEnabled(!running);
  ToolButton4->setEnabled(running);
  actStop->setEnabled(running);
  // The list stays usable for looking; only what would change it waits for the batch.
  GroupBox2->setEnabled(!running);
  for (QAction* edit : {actRemove, actCheck, actUncheck, actCheckAll, actUncheckAll}) {
    edit->setEnabled(!running);
  }
  actUndo->setEnabled(!running && FUndo->canUndo());
  ListView1->Model().SetLocked(running);
  if (!running) {
    setWindowTitle(QStringLiteral("Kestrune"));
  }
}

void TFrmConverter::ShowRunningProgress() {
  const TFileListModel& model = ListView1->Model();
  int rows = 0;
  int running = 0;
  int runningPercent = 0;
  int total = 0;
  for (const TBatchRow& batch : FBatchRows) {
    if (!batch.Index.isValid() || !model.Row(batch.Index.row()).Checked) {
      continue;
    }
    const TRowStatus& status = model.Entry(batch.Index.row()).Status;
    ++rows;
    if (status.State == rsConverting) {
      ++running;
      runningPercent += status.Percent;
      total += status.Percent;
    } else if (Ended(status.State)) {
      total += 100;
    }
  }
  // The current bar shows the running rows together; when none runs, the last one's end.
  ProgressBar1->setValue(running > 0 ? runningPercent / running : 100);
  if (rows > 0 && Converting()) {
    setWindowTitle(QStringLiteral("%1% - Kestrune").arg(total / rows));
  }
}

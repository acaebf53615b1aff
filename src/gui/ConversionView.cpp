#include "gui/ConversionView.h"

#include <algorithm>
#include <chrono>

#include <QCoreApplication>
#include <QProgressBar>
#include <QToolButton>

#include "gui/FileList.h"
#include "gui/FrmConverter.h"
#include "gui/StatusPanels.h"

std::string BoundedStatus(const std::string& status) {
  static const std::string Done = "% Done";
  if (status.size() <= Done.size() || status.compare(status.size() - Done.size(), Done.size(), Done) != 0) {
    return status;
  }
  const std::string number = status.substr(0, status.size() - Done.size());
  int32_t percent = 0;
  if (!ParseDecimal(number, percent)) {
    return status;
  }
  return std::to_string(std::clamp(percent, 0, 100)) + Done;
}

void TConversionView::BatchStarted(int32_t) {
  FWindow.ShowBatchState(true);
  FWindow.FStatusBar->SetPanelText(0, QString());
  FWindow.ProgressBar1->setValue(0);
}

void TConversionView::FileProgress(int32_t, int32_t percent) {
  const int bounded = std::clamp(percent, 0, 100);
  FWindow.ProgressBar1->setValue(bounded);
  FWindow.ShowTitleProgress(bounded);
}

void TConversionView::RowStatus(int32_t row, const std::string& status) {
  const int listRow = FWindow.BatchRow(row);
  if (listRow >= 0) {
    FWindow.ListView1->SetText(listRow, lcStatus, QString::fromStdString(BoundedStatus(status)));
  }
  if (status == "Complete") {
    FWindow.ProgressBar1->setValue(100);
  }
}

void TConversionView::RowFailed(int32_t, const std::string& message) {
  // The batch waits on this row until Stop; meanwhile the list can be used again.
  FWindow.Panel1->setEnabled(true);
  FWindow.FStatusBar->SetPanelText(0, QString::fromStdString(message));
}

void TConversionView::TotalProgress(int32_t position, int32_t maximum) {
  FWindow.ProgressBar2->setMaximum(std::max(maximum, 1));
  FWindow.ProgressBar2->setValue(std::clamp(position, 0, std::max(maximum, 1)));
}

void TConversionView::BatchEnded(const TBatchResult&) { FWindow.ShowBatchState(false); }

void TConversionView::Inform(const std::string& text, const std::string& title) {
  if (FWindow.FInformer) {
    FWindow.FInformer(QString::fromStdString(text), QString::fromStdString(title));
  }
}

void TConversionView::WaitForRow(TRowWait& wait) {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  wait.WaitFor(std::chrono::milliseconds(10));
}

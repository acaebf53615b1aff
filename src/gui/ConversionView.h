#pragma once

// A batch run off the window's thread: the driver converts on a thread of its own, and what it
// reports reaches the window through queued calls, in the order it was reported, as signals
// emitted on the window's thread. Rows are the driver's row numbers (1-based); several rows may
// be running at once, so everything names its row.

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <QObject>
#include <QString>

#include "app/ConversionDriver.h"
#include "gui/FileListModel.h"

class TConversionView : public QObject {
  Q_OBJECT
public:
  // `driver` must outlive the view.
  explicit TConversionView(TConversionDriver& driver, QObject* parent = nullptr);
  // A running batch is stopped and waited for.
  ~TConversionView() override;

  // From Start until Finished has been emitted.
  bool Running() const { return FThread.joinable(); }
  bool Stopping() const { return FStopping; }
  // Converts `rows` on the batch thread; the driver reads its settings there.
  void Start(std::vector<TConversionRow> rows);
  // Asks the batch to end; the running files are finished and their rows read Stopped.
  void Stop();

signals:
  void RowStarted(int row);
  void RowProgress(int row, int percent);
  // rsComplete, rsStopped, rsFailed (`note`: why) or rsReported (`note`: the driver's words).
  void RowEnded(int row, TRowState state, const QString& note);
  void TotalProgress(int position, int maximum);
  // Every row's ending has been reported.
  void BatchEnded();
  void Informed(const QString& text, const QString& title);
  // The batch thread has ended; `error` says why the batch could not start, if it could not.
  void Finished(const QString& error);

private:
  class TObserver;

  TConversionDriver& FDriver;
  std::unique_ptr<TObserver> FObserver;
  std::thread FThread;
  std::atomic<bool> FStopping{false};
};

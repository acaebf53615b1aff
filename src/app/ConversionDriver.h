#pragma once

// The conversion driver: turns the checked rows of the file list into output files, up to `Jobs`
// rows at once, in one format and one folder, and writes the batch's playlist. It knows no window:
// a front (the window, the command line) follows it through a TConversionObserver.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ConversionJob.h"
#include "app/ConversionRow.h"
#include "app/DriverFormats.h"
#include "app/OutputPlan.h"
#include "app/Settings.h"

// A batch that cannot start: no usable output folder, no output format chosen, or a batch
// running already.
class EConversionError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// What the sinks' worker threads report, queued for the driver's own thread.
struct TDriverEvent {
  enum TKind { dkProgress, dkDone, dkFailed };
  TKind Kind = dkProgress;
  int32_t Percent = 0;
  std::string Message;
  int32_t Row = 0;  // the row the event is about
};

// The driver's wait for the running rows: the sinks' events arrive here from their workers, and
// Stop wakes it. A front that waits on its own (pumping its events) only needs WaitFor.
class TRowWait {
public:
  void Post(TDriverEvent event);
  void Wake();
  // Returns when an event was posted or Wake was called since the last call, or after `timeout`.
  void WaitFor(std::chrono::milliseconds timeout);
  std::deque<TDriverEvent> Take();

private:
  std::mutex FMutex;
  std::condition_variable FSignal;
  std::deque<TDriverEvent> FEvents;
  bool FWoken = false;
};

struct TRowResult {
  int32_t Row = 0;  // 1-based position in the list
  std::string Input;
  std::string Output;      // the file the row wrote, under the name it finally took
  bool Completed = false;  // ended through the sink's done path (also when stopped)
  bool Stopped = false;    // Stop came while it ran: its file holds only what was converted
  bool Skipped = false;    // Output was there already and was left as it is (ExistingFiles "Skip")
  std::string Message;     // why it failed: "<input>: <reason>"
};

struct TBatchResult {
  std::vector<TRowResult> Rows;  // every row that was started
  bool Stopped = false;
  std::string PlaylistFile;   // empty when none was written
  std::string PlaylistError;  // why the playlist could not be written: "<file>: <reason>"

  // Every row converted or skipped, and no Stop.
  bool AllCompleted() const;
};

// Called on the thread that runs Convert. Row numbers are 1-based.
class TConversionObserver {
public:
  virtual ~TConversionObserver() = default;

  // The window disables its list and Convert, enables Stop.
  virtual void BatchStarted(int32_t /*fileCount*/) {}
  virtual void RowStarted(int32_t /*row*/, const std::string& /*input*/, const std::string& /*output*/) {}
  // A finished row's file took another name than RowStarted told (a file of that name appeared
  // while it was written).
  virtual void RowOutput(int32_t /*row*/, const std::string& /*output*/) {}
  virtual void FileProgress(int32_t /*row*/, int32_t /*percent*/) {}
  // "42% Done", "Complete", "Stopped", "Skipped".
  virtual void RowStatus(int32_t /*row*/, const std::string& /*status*/) {}
  // "<input>: <reason>".
  virtual void RowFailed(int32_t /*row*/, const std::string& /*message*/) {}
  virtual void TotalProgress(int32_t /*position*/, int32_t /*maximum*/) {}
  // The window enables its list and Convert again, disables Stop.
  virtual void BatchEnded(const TBatchResult& /*result*/) {}
  // The closing notice ("Operation complete successful", "All Done") when the settings ask for it.
  virtual void Inform(const std::string& /*text*/, const std::string& /*title*/) {}

  // Waits a little for the running rows. The window processes its pending events here (its Stop
  // button calls the driver's Stop); the default simply blocks.
  virtual void WaitForRow(TRowWait& wait) { wait.WaitFor(std::chrono::milliseconds(100)); }
  // After a failed row: true goes on with the next row, false starts no other row and waits for
  // Stop (the rows running already still finish).
  virtual bool ContinueAfterFailure() const { return false; }
};

class TConversionDriver {
public:
  // `settings` stays owned by the caller and is read afresh for every row; `appDir` is the
  // program's folder.
  TConversionDriver(const TSettings& settings, std::string appDir, TFormatTable formats = DefaultFormatTable());
  ~TConversionDriver();

  TConversionDriver(const TConversionDriver&) = delete;
  TConversionDriver& operator=(const TConversionDriver&) = delete;

  void SetObserver(TConversionObserver* observer) { FObserver = observer; }

  // Converts the checked rows; returns when the batch has ended. EConversionError before anything
  // starts when the output folder or format is unusable.
  TBatchResult Convert(const std::vector<TConversionRow>& rows);
  // Asks the running conversions and the batch to end; the running files are finished normally.
  // May be called from any thread.
  void Stop();

  bool Converting() const { return FConverting; }
  // The row started last.
  int32_t CurrentIndex() const { return FCurrentIndex; }

  // The output folder of the settings, absolute, without a trailing "/". Empty when unset.
  static std::string OutputFolder(const TSettings& settings);

private:
  struct TPlannedRow {
    int32_t Row = 0;  // 1-based position in the list
    TOutputChoice Output;
  };
  // A row on its way: the job converting it (none for a skipped row) and how far it got.
  struct TActiveRow {
    size_t Result = 0;  // index into the batch's rows
    TConversionJob* Job = nullptr;
    bool Running = false;
    bool Finished = false;
    bool Failed = false;
  };

  TConversionObserver& Observer();
  void PrepareFolder(const std::string& folder) const;
  std::vector<TPlannedRow> PlanOutputs(const std::vector<TConversionRow>& rows, const std::string& folder) const;
  void PrepareJobs();
  void RunRows(const std::vector<TConversionRow>& rows, const std::vector<TPlannedRow>& plan, TBatchResult& result);
  void StartRow(const TConversionRow& row, const TPlannedRow& planned, TBatchResult& result);
  void ApplyEvents(TBatchResult& result);
  bool RowEnded(const TActiveRow& active);
  void EndRows(const std::vector<TConversionRow>& rows, const TBatchResult& result);
  void ReportTotal(const std::vector<TConversionRow>& rows);
  void FinishBatch(TBatchResult& result);
  void SavePlaylist(TBatchResult& result);

  const TSettings& FSettings;
  std::string FAppDir;
  TFormatTable FFormats;
  TConversionObserver FQuietObserver;
  TConversionObserver* FObserver = nullptr;

  TRowWait FWait;
  std::atomic<bool> FStopRequested{false};
  std::atomic<bool> FConverting{false};
  std::atomic<int32_t> FCurrentIndex{0};
  std::unique_ptr<class TPlaylist> FPlaylist;
  std::string FFormatName;

  std::vector<TActiveRow> FActive;
  std::vector<TConversionJob*> FIdleJobs;
  int32_t FEnded = 0;         // rows of the batch that have ended
  int32_t FHighestEnded = 0;  // the last in the list of them
  // Stop reaches the jobs from any thread; the list changes only between batches.
  std::mutex FJobsLock;
  std::vector<std::unique_ptr<TConversionJob>> FJobs;
};

// "H:MM:SS" (or "M:SS") in whole seconds; -1 when the text is no duration.
int32_t ParseDuration(const std::string& text);
// The playlist's file name without extension: "<folder>/PlayList-<yyyy-MM-dd>".
std::string PlaylistBaseName(const std::string& folder);

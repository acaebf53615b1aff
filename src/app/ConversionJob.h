#pragma once

// One row at a time on a source, stages and sink of its own: the driver runs several jobs side
// by side, each converting one row, and reuses a job for another row once its row has ended.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/ConversionRow.h"
#include "app/DriverFormats.h"
#include "app/Settings.h"
#include "pipeline/ACS_Classes.h"
#include "app/StageChain.h"
#include "pipeline/CompletenessCheck.h"

class TRowWait;
struct TRowResult;

// A failure of one row, carrying the reason without the file name.
class ERowFailure : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// What every job of a batch shares with the driver; all of it outlives the jobs.
struct TJobContext {
  const TFormatTable& Formats;
  const TSettings& Settings;
  const std::string& AppDir;      // with a trailing separator
  const std::string& FormatName;  // the batch's output format
  TRowWait& Wait;                 // where the sinks' workers report, tagged with the job's row
  const std::atomic<bool>& StopRequested;
};

class TConversionJob {
public:
  explicit TConversionJob(const TJobContext& context);
  ~TConversionJob();

  TConversionJob(const TConversionJob&) = delete;
  TConversionJob& operator=(const TConversionJob&) = delete;

  // Starts converting `row` into `result.Output`; its events reach the wait as row `result.Row`.
  // Throws when the row cannot start.
  void StartChain(const TConversionRow& row, bool replace, TRowResult& result);
  // Asks the running sink, if any, to finish its file now. May be called from any thread.
  void Stop();
  // After the row's ending was reported (its sink no longer reads): lets go of its input.
  void EndRow();

private:
  TACSFileIn& SourceInstance(const TSourceFormat& format);
  TACSFileOut& SinkInstance(const TSinkFormat& format);
  void OpenSource(TACSFileIn& source, const std::string& formatName);
  TACSInput& InsertStages(TACSFileIn& source, const TACSOutput& sink);

  TJobContext FContext;
  std::atomic<int32_t> FRow{0};
  std::atomic<TACSOutput*> FCurrentSink{nullptr};
  // The row's input, open from its probe to the row's end: the format queries and the run use
  // that one open and what it read, so an input is opened and probed once per row.
  TACSFileIn* FOpenSource = nullptr;

  // Destroyed in reverse order: the sinks first (their workers may still read the stages and the
  // sources), then the stages, then the sources.
  std::map<std::string, std::unique_ptr<TACSFileIn>> FSources;
  TCompletenessCheck FCompletenessCheck;
  TStageChain FStages;
  std::map<std::string, std::unique_ptr<TACSFileOut>> FSinks;
};

#include "app/ConversionDriver.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/OutputName.h"
#include "app/OutputPattern.h"
#include "app/OutputPlan.h"
#include "app/UpToDate.h"
#include "app/PlayListClass.h"
#include "platform/TextUtils.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> InputFiles(const std::vector<TConversionRow>& rows) {
  std::vector<std::string> files;
  for (const TConversionRow& row : rows) {
    files.push_back(row.FileName);
  }
  return files;
}

}  // namespace

// ---- TRowWait -----------------------------------------------------------------------------------

void TRowWait::Post(TDriverEvent event) {
  {
    std::lock_guard lock(FMutex);
    FEvents.push_back(std::move(event));
    FWoken = true;
  }
  FSignal.notify_all();
}

void TRowWait::Wake() {
  {
    std::lock_guard lock(FMutex);
    FWoken = true;
  }
  FSignal.notify_all();
}

void TRowWait::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(FMutex);
  FSignal.wait_for(lock, timeout, [this] { return FWoken; });
  FWoken = false;
}

std::deque<TDriverEvent> TRowWait::Take() {
  std::lock_guard lock(FMutex);
  std::deque<TDriverEvent> events;
  events.swap(FEvents);
  return events;
}

bool TBatchResult::AllCompleted() const {
  if (Stopped) {
    return false;
  }
  for (const TRowResult& row : Rows) {
    if ((!row.Completed || row.Stopped) && !row.Skipped) {
      return false;
    }
  }
  return true;
}

// ---- helpers ------------------------------------------------------------------------------------

int32_t ParseDuration(const std::string& text) {
  int32_t total = 0;
  int parts = 0;
  size_t pos = 0;
  const std::string trimmed = Trim(text);
  while (pos <= trimmed.size()) {
    const size_t colon = std::min(trimmed.find(':', pos), trimmed.size());
    const std::string part = trimmed.substr(pos, colon - pos);
    int32_t value = 0;
    if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos ||
        !ParseDecimal(part, value) || ++parts > 3 || (parts > 1 && value > 59)) {
      return -1;
    }
    total = total * 60 + value;
    pos = colon + 1;
  }
  return parts >= 2 ? total : -1;
}

std::string PlaylistBaseName(const std::string& folder) {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  ::localtime_r(&now, &parts);
  char date[16];
  std::strftime(date, sizeof date, "%Y-%m-%d", &parts);
  return folder + "/PlayList-" + date;
}

// ---- TConversionDriver --------------------------------------------------------------------------

TConversionDriver::TConversionDriver(const TSettings& settings, std::string appDir, TFormatTable formats)
    : FSettings(settings), FAppDir(std::move(appDir)), FFormats(std::move(formats)) {
  if (!FAppDir.empty() && FAppDir.back() != '/') {
    FAppDir += '/';
  }
}

TConversionDriver::~TConversionDriver() {
  // A sink still finishing a stopped file calls back into FWait: end the jobs while it exists.
  FJobs.clear();
}

TConversionObserver& TConversionDriver::Observer() { return FObserver != nullptr ? *FObserver : FQuietObserver; }

std::string TConversionDriver::OutputFolder(const TSettings& settings) {
  std::string folder = settings.Text(SettingNames::ConvFilePath);
  if (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  if (folder.empty()) {
    return folder;
  }
  std::error_code error;
  const fs::path absolute = fs::absolute(folder, error);
  std::string normal = error ? folder : absolute.lexically_normal().string();
  if (normal.size() > 1 && normal.back() == '/') {
    normal.pop_back();
  }
  return normal;
}

void TConversionDriver::PrepareFolder(const std::string& folder) const {
  if (folder.empty()) {
    throw EConversionError("No output folder is set: choose the folder the converted files go to.");
  }
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder)) {
    const std::string reason = error ? error.message() : std::string("not a folder");
    throw EConversionError(folder + ": cannot create the output folder (" + reason + ")");
  }
}

TBatchResult TConversionDriver::Convert(const std::vector<TConversionRow>& rows) {
  if (FConverting) {
    throw EConversionError("A conversion is running already.");
  }
  FFormatName = FSettings.Text(SettingNames::RipToFormat);
  if (FFormats.SinkFor(FFormatName) == nullptr) {
    std::string names;
    for (const std::string& name : OutputFormatNames()) {
      names += (names.empty() ? "" : ", ") + name;
    }
    throw EConversionError("No output format is chosen: RipToFormat must be one of " + names + ".");
  }
  const std::string folder = OutputFolder(FSettings);
  PrepareFolder(folder);

  TBatchResult result;
  FPlaylist = std::make_unique<TPlaylist>();
  FPlaylist->SetRelativePaths(FSettings.Integer(SettingNames::PlaylistPaths) == 0);
  FStopRequested = false;
  FConverting = true;
  // A front's callback that throws ends the batch, but never leaves the driver marked as busy.
  struct TBusyFlag {
    std::atomic<bool>& Flag;
    ~TBusyFlag() { Flag = false; }
  } busy{FConverting};
  FWait.Take();
  const auto fileCount = static_cast<int32_t>(rows.size());
  Observer().BatchStarted(fileCount);
  Observer().TotalProgress(0, fileCount);

  const std::vector<TPlannedRow> plan = PlanOutputs(rows, folder);
  PrepareJobs();
  RunRows(rows, plan, result);
  // Only a file that is there goes into the playlist (a stopped row's file is), in the rows'
  // order whatever order their jobs ended in.
  for (const TRowResult& outcome : result.Rows) {
    if (outcome.Completed) {
      const TConversionRow& row = rows[static_cast<size_t>(outcome.Row - 1)];
      FPlaylist->AddEntry(outcome.Output, row.Artist + "-" + row.Title, ParseDuration(row.Duration));
    }
  }
  result.Stopped = FStopRequested;
  FinishBatch(result);
  return result;
}

std::vector<TConversionDriver::TPlannedRow> TConversionDriver::PlanOutputs(const std::vector<TConversionRow>& rows,
                                                                           const std::string& folder) const {
  // Every name is given out before any row starts, so which row takes which name never depends on
  // which job ends first.
  std::vector<TPlannedRow> plan;
  TOutputNames names;
  // Every file of the list, checked or not, is the user's and is never written.
  const TBatchInputs inputs(InputFiles(rows));
  const auto existing = static_cast<TExistingFiles>(FSettings.Integer(SettingNames::ExistingFiles));
  for (int32_t i = 1; i <= static_cast<int32_t>(rows.size()); ++i) {
    const TConversionRow& row = rows[static_cast<size_t>(i - 1)];
    if (!row.Checked) {
      continue;
    }
    TOutputChoice output = ChooseOutput(OutputPathFor(FSettings, row, i, folder, FFormatName), existing, inputs, names);
    // A re-run converts again an input changed since its output was written, replacing that output.
    if (output.Skip && !inputs.Contains(output.FileName) && OutputIsStale(row.FileName, output.FileName)) {
      output.Skip = false;
      output.Replace = true;
    }
    plan.push_back({i, std::move(output)});
  }
  return plan;
}

void TConversionDriver::PrepareJobs() {
  const auto count = static_cast<size_t>(std::max(FSettings.Integer(SettingNames::Jobs), 1));
  std::lock_guard lock(FJobsLock);
  while (FJobs.size() < count) {
    FJobs.push_back(std::make_unique<TConversionJob>(
        TJobContext{FFormats, FSettings, FAppDir, FFormatName, FWait, FStopRequested}));
  }
  FIdleJobs.clear();
  for (size_t i = count; i-- > 0;) {
    FIdleJobs.push_back(FJobs[i].get());
  }
  FActive.clear();
  FEnded = 0;
  FHighestEnded = 0;
}

void TConversionDriver::RunRows(const std::vector<TConversionRow>& rows, const std::vector<TPlannedRow>& plan,
                                TBatchResult& result) {
  result.Rows.reserve(plan.size());
  size_t next = 0;
  bool halted = false;  // a failed row waits for Stop, and no other row starts meanwhile
  for (;;) {
    while (!FStopRequested && !halted && next < plan.size() && !FIdleJobs.empty()) {
      const TPlannedRow& planned = plan[next++];
      StartRow(rows[static_cast<size_t>(planned.Row - 1)], planned, result);
      ApplyEvents(result);
      EndRows(rows, result);
      halted = std::any_of(FActive.begin(), FActive.end(), [](const TActiveRow& active) { return active.Failed; });
    }
    if (FActive.empty() && (FStopRequested || next == plan.size())) {
      return;
    }
    Observer().WaitForRow(FWait);
    ApplyEvents(result);
    EndRows(rows, result);
    halted = halted ||
             std::any_of(FActive.begin(), FActive.end(), [](const TActiveRow& active) { return active.Failed; });
  }
}

void TConversionDriver::StartRow(const TConversionRow& row, const TPlannedRow& planned, TBatchResult& result) {
  FCurrentIndex = planned.Row;
  TRowResult& outcome = result.Rows.emplace_back();
  outcome.Row = planned.Row;
  outcome.Input = row.FileName;
  outcome.Output = planned.Output.FileName;
  TActiveRow active;
  active.Result = result.Rows.size() - 1;
  Observer().RowStarted(outcome.Row, outcome.Input, outcome.Output);
  if (planned.Output.Skip) {
    outcome.Skipped = true;
    active.Finished = true;
    Observer().RowStatus(outcome.Row, "Skipped");
  } else {
    active.Job = FIdleJobs.back();
    FIdleJobs.pop_back();
    try {
      active.Job->StartChain(row, planned.Output.Replace, outcome);
      active.Running = true;
    } catch (const std::exception& error) {
      FWait.Post({TDriverEvent::dkFailed, 0, error.what(), outcome.Row});
    }
  }
  FActive.push_back(active);
}

void TConversionDriver::ApplyEvents(TBatchResult& result) {
  for (TDriverEvent& event : FWait.Take()) {
    const auto active = std::find_if(FActive.begin(), FActive.end(), [&](const TActiveRow& candidate) {
      return result.Rows[candidate.Result].Row == event.Row;
    });
    if (active == FActive.end()) {
      continue;  // a row that has ended already
    }
    TRowResult& outcome = result.Rows[active->Result];
    const int32_t row = outcome.Row;
    switch (event.Kind) {
      case TDriverEvent::dkProgress:
        Observer().FileProgress(row, event.Percent);
        Observer().RowStatus(row, std::to_string(event.Percent) + "% Done");
        break;
      case TDriverEvent::dkDone:
        active->Finished = true;
        outcome.Completed = true;
        outcome.Stopped = FStopRequested;
        if (!event.Message.empty() && event.Message != outcome.Output) {
          outcome.Output = event.Message;
          Observer().RowOutput(row, outcome.Output);
        }
        Observer().RowStatus(row, outcome.Stopped ? "Stopped" : "Complete");
        break;
      case TDriverEvent::dkFailed:
        active->Failed = true;
        // A component's message that names the input already is not prefixed with it again.
        outcome.Message = event.Message.starts_with(outcome.Input + ": ") ? event.Message
                                                                           : outcome.Input + ": " + event.Message;
        Observer().RowFailed(row, outcome.Message);
        break;
    }
  }
}

bool TConversionDriver::RowEnded(const TActiveRow& active) {
  if (active.Finished || (active.Failed && Observer().ContinueAfterFailure())) {
    return true;
  }
  // After Stop a running sink still finishes its file: its done (or failure) event ends the row.
  return FStopRequested && (!active.Running || active.Failed);
}

void TConversionDriver::EndRows(const std::vector<TConversionRow>& rows, const TBatchResult& result) {
  for (auto active = FActive.begin(); active != FActive.end();) {
    if (!RowEnded(*active)) {
      ++active;
      continue;
    }
    if (active->Job != nullptr) {
      active->Job->EndRow();
      FIdleJobs.push_back(active->Job);
    }
    ++FEnded;
    FHighestEnded = std::max(FHighestEnded, result.Rows[active->Result].Row);
    active = FActive.erase(active);
    if (!FStopRequested) {
      ReportTotal(rows);
    }
  }
}

void TConversionDriver::ReportTotal(const std::vector<TConversionRow>& rows) {
  // The ended rows and the unchecked rows among them: one after another, the position of the
  // row that ended last.
  int32_t position = FEnded;
  for (int32_t i = 1; i < FHighestEnded; ++i) {
    position += rows[static_cast<size_t>(i - 1)].Checked ? 0 : 1;
  }
  Observer().TotalProgress(position, static_cast<int32_t>(rows.size()));
}

void TConversionDriver::Stop() {
  FStopRequested = true;
  {
    std::lock_guard lock(FJobsLock);
    for (const std::unique_ptr<TConversionJob>& job : FJobs) {
      job->Stop();
    }
  }
  FWait.Wake();
}

void TConversionDriver::FinishBatch(TBatchResult& result) {
  FConverting = false;
  // The playlist comes first, so the front learns of it with the rest of the batch's result.
  SavePlaylist(result);
  FPlaylist.reset();
  Observer().BatchEnded(result);
  bool failed = !result.PlaylistError.empty();
  for (const TRowResult& row : result.Rows) {
    failed = failed || !row.Message.empty();
  }
  // "successful" is not said of a batch in which a row failed; the failure was reported already.
  if (FSettings.Boolean(SettingNames::InformWhenDone) && !failed) {
    Observer().Inform("Operation complete successful", "All Done");
  }
}

void TConversionDriver::SavePlaylist(TBatchResult& result) {
  // A batch whose rows wrote nothing (a re-run that found every output done) leaves no playlist.
  const auto wrote = [](const TRowResult& row) { return row.Completed; };
  if (!result.Rows.empty() && std::none_of(result.Rows.begin(), result.Rows.end(), wrote)) {
    return;
  }
  const std::string folder = OutputFolder(FSettings);
  // A new file every time: an earlier playlist of the same day is kept.
  try {
    switch (FSettings.Integer(SettingNames::SavePlayList)) {
      case 1:
        result.PlaylistFile = FPlaylist->SaveM3U(PlaylistBaseName(folder) + ".m3u");
        break;
      case 2:
        result.PlaylistFile = FPlaylist->SavePLS(PlaylistBaseName(folder) + ".pls");
        break;
      default:
        break;
    }
  } catch (const std::exception& error) {
    result.PlaylistError = error.what();
  }
}

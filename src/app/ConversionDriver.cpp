#include "app/ConversionDriver.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

#include "app/OutputName.h"
#include "app/OutputPattern.h"
#include "app/OutputPlan.h"
#include "app/UpToDate.h"
#include "app/PlayListClass.h"
#include "platform/TextUtils.h"

namespace fs = std::filesystem;

namespace {

// A failure of one row, carrying the reason without the file name.
class ERowFailure : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

std::string Extension(const std::string& fileName) { return ToUpperAscii(fs::path(fileName).extension().string()); }

std::vector<std::string> InputFiles(const std::vector<TConversionRow>& rows) {
  std::vector<std::string> files;
  for (const TConversionRow& row : rows) {
    files.push_back(row.FileName);
  }
  return files;
}

// The subfolders a pattern or the source tree puts an output in.
void MakeParentFolder(const std::string& output) {
  const fs::path folder = fs::path(output).parent_path();
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder)) {
    const std::string reason = error ? error.message() : std::string("not a folder");
    throw ERowFailure("cannot create the folder " + folder.string() + " (" + reason + ")");
  }
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
  // A sink still finishing a stopped file calls back into FWait: end the sinks while it exists.
  FSinks.clear();
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
  FCurrentSink = nullptr;
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

  TOutputNames names;
  // Every file of the list, checked or not, is the user's and is never written.
  const TBatchInputs inputs(InputFiles(rows));
  for (int32_t i = 1; i <= fileCount && !FStopRequested; ++i) {
    const TConversionRow& row = rows[static_cast<size_t>(i - 1)];
    if (!row.Checked) {
      continue;
    }
    FCurrentIndex = i;
    TRowResult& outcome = result.Rows.emplace_back();
    outcome.Row = i;
    outcome.Input = row.FileName;
    TOutputChoice output = ChooseOutput(OutputPathFor(FSettings, row, i, folder, FFormatName),
                                        static_cast<TExistingFiles>(FSettings.Integer(SettingNames::ExistingFiles)),
                                        inputs, names);
    // A re-run converts again an input changed since its output was written, replacing that output.
    if (output.Skip && !inputs.Contains(output.FileName) && OutputIsStale(row.FileName, output.FileName)) {
      output.Skip = false;
      output.Replace = true;
    }
    outcome.Output = output.FileName;
    Observer().RowStarted(i, outcome.Input, outcome.Output);
    if (output.Skip) {
      outcome.Skipped = true;
      Observer().RowStatus(i, "Skipped");
    } else {
      RunRow(row, output.Replace, outcome);
    }
    // Only a file that is there goes into the playlist; a stopped row's file is.
    if (outcome.Completed) {
      FPlaylist->AddEntry(outcome.Output, row.Artist + "-" + row.Title, ParseDuration(row.Duration));
    }
    if (FStopRequested) {
      break;
    }
    Observer().TotalProgress(i, fileCount);
  }
  result.Stopped = FStopRequested;
  FinishBatch(result);
  return result;
}

void TConversionDriver::RunRow(const TConversionRow& row, bool replace, TRowResult& result) {
  bool running = false;
  try {
    StartChain(row, replace, result);
    running = true;
  } catch (const std::exception& error) {
    TDriverEvent failure{TDriverEvent::dkFailed, 0, error.what()};
    FWait.Post(std::move(failure));
  }
  WaitForRow(result.Row, running, result);
}

void TConversionDriver::StartChain(const TConversionRow& row, bool replace, TRowResult& result) {
  const std::string extension = Extension(row.FileName);
  const TSourceFormat* sourceFormat = FFormats.SourceFor(extension);
  if (sourceFormat == nullptr) {
    throw ERowFailure("Unsupported audio format");
  }
  if (!sourceFormat->Create) {
    throw ERowFailure("reading " + extension + " files is not available in this build");
  }
  const TSinkFormat& sinkFormat = *FFormats.SinkFor(FFormatName);
  if (!sinkFormat.Create) {
    throw ERowFailure(sinkFormat.Format + " output is not available in this build");
  }
  TACSFileIn& source = SourceInstance(*sourceFormat);
  source.SetFileName(row.FileName);
  CheckSource(source, extension.substr(1));

  MakeParentFolder(result.Output);
  TACSFileOut& sink = SinkInstance(sinkFormat);
  sink.SetFileName(result.Output);
  sink.SetReplaceExisting(replace);
  if (sinkFormat.Configure) {
    sinkFormat.Configure(sink, TSinkSetup{FSettings, row, result.Row, FAppDir});
  }
  sink.SetInput(&InsertStages(source, sink));
  FCurrentSink = &sink;
  sink.Run();
  if (FStopRequested) {
    sink.Stop();  // a Stop that came while the run was starting, which Run would have undone
  }
}

TACSFileIn& TConversionDriver::SourceInstance(const TSourceFormat& format) {
  std::unique_ptr<TACSFileIn>& source = FSources[format.Component];
  if (!source) {
    source = format.Create();
    source->SetStartSample(0);
    source->SetEndSample(-1);
    source->SetLoop(false);
  }
  return *source;
}

TACSFileOut& TConversionDriver::SinkInstance(const TSinkFormat& format) {
  std::unique_ptr<TACSFileOut>& sink = FSinks[format.Format];
  if (!sink) {
    sink = format.Create();
    sink->SetSuspendWhenIdle(true);
    sink->SetFileMode(foRewrite);
    // The workers' events go to the driver's own thread through FWait.
    sink->SetOnProgress([this](TComponent* sender) {
      FWait.Post({TDriverEvent::dkProgress, static_cast<TACSOutput*>(sender)->Progress(), {}});
    });
    sink->SetOnDone([this](TComponent* sender) {
      FWait.Post({TDriverEvent::dkDone, 0, static_cast<TACSFileOut*>(sender)->OutputName()});
    });
    sink->SetOnThreadException([this](TComponent*, const std::exception& error) {
      FWait.Post({TDriverEvent::dkFailed, 0, error.what()});
    });
  }
  return *sink;
}

void TConversionDriver::CheckSource(TACSFileIn& source, const std::string& formatName) const {
  // What is at the path is told as it is (a missing file, a folder, a loop of links) before a
  // source tries to read it.
  struct stat info {};
  if (::stat(source.FileName().c_str(), &info) != 0) {
    throw ERowFailure(std::string("cannot open (") + std::strerror(errno) + ")");
  }
  if (S_ISDIR(info.st_mode)) {
    throw ERowFailure("cannot open (it is a folder)");
  }
  // An input the source cannot read is refused here rather than sent on as undefined data.
  source.OpenFile();
  const bool valid = source.Valid();
  const std::string reason = source.InvalidReason();
  source.CloseFile();
  if (!valid) {
    throw ERowFailure("cannot be read as a " + formatName + " file (" +
                      (reason.empty() ? "damaged or an unsupported kind" : reason) + ")");
  }
}

TACSInput& TConversionDriver::InsertStages(TACSFileIn& source, const TACSOutput& sink) {
  FCompletenessCheck.SetSource(&source);
  const TPcmFormat offered = FCompletenessCheck.GetFormat();
  return FStages.Build(FCompletenessCheck, offered, sink.AcceptedFormat(offered));
}

void TConversionDriver::ApplyEvents(int32_t row, bool& finished, bool& failed, TRowResult& result) {
  for (TDriverEvent& event : FWait.Take()) {
    switch (event.Kind) {
      case TDriverEvent::dkProgress:
        Observer().FileProgress(row, event.Percent);
        Observer().RowStatus(row, std::to_string(event.Percent) + "% Done");
        break;
      case TDriverEvent::dkDone:
        finished = true;
        result.Completed = true;
        result.Stopped = FStopRequested;
        if (!event.Message.empty() && event.Message != result.Output) {
          result.Output = event.Message;
          Observer().RowOutput(row, result.Output);
        }
        Observer().RowStatus(row, result.Stopped ? "Stopped" : "Complete");
        break;
      case TDriverEvent::dkFailed:
        failed = true;
        // A component's message that names the input already is not prefixed with it again.
        result.Message = event.Message.starts_with(result.Input + ": ") ? event.Message
                                                                         : result.Input + ": " + event.Message;
        Observer().RowFailed(row, result.Message);
        break;
    }
  }
}

void TConversionDriver::WaitForRow(int32_t row, bool running, TRowResult& result) {
  bool finished = false;
  bool failed = false;
  for (;;) {
    ApplyEvents(row, finished, failed, result);
    if (finished || (failed && Observer().ContinueAfterFailure())) {
      return;
    }
    // After Stop a running sink still finishes its file: its done (or failure) event ends the row.
    if (FStopRequested && (!running || failed)) {
      return;
    }
    Observer().WaitForRow(FWait);
  }
}

void TConversionDriver::Stop() {
  FStopRequested = true;
  if (TACSOutput* sink = FCurrentSink.load()) {
    sink->Stop();
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

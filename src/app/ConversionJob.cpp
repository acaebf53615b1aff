#include "app/ConversionJob.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <utility>

#include "app/ConversionDriver.h"
#include "platform/TextUtils.h"

namespace fs = std::filesystem;

namespace {

std::string Extension(const std::string& fileName) { return ToUpperAscii(fs::path(fileName).extension().string()); }

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

TConversionJob::TConversionJob(const TJobContext& context) : FContext(context) {}

TConversionJob::~TConversionJob() {
  // A sink still finishing a stopped file calls back into the wait: end the sinks while it exists.
  FSinks.clear();
}

void TConversionJob::StartChain(const TConversionRow& row, bool replace, TRowResult& result) {
  FRow = result.Row;
  const std::string extension = Extension(row.FileName);
  const TSourceFormat* sourceFormat = FContext.Formats.SourceFor(extension);
  if (sourceFormat == nullptr) {
    throw ERowFailure("Unsupported audio format");
  }
  if (!sourceFormat->Create) {
    throw ERowFailure("reading " + extension + " files is not available in this build");
  }
  const TSinkFormat& sinkFormat = *FContext.Formats.SinkFor(FContext.FormatName);
  if (!sinkFormat.Create) {
    throw ERowFailure(sinkFormat.Format + " output is not available in this build");
  }
  TACSFileIn& source = SourceInstance(*sourceFormat);
  source.SetFileName(row.FileName);
  OpenSource(source, extension.substr(1));

  MakeParentFolder(result.Output);
  TACSFileOut& sink = SinkInstance(sinkFormat);
  sink.SetFileName(result.Output);
  sink.SetReplaceExisting(replace);
  if (sinkFormat.Configure) {
    sinkFormat.Configure(sink, TSinkSetup{FContext.Settings, row, result.Row, FContext.AppDir});
  }
  sink.SetInput(&InsertStages(source, sink));
  FCurrentSink = &sink;
  sink.Run();
  if (FContext.StopRequested) {
    sink.Stop();  // a Stop that came while the run was starting, which Run would have undone
  }
}

void TConversionJob::Stop() {
  if (TACSOutput* sink = FCurrentSink.load()) {
    sink->Stop();
  }
}

void TConversionJob::EndRow() {
  FCurrentSink = nullptr;
  TACSFileIn* source = std::exchange(FOpenSource, nullptr);
  if (source == nullptr) {
    return;
  }
  source->CloseFile();
  // A run cut short before it flushed its input would leave this file open for the next row.
  if (source->OpenCount() > 0) {
    source->Reset();
  }
}

TACSFileIn& TConversionJob::SourceInstance(const TSourceFormat& format) {
  std::unique_ptr<TACSFileIn>& source = FSources[format.Component];
  if (!source) {
    source = format.Create();
    source->SetStartSample(0);
    source->SetEndSample(-1);
    source->SetLoop(false);
  }
  return *source;
}

TACSFileOut& TConversionJob::SinkInstance(const TSinkFormat& format) {
  std::unique_ptr<TACSFileOut>& sink = FSinks[format.Format];
  if (!sink) {
    sink = format.Create();
    sink->SetSuspendWhenIdle(true);
    sink->SetFileMode(foRewrite);
    // The workers' events go to the driver's own thread through the wait, naming the job's row.
    sink->SetOnProgress([this](TComponent* sender) {
      FContext.Wait.Post({TDriverEvent::dkProgress, static_cast<TACSOutput*>(sender)->Progress(), {}, FRow});
    });
    sink->SetOnDone([this](TComponent* sender) {
      FContext.Wait.Post({TDriverEvent::dkDone, 0, static_cast<TACSFileOut*>(sender)->OutputName(), FRow});
    });
    sink->SetOnThreadException([this](TComponent*, const std::exception& error) {
      FContext.Wait.Post({TDriverEvent::dkFailed, 0, error.what(), FRow});
    });
  }
  return *sink;
}

void TConversionJob::OpenSource(TACSFileIn& source, const std::string& formatName) {
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
  if (source.Valid()) {
    FOpenSource = &source;
    return;
  }
  const std::string reason = source.InvalidReason();
  source.CloseFile();
  throw ERowFailure("cannot be read as a " + formatName + " file (" +
                    (reason.empty() ? "damaged or an unsupported kind" : reason) + ")");
}

TACSInput& TConversionJob::InsertStages(TACSFileIn& source, const TACSOutput& sink) {
  FCompletenessCheck.SetSource(&source);
  const TPcmFormat offered = FCompletenessCheck.GetFormat();
  return FStages.Build(FCompletenessCheck, offered, sink.AcceptedFormat(offered));
}

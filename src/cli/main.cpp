// kestrune-cli: converts the files named on the command line as the window's Convert would.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "CliOptions.h"
#include "CliProgress.h"
#include "StopSignals.h"
#include "TerminalText.h"
#include "app/AppDir.h"
#include "app/ConversionDriver.h"
#include "app/InputFiles.h"
#include "app/InputFormats.h"
#include "app/Languages.h"
#include "app/OrderedWork.h"
#include "app/RowFromFile.h"
#include "app/Settings.h"
#include "formats/directshow/ACS_DX9.h"
#include "tags/SongInformation.h"
#include "tags/SongInformationJson.h"

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char* const Program = "kestrune-cli";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", Program, TerminalText(message).c_str(), Program);
  return ExitUsage;
}

// The files the window's list takes: the input table's extensions in any case.
bool AudioFile(const std::string& fileName) { return InputFormatFor(fileName) != nullptr; }

// The threads --info reads on: --jobs when given, checked as a conversion checks it; otherwise
// every online core (the setting's default). False, with the message, for a value out of range.
bool InfoThreads(const TCliOptions& options, int& threads, std::string& error) {
  TSettings settings;
  for (const TSettingChange& change : options.Settings) {
    if (change.Name == SettingNames::Jobs && !settings.Assign(change.Name, change.Value, error, change.Option)) {
      return false;
    }
  }
  threads = settings.Integer(SettingNames::Jobs);
  return true;
}

// Prints each file's record as one JSON object per line, in the order the files were named.
int PrintInfo(const std::vector<std::string>& files, int threads) {
  ProduceInOrder(
      files.size(), threads, [&files](size_t i) { return SongInformationToJson(ReadSongInformation(files[i])) + '\n'; },
      [](const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); });
  return 0;
}

bool NeedsMediaDecoders(const std::vector<TConversionRow>& rows) {
  return std::ranges::any_of(rows, [](const TConversionRow& row) {
    const TInputFormat* format = InputFormatFor(row.FileName);
    return format != nullptr && format->Component == "DX9In1";
  });
}

void Warn(const std::string& message) { std::fprintf(stderr, "%s: %s\n", Program, TerminalText(message).c_str()); }

int Convert(const TSettings& settings, const std::string& appDir, const TCliOptions& options) {
  TConversionDriver driver(settings, appDir);
  TStopSignals signals([&driver](int) {
    std::fputs("Stopping: the current file is being finished.\n", stderr);
    driver.Stop();
  });
  std::vector<TConversionRow> rows;
  int skipped = 0;
  for (const TInputFile& input : ExpandInputNames(options.Files)) {
    if (AudioFile(input.FileName)) {
      rows.push_back(ReadConversionRow(input.FileName));
      rows.back().SourceRoot = input.SourceRoot;
    } else {
      std::fprintf(stderr, "%s: not converted: only files named %s are read\n", TerminalText(input.FileName).c_str(),
                   InputExtensionList().c_str());
      ++skipped;
    }
  }
  // MP3 and WMA input needs the media decoders; without them nothing is started. Other batches
  // never load them, so a WAV or FLAC batch starts at once.
  if (NeedsMediaDecoders(rows)) {
    const std::string missing = DX9StartupMessage();
    if (!missing.empty()) {
      Warn(missing);
      return ExitFailed;
    }
  }
  TCliProgress progress(driver, rows, options.Quiet, [&signals] { return signals.Signal() != 0; });
  driver.SetObserver(&progress);
  TBatchResult result;
  try {
    result = driver.Convert(rows);
  } catch (const EConversionError& error) {
    Warn(error.what());
    return ExitFailed;
  }
  size_t converted = 0;
  for (const TRowResult& row : result.Rows) {
    converted += row.Completed && !row.Stopped && row.Message.empty() ? 1 : 0;
    if (row.Stopped) {
      Warn(row.Input + ": stopped; " + row.Output + " holds only the part converted before");
    }
    if (row.Skipped) {
      Warn(row.Input + ": skipped; " + row.Output + " is there already and was left as it is");
    }
  }
  if (!options.Quiet) {
    std::fprintf(stderr, "%zu of %zu files converted into %s\n", converted, rows.size() + skipped,
                 TerminalText(TConversionDriver::OutputFolder(settings)).c_str());
    if (!result.PlaylistFile.empty()) {
      std::fprintf(stderr, "Playlist: %s\n", TerminalText(result.PlaylistFile).c_str());
    }
  }
  if (!result.PlaylistError.empty()) {
    Warn("the playlist was not written: " + result.PlaylistError);
  }
  if (result.Stopped) {
    Warn("stopped before every file was converted");
  }
  // Stopped by a signal: the shell's convention of 128 + its number (130 for Ctrl-C).
  if (signals.Signal() != 0) {
    return 128 + signals.Signal();
  }
  const bool allDone = result.AllCompleted() && skipped == 0 && result.Rows.size() == rows.size();
  return allDone && result.PlaylistError.empty() ? 0 : ExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard error (a pipe into `head`) or a file size limit makes a write fail and be
  // reported, instead of ending the program halfway through a file.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  TCliOptions options;
  std::string error;
  if (!ParseCommandLine(argc, argv, options, error)) {
    return UsageError(error);
  }
  // Answered before anything is loaded: FFmpeg, the codec libraries and the settings.
  if (options.Help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::fputs(VersionText().c_str(), stdout);
    return 0;
  }
  if (options.Info) {
    int threads = 1;
    return InfoThreads(options, threads, error) ? PrintInfo(options.Files, threads) : UsageError(error);
  }
  if (options.Files.empty() && !options.Save) {
    std::fputs(UsageText().c_str(), stderr);
    std::fprintf(stderr, "\n%s: no files given. Name the audio files to convert, for example:\n"
                         "  %s -f WAV -o /tmp/converted song.wav\n", Program, Program);
    return ExitUsage;
  }

  const std::string appDir = AppDir();
  TSettings settings;
  settings.SetLanguages(ListLanguages(appDir));
  settings.SetWmaProfiles(ListWmaProfiles(appDir));
  TRegIniFile store(SettingsKey);
  if (!store.Registry().SetAsideFile().empty()) {
    Warn("the settings file was damaged; it was kept as " + store.Registry().SetAsideFile() + " and the defaults apply");
  }
  for (const std::string& problem : settings.Load(store)) {
    Warn("settings: " + problem + " (the default applies)");
  }
  for (const TSettingChange& change : options.Settings) {
    if (!settings.Assign(change.Name, change.Value, error, change.Option)) {
      return UsageError(error);
    }
  }
  if (options.Save) {
    try {
      settings.Save(store, "");
    } catch (const std::exception& failure) {
      Warn(std::string("cannot store the settings: ") + failure.what());
      return ExitFailed;
    }
  }
  return options.Files.empty() ? 0 : Convert(settings, appDir, options);
}

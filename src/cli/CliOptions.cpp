#include "CliOptions.h"

#include <filesystem>

#include "app/InputFormats.h"
#include "app/Settings.h"
#include "app/Version.h"
#include "platform/TextUtils.h"

namespace {

bool TakeValue(int argc, char** argv, int& i, const std::string& option, std::string& value, std::string& error) {
  const std::string arg = argv[i];
  const size_t equals = arg.find('=');
  if (arg.starts_with("--") && equals != std::string::npos) {
    value = arg.substr(equals + 1);
    return true;
  }
  if (i + 1 >= argc) {
    error = option + " needs a value";
    return false;
  }
  value = argv[++i];
  return true;
}

bool Is(const std::string& arg, const char* shortName, const char* longName) {
  const std::string name = arg.substr(0, arg.find('='));
  return (shortName != nullptr && arg == shortName) || name == longName;
}

bool AddSetting(const std::string& option, const std::string& value, TCliOptions& options, std::string& error) {
  if (option == "--format") {
    options.Settings.push_back({option, SettingNames::RipToFormat, value});
  } else if (option == "--output") {
    // Stored absolute, so a saved folder means the same from wherever the program starts.
    std::error_code ignored;
    const std::string folder = value.empty() ? value : std::filesystem::absolute(value, ignored).string();
    options.Settings.push_back({option, SettingNames::ConvFilePath, folder});
  } else if (option == "--name-style") {
    int32_t style = -1;
    if (!ParseDecimal(value, style) || style < 0 || style > 4) {
      error = "--name-style takes 0 to 4, not \"" + value + "\"";
      return false;
    }
    options.Settings.push_back({option, SettingNames::OutputFileNameFormat, OutputNameFormats()[static_cast<size_t>(style)]});
    // A style replaces a pattern kept from earlier runs.
    options.Settings.push_back({option, SettingNames::OutputPattern, ""});
  } else if (option == "--pattern") {
    options.Settings.push_back({option, SettingNames::OutputPattern, value});
  } else if (option == "--playlist") {
    options.Settings.push_back({option, SettingNames::SavePlayList, value});
  } else if (option == "--existing") {
    options.Settings.push_back({option, SettingNames::ExistingFiles, value});
  } else if (option == "--jobs") {
    options.Settings.push_back({option, SettingNames::Jobs, value});
  } else {
    const size_t equals = value.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = "--set takes NAME=VALUE, not \"" + value + "\"";
      return false;
    }
    options.Settings.push_back({"", value.substr(0, equals), value.substr(equals + 1)});
  }
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, TCliOptions& options, std::string& error) {
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyFiles || arg == "-" || !arg.starts_with("-")) {
      options.Files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-h" || arg == "--help") {
      options.Help = true;
    } else if (arg == "--version") {
      options.Version = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.Quiet = true;
    } else if (arg == "--save") {
      options.Save = true;
    } else if (arg == "--info") {
      options.Info = true;
    } else if (arg == "--keep-folders") {
      options.Settings.push_back({arg, SettingNames::KeepFolders, "1"});
    } else {
      struct TValued {
        const char* Short;
        const char* Long;
      };
      static const TValued valued[] = {
          {"-f", "--format"},      {"-o", "--output"},      {nullptr, "--name-style"}, {nullptr, "--pattern"},
          {nullptr, "--playlist"}, {nullptr, "--existing"}, {"-j", "--jobs"}, {nullptr, "--set"}};
      bool known = false;
      for (const TValued& option : valued) {
        if (Is(arg, option.Short, option.Long)) {
          std::string value;
          if (!TakeValue(argc, argv, i, option.Long, value, error) ||
              !AddSetting(option.Long, value, options, error)) {
            return false;
          }
          known = true;
          break;
        }
      }
      if (!known) {
        error = "unknown option " + arg;
        return false;
      }
    }
  }
  return true;
}

std::string UsageText() {
  return R"(Usage: kestrune-cli [options] FILE...
Converts audio files, several at once, into one format and one folder, with the settings the
window uses (stored in $XDG_CONFIG_HOME/Quillmar/Kestrune.reg). The files read are those named
)" + InputExtensionList() + R"(
(in any case).
A FILE may be a folder: it stands for the audio files below it, in name order.

Options:
  -f, --format MP3|OGG|WMA|WAV|APE|FLAC   output format
  -o, --output DIR                        output folder
      --name-style 0..4                   output names: 0 <Track Number>, 1 <Title>,
                                          2 <Track Number>-<Title>, 3 <Artist>-<Title>,
                                          4 <Track Number>-<Artist>-<Title>
      --pattern PATTERN                   output names from fields: <Track Number> (the
                                          position in the list), <Source Track>, <Title>,
                                          <Artist>, <Album Artist>, <Album>, <Year>, <Genre>,
                                          <Disc>, <Source Name>, <Source Folder>; "/" makes
                                          subfolders, e.g. '<Artist>/<Album>/<Source Track> <Title>'
      --keep-folders                      each output below the output folder as its input is
                                          below the folder named on the command line
      --playlist none|m3u|pls             playlist written into the output folder
      --existing rename|skip|overwrite    an output whose name is taken: take a free name
                                          ("Song (2).MP3"), leave the file there, or replace
                                          it; an input is never replaced
  -j, --jobs N                            files converted at once (default: one per core)
      --set NAME=VALUE                    any setting by its stored name, for example
                                          --set OGGCompressionLevel=50 or --set UseVBR=1
      --save                              store the resulting settings for later runs
      --info                              print each file's information as JSON lines
  -q, --quiet                             no progress, only failures
  -h, --help                              this text
      --version                           the program's version

Progress goes to standard error. Exit status: 0 when every file was converted (or skipped), 1
when any failed, 2 on bad usage, 128 + the signal's number when stopped by a signal (130 for
Ctrl-C); the file being written when the signal came is finished and kept.

Example:
  kestrune-cli -f WAV -o ~/converted --name-style 2 --playlist m3u song1.wav song2.wav
  make run FILES="song1.wav song2.wav"
)";
}

std::string VersionText() { return std::string("kestrune-cli ") + KestruneVersion + "\n"; }

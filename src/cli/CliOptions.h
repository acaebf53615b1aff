#pragma once

// The command line of kestrune-cli.

#include <string>
#include <vector>

// One setting changed by an option: the option as messages name it ("--format"; empty for --set,
// where the user named the setting), the setting's stored name and the text as it would be stored.
struct TSettingChange {
  std::string Option;
  std::string Name;
  std::string Value;
};

struct TCliOptions {
  // Setting changes in the order given.
  std::vector<TSettingChange> Settings;
  std::vector<std::string> Files;
  bool Save = false;
  bool Info = false;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
};

// Parses argv; false with `error` set on bad usage.
bool ParseCommandLine(int argc, char** argv, TCliOptions& options, std::string& error);

std::string UsageText();
// "kestrune-cli <version>".
std::string VersionText();

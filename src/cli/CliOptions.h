#pragma once

// The command line of kestrune-cli.

#include <string>
#include <utility>
#include <vector>

struct TCliOptions {
  // Setting changes in the order given: value name and text as it would be stored.
  std::vector<std::pair<std::string, std::string>> Settings;
  std::vector<std::string> Files;
  bool Save = false;
  bool Info = false;
  bool Quiet = false;
  bool Help = false;
};

// Parses argv; false with `error` set on bad usage.
bool ParseCommandLine(int argc, char** argv, TCliOptions& options, std::string& error);

std::string UsageText();

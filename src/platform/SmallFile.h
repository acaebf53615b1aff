#pragma once

// Reading a settings-sized file whole: opened without waiting (a pipe under the name must not
// hang whoever starts), regular files only, and no more than a limit, so a device or a runaway
// file under the name is refused instead of read into memory.

#include <cstdint>
#include <string>

constexpr int64_t SmallFileLimit = 1 << 20;

enum TSmallFileOutcome { sfRead, sfMissing, sfRefused };

struct TSmallFile {
  TSmallFileOutcome Outcome = sfMissing;
  std::string Text;
  std::string Problem;  // why it was refused: "<file>: not a regular file (...)", "<file>: too large (over 1024 KiB)"
};

TSmallFile ReadSmallFile(const std::string& fileName, int64_t limit = SmallFileLimit);

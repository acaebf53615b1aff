#pragma once

// Where a row's output goes: never onto a file the batch reads, never twice in one batch, and
// onto a file that is there already only when the settings say to replace it.

#include <set>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "app/OutputName.h"

// The choices of the ExistingFiles setting, in their order.
enum TExistingFiles { efRename, efSkip, efOverwrite };

// The files a batch reads, which no output may replace: the same path, or the same file on the
// disk under another name (a link, another spelling of the path).
class TBatchInputs {
public:
  explicit TBatchInputs(const std::vector<std::string>& files);
  bool Contains(const std::string& path) const;

private:
  std::set<std::string> FPaths;  // absolute and normalised
  std::set<std::pair<dev_t, ino_t>> FFiles;
};

struct TOutputChoice {
  std::string FileName;
  bool Skip = false;     // the file is there already and is left as it is
  bool Replace = false;  // the finished output is renamed over a file of its name
};

// The output for the name the pattern gave: that name or the first free "name (2).ext", ... that
// this batch has not given out and that is not one of its inputs. By `existing`: rename takes a
// name that is not on the disk either; skip leaves a file that is there (Skip, naming it);
// overwrite replaces a plain file, never a link, a folder or an input.
TOutputChoice ChooseOutput(const std::string& wanted, TExistingFiles existing, const TBatchInputs& inputs,
                           TOutputNames& names);

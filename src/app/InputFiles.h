#pragma once

// The inputs a list of names stands for: a file as it is, a folder as the audio files below it,
// each remembering the folder it was found in (so outputs can keep the tree below that folder).

#include <string>
#include <vector>

struct TInputFile {
  std::string FileName;
  std::string SourceRoot;  // the named folder it was found below; empty for a file named itself
};

// The names in order, each folder replaced by the files below it with an extension of the input
// table, recursively, sorted by path (folder links are not followed, so a link back up cannot
// loop). A named file is kept whatever its extension; the caller says why it is not read.
std::vector<TInputFile> ExpandInputNames(const std::vector<std::string>& names);

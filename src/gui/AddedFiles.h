#pragma once

// Which of the names given to the list become rows: files with an extension of the input table
// (app/InputFormats.h), and the audio files inside a named folder.

#include <string>
#include <vector>

#include "app/InputFiles.h"

// An extension of the input table, in any case.
bool IsSupportedAudioName(const std::string& name);

// The names in order, each folder replaced by the supported files below it (recursively, sorted by
// path, each knowing the folder it was added from); other names are dropped. A name is kept
// exactly as given.
std::vector<TInputFile> ExpandAddedNames(const std::vector<std::string>& names);

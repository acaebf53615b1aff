#pragma once

// The numbered names a file takes when its own is taken: "a/Song.WAV", "a/Song (2).WAV", ...

#include <string>

// `path` with " (<number>)" before its extension; `path` itself for number 1.
std::string NumberedName(const std::string& path, int number);

#pragma once

// Where the program finds its data folders, Languages/ and Profiles/: beside the program file in
// the build tree, under ../share/kestrune beside the bin/ folder of an installed program.

#include <string>

// The folder of the running program file.
std::string ProgramFolder();
// The data folder of a program in `programFolder`, with a trailing separator: the folder itself
// when Languages/ or Profiles/ lies in it, else "<programFolder>/../share/kestrune" when that
// exists, else the folder itself.
std::string DataFolderFor(const std::string& programFolder);
// The data folder of the running program.
std::string AppDir();

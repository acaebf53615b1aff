#pragma once

// Output file names of a batch: the five patterns of track number, title and artist, and the
// rule that keeps two rows of one batch from writing the same file.

#include <cstdint>
#include <functional>
#include <set>
#include <string>

// Style 0 "<folder>/NN.FMT", 1 "<folder>/Title.FMT", 2 "NN-Title", 3 "Artist-Title",
// 4 "NN-Artist-Title"; any other style as 1. NN is the row number with at least two digits.
// The name is made safe as ExpandOutputPattern makes it, so it never leaves the folder.
std::string BuildOutputName(int32_t style, int32_t rowNumber, const std::string& folder,
                            const std::string& formatName, const std::string& title, const std::string& artist);

// The title a row's output is named by: its own, or the input file's name without its extension
// when it has none (so no output is a nameless hidden file such as ".WAV").
std::string OutputTitle(const std::string& title, const std::string& inputFile);

// The paths given out in one batch, compared without regard to case (the playlist lists each
// path once in any case).
class TOutputNames {
public:
  // `path`, or when it was given out already (or `acceptable` refuses it), the first of the same
  // with " (2)", " (3)", ... before the extension that is free and acceptable.
  std::string Claim(const std::string& path, const std::function<bool(const std::string&)>& acceptable = {});

private:
  std::set<std::string> FTaken;  // lower case
};

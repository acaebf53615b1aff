#pragma once

// APEv2 tags at the end of a file: finding the tag already there, and writing a new one in its
// place (before an ID3v1 trailer, which is kept).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TApeTagItem {
  std::string Key;
  std::string Value;  // UTF-8 text, or any bytes for a binary item
  bool Binary = false;
};

// Replaces the file's APE tag by one holding `items` (empty values are left out). With `merge`, the
// items of the old tag whose keys are not given are kept. Returns a MAC_ERROR code.
int WriteApeTag(const std::string& fileName, const std::vector<TApeTagItem>& items, bool merge);
// Removes the file's APE tag, if any.
int RemoveApeTag(const std::string& fileName);

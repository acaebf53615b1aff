#pragma once

// Rewrites the content-description object of a finished ASF file: title, author, copyright,
// description and rating; and adds a "WM/Picture" attribute to the metadata library of its header
// extension. FFmpeg's ASF muxer can store neither, so the writer layer gives them to this step.

#include <cstdint>
#include <string>
#include <vector>

struct TAsfContentDescription {
  std::u16string Title;
  std::u16string Author;
  std::u16string Copyright;
  std::u16string Description;
  std::u16string Rating;
  std::vector<uint8_t> Picture;  // the whole "WM/Picture" value; empty for none

  bool Empty() const {
    return Title.empty() && Author.empty() && Copyright.empty() && Description.empty() && Rating.empty() &&
           Picture.empty();
  }
};

// Replaces (or adds) the object and keeps the header's and the file's sizes true. The file is
// rewritten through a temporary file beside it, so a failure leaves it as it was. False with
// `error` naming the reason when the file is not a well-formed ASF file or cannot be rewritten.
bool WriteAsfContentDescription(const std::string& fileName, const TAsfContentDescription& description, std::string& error);

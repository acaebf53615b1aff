#pragma once

// Rewrites the content-description object of a finished ASF file: title, author, copyright,
// description and rating; and adds a "WM/Picture" attribute and further values of names already
// held to the metadata library of its header extension. FFmpeg's ASF muxer can store none of
// these, so the writer layer gives them to this step.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TAsfContentDescription {
  std::u16string Title;
  std::u16string Author;
  std::u16string Copyright;
  std::u16string Description;
  std::u16string Rating;
  std::vector<uint8_t> Picture;  // the whole "WM/Picture" value; empty for none
  // Further values of names the header holds already (a second artist), in this order.
  std::vector<std::pair<std::u16string, std::u16string>> LibraryTexts;

  bool InLibrary() const { return !Picture.empty() || !LibraryTexts.empty(); }
  bool Empty() const {
    return Title.empty() && Author.empty() && Copyright.empty() && Description.empty() && Rating.empty() && !InLibrary();
  }
};

// Replaces (or adds) the object and keeps the header's and the file's sizes true. The file is
// rewritten through a temporary file beside it, so a failure leaves it as it was. False with
// `error` naming the reason when the file is not a well-formed ASF file or cannot be rewritten.
bool WriteAsfContentDescription(const std::string& fileName, const TAsfContentDescription& description, std::string& error);

#pragma once

// A field that holds several values (the artists, album artists, composers, genres) travels as one
// text whose values are joined with "; "; each writer gives every value back its own place.

#include <string>
#include <vector>

template <class TChar>
std::vector<std::basic_string<TChar>> SplitListValues(const std::basic_string<TChar>& text) {
  const std::basic_string<TChar> separator{TChar(';'), TChar(' ')};
  std::vector<std::basic_string<TChar>> values;
  size_t start = 0;
  for (size_t found = text.find(separator); found != std::basic_string<TChar>::npos; found = text.find(separator, start)) {
    values.push_back(text.substr(start, found - start));
    start = found + separator.size();
  }
  values.push_back(text.substr(start));
  return values;
}

// The values apart by a zero byte, as ID3v2.4 text frames and APEv2 items keep a list.
inline std::string ZeroSeparatedValues(const std::string& text) {
  const std::vector<std::string> values = SplitListValues(text);
  std::string separated = values.front();
  for (size_t i = 1; i < values.size(); ++i) {
    separated += '\0';
    separated += values[i];
  }
  return separated;
}

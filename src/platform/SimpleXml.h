#pragma once

// A reader for the small XML documents the program ships (encoder profiles): elements,
// attributes, comments, processing instructions and the five named and numeric character
// references. Text content is checked but not kept. Document type declarations are refused.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TXmlElement {
  std::string Name;
  std::map<std::string, std::string> Attributes;
  std::vector<TXmlElement> Children;
};

// The root element of a well-formed UTF-8 document, or nothing with `error` saying where and why.
std::optional<TXmlElement> ParseXml(std::string_view text, std::string& error);

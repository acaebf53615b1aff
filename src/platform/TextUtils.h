#pragma once

// Small text helpers shared by the platform layers. Case is folded for ASCII letters only, the
// way names of keys, sections and file extensions are compared here.

#include <string>
#include <string_view>

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Spaces and tabs removed from both ends, or from the end only.
std::string Trim(std::string_view text);
std::string TrimRight(std::string_view text);

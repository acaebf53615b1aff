#pragma once

// Conversions between the UTF-8 text of the core and the UTF-16 text of wide strings.

#include <string>
#include <string_view>

// Bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Appends one character (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);
// An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

#pragma once

// Text inside ID3v2 frames: the encoding byte, terminated strings and the genre notation.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Text of the given encoding (0 ISO-8859-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8)
// as UTF-8, up to the first terminator, trimmed of blanks.
std::string DecodeFrameText(uint8_t encoding, std::span<const uint8_t> bytes);
// A text frame: the encoding byte, then the text. An unknown encoding byte is taken as part of
// ISO-8859-1 text, as frames written without one hold. Several values (separated by terminators,
// as version 2.4 writes them) are joined with "; ".
std::string TextFrameValue(std::span<const uint8_t> data);
// The part after the first terminated string (a description) in the given encoding; when no
// terminator is present the whole span is returned.
std::span<const uint8_t> AfterTerminatedString(uint8_t encoding, std::span<const uint8_t> bytes);
// Frames with an encoding byte, a skipped prefix (a language) and a description before the text.
std::string DescribedFrameValue(std::span<const uint8_t> data, size_t prefix);
// A user link frame: the encoding byte, a description in that encoding, then the address.
std::string LinkFrameValue(std::span<const uint8_t> data);
// The description of such a frame (to tell a plain comment from a tool's private one).
std::string DescriptionOf(std::span<const uint8_t> data, size_t prefix);

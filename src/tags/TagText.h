#pragma once

// Text and number helpers shared by the tag readers. Every string a reader exposes is UTF-8.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "platform/WideText.h"

// Drops leading and trailing bytes of value 0x20 or less (blanks, zero bytes, control codes).
std::string TrimBlanks(std::string_view text);
// Drops trailing bytes of value 0x20 or less only.
std::string TrimRightBlanks(std::string_view text);
std::u16string TrimWideBlanks(std::u16string_view text);
// Cuts the text at its first zero byte.
std::string_view UpToZero(std::string_view text);

std::string Latin1ToUtf8(std::string_view text);
// UTF-16 bytes: with a byte-order mark it decides the order, without one `bigEndian` does.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);
// Length of the well-formed UTF-8 sequence that starts the text, 0 when it is cut or malformed
// (overlong forms, surrogates and values past U+10FFFF included).
size_t Utf8SequenceLength(std::string_view text);
// The longest well-formed UTF-8 prefix: decoding stops at the first cut or malformed sequence.
std::string Utf8Prefix(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Text whose encoding is not stated: kept when it is UTF-8, otherwise read as ISO-8859-1.
std::string Utf8OrLatin1(std::string_view text);

// A track text ("3", "3/12", "07"): the number before the first "/", 0 when that is not an
// integer, kept in 8 bits as the tag formats' readers always did ("300" gives 44).
uint8_t TrackNumber8(std::string_view text);
// A decimal integer with an optional sign, as a whole; false when the text is anything else.
bool ParseInteger(std::string_view text, int32_t& value);

// Rounded to the nearest integer (halves to even) and kept in 16 bits, as the 16-bit fields
// such results go into keep them; 0 for values no integer holds.
uint16_t RoundTo16(double value);

uint16_t BigEndian16(const uint8_t* bytes);
uint32_t BigEndian32(const uint8_t* bytes);
uint16_t LittleEndian16(const uint8_t* bytes);
uint32_t LittleEndian32(const uint8_t* bytes);
uint64_t LittleEndian64(const uint8_t* bytes);
// Whether the bytes begin with the given marker. Inline: the frame and page searches ask it at
// every byte.
inline bool HasMarker(std::span<const uint8_t> bytes, std::string_view marker) {
  return bytes.size() >= marker.size() && !marker.empty() && bytes[0] == static_cast<uint8_t>(marker[0]) &&
         std::memcmp(bytes.data(), marker.data(), marker.size()) == 0;
}
// Where the last copy of the marker begins at or before `lastStart`; npos when there is none.
size_t FindLastMarker(std::span<const uint8_t> bytes, std::string_view marker, size_t lastStart);
std::string BytesToString(std::span<const uint8_t> bytes);

// The display name of a channel count: "Mono", "Stereo", "3Ch" and so on.
std::string ChannelCountName(int channels);

#pragma once

// One file's record as a one-line JSON object: keys named as the record's fields, the stream
// part nested under "StreamInfo", the duration a number.

#include <string>

#include "tags/SongInformation.h"

std::string SongInformationToJson(const SongInformation& info);
// A JSON string literal; bytes that are not UTF-8 become U+FFFD, so the output always is.
std::string JsonString(const std::string& text);

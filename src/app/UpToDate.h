#pragma once

// Whether a re-run may leave an earlier output as it is.

#include <string>

// True when `output` is a plain file modified no earlier than `input`: the input has not changed
// since it was converted. False when either cannot be read.
bool OutputIsCurrent(const std::string& input, const std::string& output);

#pragma once

// Whether a re-run converts a row again whose output is there already.

#include <string>

// True when `output` is a plain file (not a link) modified before `input`: the input changed
// after it was converted. False when either cannot be read.
bool OutputIsStale(const std::string& input, const std::string& output);

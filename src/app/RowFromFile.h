#pragma once

// A list row made from a file's tags and playing time, as the list shows it.

#include <string>

#include "app/ConversionRow.h"

// The file's tag texts and its duration as "H:MM:SS"; checked, "not converted".
TConversionRow ReadConversionRow(const std::string& fileName);

// Whole seconds, rounded, as "H:MM:SS".
std::string FormatDuration(double seconds);

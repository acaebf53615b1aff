#pragma once

#include "macdll/MACDllApi.h"

// The library hides everything but the entry points of MACDllApi.h.
#define MACDLL_EXPORT extern "C" __attribute__((visibility("default")))

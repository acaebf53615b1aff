#pragma once

// The sample-rate converter library, loaded by name at run time ("libsoxr.so.0"); the types come
// from its header, nothing links against it. A resampling stage holds a Load of the binding for
// its lifetime (TBindingRef).

#include <soxr.h>

#include "platform/DynamicLibrary.h"

#define KESTRUNE_SOXR_ENTRIES(X, U) \
  X(soxr_create)                    \
  X(soxr_process)                   \
  X(soxr_delete)                    \
  X(soxr_io_spec)                   \
  X(soxr_quality_spec)

KESTRUNE_BINDING_CLASS(TSoxrBinding, KESTRUNE_SOXR_ENTRIES)

TSoxrBinding& SoxrLibrary();

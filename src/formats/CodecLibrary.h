#pragma once

// The checks a component makes at creation on the codec libraries it drives.

#include <initializer_list>

#include "platform/DynamicLibrary.h"

// EACSException "<file> library could not be loaded." for the first binding that is not loaded.
void RequireLoaded(std::initializer_list<const TLibraryBinding*> bindings);
// EACSException naming the library and the first of `names` it lacks.
void RequireEntryPoints(const TLibraryBinding& binding, std::initializer_list<const char*> names);

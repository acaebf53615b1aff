#include "formats/CodecLibrary.h"

#include "pipeline/ACS_Classes.h"

void RequireLoaded(std::initializer_list<const TLibraryBinding*> bindings) {
  for (const TLibraryBinding* binding : bindings) {
    if (!binding->Loaded()) {
      throw EACSException(binding->FileName() + " library could not be loaded.");
    }
  }
}

void RequireEntryPoints(const TLibraryBinding& binding, std::initializer_list<const char*> names) {
  const std::string missing = binding.FirstMissing(names);
  if (!missing.empty()) {
    throw EACSException(binding.FileName() + " library has no entry point " + missing + ".");
  }
}

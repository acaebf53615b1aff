#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <map>

namespace {

std::mutex RedirectMutex;
std::map<std::string, std::string>& Redirections() {
  static std::map<std::string, std::string> redirections;
  return redirections;
}

std::string ActualName(const std::string& fileName) {
  std::lock_guard lock(RedirectMutex);
  const auto found = Redirections().find(fileName);
  return found == Redirections().end() ? fileName : found->second;
}

}  // namespace

void TLibraryCloser::operator()(void* handle) const {
  if (handle != nullptr) {
    ::dlclose(handle);
  }
}

// RTLD_NODELETE: a codec library may hold process-wide state of its own dependencies (FFmpeg's
// among them) that cannot be torn down; unmapping it would turn that state into leaks and dangling
// pointers, so releasing a handle never unmaps the code.
TLibraryHandle LoadLibraryByName(const std::string& fileName) {
  return TLibraryHandle(::dlopen(ActualName(fileName).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
}

void* LookUpEntryPoint(void* handle, const char* name) { return handle == nullptr ? nullptr : ::dlsym(handle, name); }

void RedirectLibraryForTesting(const std::string& fileName, const std::string& replacement) {
  std::lock_guard lock(RedirectMutex);
  if (replacement.empty()) {
    Redirections().erase(fileName);
  } else {
    Redirections()[fileName] = replacement;
  }
}

void TLibraryBinding::Load() {
  std::lock_guard lock(FMutex);
  if (FNesting++ > 0) {
    return;
  }
  FHandle = LoadLibraryByName(FFileName);
  if (!FHandle) {
    return;
  }
  FLoaded = true;
  LookUpAll(FHandle.get());
}

void TLibraryBinding::Unload() {
  std::lock_guard lock(FMutex);
  if (FNesting == 0 || --FNesting > 0) {
    return;
  }
  FLoaded = false;
  ClearAll();
  FHandle.reset();
}

bool TLibraryBinding::Loaded() const {
  std::lock_guard lock(FMutex);
  return FLoaded;
}

std::string TLibraryBinding::FirstMissing(std::initializer_list<const char*> names) const {
  std::lock_guard lock(FMutex);
  for (const char* name : names) {
    if (Find(name) == nullptr) {
      return name;
    }
  }
  return {};
}

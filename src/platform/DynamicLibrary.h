#pragma once

// Loading shared libraries by name at run time: the codec libraries are never linked, so a machine
// without one of them still runs the program and only the formats that need it are unavailable.

#include <memory>
#include <initializer_list>
#include <mutex>
#include <string>

struct TLibraryCloser {
  void operator()(void* handle) const;
};
using TLibraryHandle = std::unique_ptr<void, TLibraryCloser>;

// Loads by bare file name, so LD_LIBRARY_PATH, the program's RUNPATH and the system folders are
// searched. Empty when the library cannot be loaded.
TLibraryHandle LoadLibraryByName(const std::string& fileName);
// Null when the library has no entry point of that name.
void* LookUpEntryPoint(void* handle, const char* name);

// For tests: loading `fileName` loads `replacement` instead (a library that does not exist, or one
// that lacks the entry points). An empty replacement removes the redirection.
void RedirectLibraryForTesting(const std::string& fileName, const std::string& replacement);

// One library of the process, shared by every component that uses it. Each Load is matched by an
// Unload; the first Load loads the library and looks up every entry point, the last Unload releases
// it. A failed load leaves Loaded() false until every holder has unloaded.
class TLibraryBinding {
public:
  explicit TLibraryBinding(std::string fileName) : FFileName(std::move(fileName)) {}
  virtual ~TLibraryBinding() = default;

  TLibraryBinding(const TLibraryBinding&) = delete;
  TLibraryBinding& operator=(const TLibraryBinding&) = delete;

  void Load();
  void Unload();
  bool Loaded() const;
  const std::string& FileName() const { return FFileName; }

  // The first of `names` that the loaded library lacks; empty when it has them all.
  std::string FirstMissing(std::initializer_list<const char*> names) const;

protected:
  // Stores every entry point of the library; a name the library lacks gives null.
  virtual void LookUpAll(void* handle) = 0;
  virtual void ClearAll() = 0;
  // The stored entry point of that name, null when missing or not one of this binding's names.
  virtual void* Find(const std::string& name) const = 0;

private:
  std::string FFileName;
  mutable std::mutex FMutex;
  TLibraryHandle FHandle;
  bool FLoaded = false;
  int FNesting = 0;
};

// Holds one Load of a binding for the life of the holder (a component).
class TBindingRef {
public:
  explicit TBindingRef(TLibraryBinding& binding) : FBinding(binding) { FBinding.Load(); }
  ~TBindingRef() { FBinding.Unload(); }
  TBindingRef(const TBindingRef&) = delete;
  TBindingRef& operator=(const TBindingRef&) = delete;

private:
  TLibraryBinding& FBinding;
};

// Entry-point tables are written as X-macro lists. KESTRUNE_DECLARE_ENTRY declares one pointer
// typed from the library's own header; KESTRUNE_DECLARE_UNTYPED_ENTRY one for a name that the
// installed header no longer declares (looked up like the others, never called).
#define KESTRUNE_DECLARE_ENTRY(name) decltype(&::name) name = nullptr;
#define KESTRUNE_DECLARE_UNTYPED_ENTRY(name) void (*name)() = nullptr;
#define KESTRUNE_LOOK_UP_ENTRY(name) name = reinterpret_cast<decltype(name)>(LookUpEntryPoint(handle, #name));
#define KESTRUNE_CLEAR_ENTRY(name) name = nullptr;
#define KESTRUNE_FIND_ENTRY(name) \
  if (wanted == #name) return reinterpret_cast<void*>(name);

// The class of one binding: `list` is an X-macro list taking (typed, untyped) macros.
#define KESTRUNE_BINDING_CLASS(className, list)                                           \
  class className : public TLibraryBinding {                                              \
  public:                                                                                 \
    using TLibraryBinding::TLibraryBinding;                                               \
    list(KESTRUNE_DECLARE_ENTRY, KESTRUNE_DECLARE_UNTYPED_ENTRY)                          \
  protected:                                                                              \
    void LookUpAll(void* handle) override { list(KESTRUNE_LOOK_UP_ENTRY, KESTRUNE_LOOK_UP_ENTRY) } \
    void ClearAll() override { list(KESTRUNE_CLEAR_ENTRY, KESTRUNE_CLEAR_ENTRY) }         \
    void* Find(const std::string& wanted) const override {                                \
      list(KESTRUNE_FIND_ENTRY, KESTRUNE_FIND_ENTRY) return nullptr;                      \
    }                                                                                     \
  };

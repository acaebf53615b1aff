#pragma once

// Points XDG_CONFIG_HOME (and HOME) at a temporary folder for the life of the object, so a test
// never reads or writes the real user's settings.

#include <optional>
#include <string>

#include "support/TestSupport.h"

namespace testing_support {

class ScopedConfigHome {
public:
  ScopedConfigHome();
  ~ScopedConfigHome();
  ScopedConfigHome(const ScopedConfigHome&) = delete;
  ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

  std::string Path() const { return FDir.Path().string(); }
  // The settings file inside it.
  std::string RegistryFile() const { return Path() + "/Quillmar/Kestrune.reg"; }
  // "XDG_CONFIG_HOME=... HOME=... " for a command line.
  std::string EnvironmentPrefix() const;

private:
  TempDir FDir;
  std::optional<std::string> FOldConfig;
  std::optional<std::string> FOldHome;
};

}  // namespace testing_support

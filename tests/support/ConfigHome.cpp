#include "support/ConfigHome.h"

#include <cstdlib>

namespace testing_support {

namespace {

std::optional<std::string> Get(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

void Restore(const char* name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

}  // namespace

ScopedConfigHome::ScopedConfigHome() : FOldConfig(Get("XDG_CONFIG_HOME")), FOldHome(Get("HOME")) {
  ::setenv("XDG_CONFIG_HOME", Path().c_str(), 1);
  ::setenv("HOME", Path().c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome() {
  Restore("XDG_CONFIG_HOME", FOldConfig);
  Restore("HOME", FOldHome);
}

std::string ScopedConfigHome::EnvironmentPrefix() const {
  return "XDG_CONFIG_HOME=" + Quote(Path()) + " HOME=" + Quote(Path()) + " ";
}

}  // namespace testing_support

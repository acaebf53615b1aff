#pragma once

// Runs a sink to its end and reports how it ended.

#include <string>

class TACSOutput;

namespace testing_support {

struct SinkOutcome {
  bool Done = false;        // OnDone was raised
  std::string Failure;      // the OnThreadException message, if any
};

// Calls Run and waits (at most a minute) for OnDone or OnThreadException.
SinkOutcome RunToEnd(TACSOutput& sink);

}  // namespace testing_support

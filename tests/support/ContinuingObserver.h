#pragma once

#include "app/ConversionDriver.h"

namespace testing_support {

// Goes on after a failed row, as the command line does, instead of waiting for Stop as the window
// does: a test can then read every row's result.
class TContinuingObserver : public TConversionObserver {
  bool ContinueAfterFailure() const override { return true; }
};

}  // namespace testing_support

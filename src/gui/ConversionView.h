#pragma once

// What a running batch shows in the main window: the progress bars, the rows' status texts, the
// failure in the status bar, the enabled buttons. The driver calls it on the window's thread;
// while it waits for a row, the window goes on handling its events.

#include "app/ConversionDriver.h"

class TFrmConverter;

class TConversionView : public TConversionObserver {
public:
  explicit TConversionView(TFrmConverter& window) : FWindow(window) {}

  void BatchStarted(int32_t fileCount) override;
  void FileProgress(int32_t row, int32_t percent) override;
  void RowStatus(int32_t row, const std::string& status) override;
  void RowFailed(int32_t row, const std::string& message) override;
  void TotalProgress(int32_t position, int32_t maximum) override;
  void BatchEnded(const TBatchResult& result) override;
  void Inform(const std::string& text, const std::string& title) override;
  void WaitForRow(TRowWait& wait) override;

private:
  TFrmConverter& FWindow;
};

// "<n>% Done" with n kept within 0 to 100; any other status as it is.
std::string BoundedStatus(const std::string& status);

#pragma once

// Follows a batch on standard error: each file's progress and the batch's, and every failure.

#include <atomic>
#include <csignal>

#include "app/ConversionDriver.h"

class TCliProgress : public TConversionObserver {
public:
  // `interrupted` is set by the program's signal handler; the wait turns it into a Stop.
  TCliProgress(TConversionDriver& driver, bool quiet, const volatile std::sig_atomic_t& interrupted);

  void BatchStarted(int32_t fileCount) override;
  void RowStarted(int32_t row, const std::string& input, const std::string& output) override;
  void FileProgress(int32_t row, int32_t percent) override;
  void RowStatus(int32_t row, const std::string& status) override;
  void RowFailed(int32_t row, const std::string& message) override;
  void TotalProgress(int32_t position, int32_t maximum) override;
  void WaitForRow(TRowWait& wait) override;
  bool ContinueAfterFailure() const override { return true; }

private:
  void EndProgressLine();

  TConversionDriver& FDriver;
  bool FQuiet;
  bool FTerminal;
  const volatile std::sig_atomic_t& FInterrupted;
  bool FStopped = false;
  int32_t FFileCount = 0;
  int32_t FLastShown = -1;
  bool FLineOpen = false;
};

#pragma once

// Follows a batch on standard error: each file's progress and the batch's, and every failure.

#include <functional>

#include "app/ConversionDriver.h"

class TCliProgress : public TConversionObserver {
public:
  // `stopAsked` tells whether a stop signal came before the batch started; it then stops at once.
  TCliProgress(TConversionDriver& driver, bool quiet, std::function<bool()> stopAsked);

  void BatchStarted(int32_t fileCount) override;
  void RowStarted(int32_t row, const std::string& input, const std::string& output) override;
  void RowOutput(int32_t row, const std::string& output) override;
  void FileProgress(int32_t row, int32_t percent) override;
  void RowStatus(int32_t row, const std::string& status) override;
  void RowFailed(int32_t row, const std::string& message) override;
  void TotalProgress(int32_t position, int32_t maximum) override;
  bool ContinueAfterFailure() const override { return true; }

private:
  void EndProgressLine();

  TConversionDriver& FDriver;
  bool FQuiet;
  bool FTerminal;
  std::function<bool()> FStopAsked;
  int32_t FFileCount = 0;
  int32_t FLastShown = -1;
  bool FLineOpen = false;
};

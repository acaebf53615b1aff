#include "CliProgress.h"

#include <cstdio>
#include <unistd.h>

TCliProgress::TCliProgress(TConversionDriver& driver, bool quiet, std::function<bool()> stopAsked)
    : FDriver(driver), FQuiet(quiet), FTerminal(::isatty(STDERR_FILENO) == 1), FStopAsked(std::move(stopAsked)) {}

void TCliProgress::EndProgressLine() {
  if (FLineOpen) {
    std::fputc('\n', stderr);
    FLineOpen = false;
  }
}

void TCliProgress::BatchStarted(int32_t fileCount) {
  FFileCount = fileCount;
  if (FStopAsked && FStopAsked()) {
    FDriver.Stop();
  }
}

void TCliProgress::RowStarted(int32_t row, const std::string& input, const std::string& output) {
  FLastShown = -1;
  if (!FQuiet) {
    std::fprintf(stderr, "[%d/%d] %s -> %s\n", row, FFileCount, input.c_str(), output.c_str());
  }
}

void TCliProgress::RowOutput(int32_t, const std::string& output) {
  if (!FQuiet) {
    EndProgressLine();
    std::fprintf(stderr, "  written as %s (the name was taken meanwhile)\n", output.c_str());
  }
}

void TCliProgress::FileProgress(int32_t, int32_t percent) {
  if (FQuiet || percent < 0) {
    return;
  }
  // On a terminal one line is rewritten; in a log only every quarter is worth a line.
  if (FTerminal) {
    std::fprintf(stderr, "\r  %3d%%", percent);
    FLineOpen = true;
  } else if (percent / 25 != FLastShown / 25 || FLastShown < 0) {
    std::fprintf(stderr, "  %d%%\n", percent);
  }
  FLastShown = percent;
}

void TCliProgress::RowStatus(int32_t, const std::string& status) {
  if (!FQuiet && (status == "Complete" || status == "Stopped")) {
    if (FTerminal) {
      std::fputs("\r  100%", stderr);
      FLineOpen = true;
    }
    EndProgressLine();
  }
}

void TCliProgress::RowFailed(int32_t, const std::string& message) {
  EndProgressLine();
  std::fprintf(stderr, "%s\n", message.c_str());
}

void TCliProgress::TotalProgress(int32_t position, int32_t maximum) {
  if (!FQuiet && position > 0) {
    std::fprintf(stderr, "  total: %d of %d\n", position, maximum);
  }
}


#pragma once

// SIGINT, SIGTERM and SIGHUP stop a batch as the window's Stop button does: the file being
// written is finished and kept, no further file is started. A second such signal ends the
// program at once (its unfinished file stays a hidden temporary file). The handler only writes
// to a pipe; a thread of its own reads it and calls back.

#include <functional>
#include <thread>

class TStopSignals {
public:
  // Installs the handlers; `onStop` runs on the watching thread at the first signal.
  explicit TStopSignals(std::function<void(int signal)> onStop);
  // Puts the default handlers back and ends the thread.
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

  // The first stop signal that came, 0 when none did.
  int Signal() const;

private:
  void Watch();

  std::function<void(int)> FOnStop;
  int FPipe[2] = {-1, -1};
  std::thread FWatcher;
};

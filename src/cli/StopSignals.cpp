#include "StopSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int StopSignalList[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t FirstSignal = 0;
volatile std::sig_atomic_t WriteEnd = -1;

void SetHandler(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

// Only async-signal-safe calls: a flag, a byte into the pipe, the default handlers back.
void OnStopSignal(int signal) {
  const int saved = errno;
  if (FirstSignal == 0) {
    FirstSignal = signal;
  }
  const auto byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(WriteEnd, &byte, 1);
  for (const int each : StopSignalList) {
    SetHandler(each, SIG_DFL);
  }
  errno = saved;
}

}  // namespace

TStopSignals::TStopSignals(std::function<void(int)> onStop) : FOnStop(std::move(onStop)) {
  if (::pipe2(FPipe, O_CLOEXEC) != 0) {
    FPipe[0] = FPipe[1] = -1;
  }
  WriteEnd = FPipe[1];
  FWatcher = std::thread([this] { Watch(); });
  for (const int signal : StopSignalList) {
    SetHandler(signal, OnStopSignal);
  }
}

TStopSignals::~TStopSignals() {
  for (const int signal : StopSignalList) {
    SetHandler(signal, SIG_DFL);
  }
  const unsigned char quit = 0;
  if (FPipe[1] < 0 || ::write(FPipe[1], &quit, 1) != 1) {
    FWatcher.detach();
  } else {
    FWatcher.join();
  }
  WriteEnd = -1;
  for (const int end : FPipe) {
    if (end >= 0) {
      ::close(end);
    }
  }
}

int TStopSignals::Signal() const { return FirstSignal; }

void TStopSignals::Watch() {
  bool stopped = false;
  for (;;) {
    unsigned char byte = 0;
    const ssize_t got = ::read(FPipe[0], &byte, 1);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0 || byte == 0) {
      return;
    }
    if (!stopped) {
      stopped = true;
      FOnStop(byte);
    }
  }
}

#include "pipeline/ACS_Thread.h"

#include "pipeline/ACS_Classes.h"

TACSThread::TACSThread(TACSOutput& sink) : FSink(sink), FThread([this] { Execute(); }) {}

TACSThread::~TACSThread() { Quit(); }

void TACSThread::Wake() {
  {
    std::lock_guard lock(FMutex);
  }
  FWake.notify_one();
}

void TACSThread::Quit() {
  if (!FThread.joinable()) {
    return;
  }
  {
    std::lock_guard lock(FMutex);
    FQuitRequested = true;
  }
  FWake.notify_one();
  FThread.join();
}

bool TACSThread::WaitForRun() {
  std::unique_lock lock(FMutex);
  FSuspended = true;
  FWake.wait(lock, [this] { return FQuitRequested || FSink.FActive.load(); });
  FSuspended = false;
  return !FQuitRequested;
}

void TACSThread::Execute() {
  if (!WaitForRun()) {
    return;
  }
  for (;;) {
    bool quit;
    {
      std::lock_guard lock(FMutex);
      quit = FQuitRequested;
    }
    if (quit) {
      // Returns at once without finishing the file; the sink's destructor decides what follows.
      try {
        FSink.DoOutput(true);
      } catch (...) {
      }
      return;
    }
    bool runEnded = false;
    try {
      if (!FSink.DoOutput(AbortRequested.load())) {
        AbortRequested = false;
        runEnded = true;
        FSink.DonePath();
      }
    } catch (const std::exception& error) {
      AbortRequested = false;
      runEnded = true;
      FSink.FailurePath(error);
    } catch (...) {
      AbortRequested = false;
      runEnded = true;
      FSink.FailurePath(EACSException("Unknown failure in the conversion"));
    }
    if (runEnded && SuspendWhenIdle.load() && !WaitForRun()) {
      return;
    }
  }
}

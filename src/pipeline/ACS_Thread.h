#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class TACSOutput;

// The worker of one sink: pulls one chunk per pass while the sink is active, runs the done or
// failure path at the end of a run and then waits, idle, for the next Run.
class TACSThread {
public:
  explicit TACSThread(TACSOutput& sink);
  ~TACSThread();  // ends the loop as Quit does

  // Called by Run after the sink became active. The idle wait tests the sink's state, so a Run
  // that comes before the worker has gone idle is never lost.
  void Wake();
  // Ends the loop: a working worker makes one last DoOutput(true); an idle one ends at once.
  void Quit();
  bool Suspended() const { return FSuspended.load(); }

  std::atomic<bool> AbortRequested{false};
  std::atomic<bool> SuspendWhenIdle{true};

private:
  void Execute();
  // False when the worker is to end instead.
  bool WaitForRun();

  TACSOutput& FSink;
  std::mutex FMutex;
  std::condition_variable FWake;
  bool FQuitRequested = false;
  std::atomic<bool> FSuspended{true};
  std::thread FThread;
};

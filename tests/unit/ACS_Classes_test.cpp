#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "pipeline/ACS_Classes.h"
#include "support/FakeComponents.h"

using testing_support::TMemorySink;
using testing_support::TMemorySource;
using testing_support::TSinkWaiter;

namespace {

std::vector<uint8_t> Bytes(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  return bytes;
}

// Holds the worker inside its first GetData until Release, so a test sees a run in progress for
// certain rather than after a guessed wait.
class TGatedSource : public TMemorySource {
public:
  using TMemorySource::TMemorySource;

  int32_t GetData(std::span<uint8_t> buffer) override {
    {
      std::unique_lock lock(FMutex);
      FEntered = true;
      FChanged.notify_all();
      FChanged.wait(lock, [this] { return FReleased; });
    }
    if (Endless) {
      const size_t count = std::min(buffer.size(), static_cast<size_t>(MaxPerCall));
      std::fill_n(buffer.begin(), count, uint8_t{0});
      return static_cast<int32_t>(count);
    }
    return TMemorySource::GetData(buffer);
  }
  // Never runs out, so a run on it can only end once its input is changed or it is stopped.
  bool Endless = false;
  bool WaitUntilEntered() {
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, std::chrono::seconds(30), [this] { return FEntered; });
  }
  void Release() {
    std::lock_guard lock(FMutex);
    FReleased = true;
    FChanged.notify_all();
  }

private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FEntered = false;
  bool FReleased = false;
};

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(12.5), 12);
  EXPECT_EQ(RoundHalfEven(37.5), 38);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(2.51), 3);
}

TEST(Sink, RunWithoutInputFailsAndStaysIdle) {
  TMemorySink sink;
  try {
    sink.Run();
    FAIL() << "Run without input must fail";
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "Input is not assigned");
  }
  EXPECT_EQ(sink.Status(), tosIdle);
  EXPECT_EQ(sink.PrepareCount, 0);
}

TEST(Sink, MovesEveryByteAndRaisesDoneOnce) {
  TMemorySource source(Bytes(100000), 16, 2, 44100);
  source.MaxPerCall = 1000;
  TMemorySink sink;
  sink.SetInput(&source);
  std::atomic<int> doneEvents{0};
  std::promise<void> firstDone;
  std::vector<int32_t> progress;
  sink.SetOnDone([&](TComponent* sender) {
    EXPECT_EQ(sender, &sink);
    // Busy is cleared before OnDone.
    EXPECT_FALSE(sink.Busy());
    if (++doneEvents == 1) {
      firstDone.set_value();
    }
  });
  sink.SetOnProgress([&](TComponent*) { progress.push_back(sink.LastProgress()); });
  sink.Run();
  ASSERT_EQ(firstDone.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  ASSERT_EQ(doneEvents, 1);
  EXPECT_FALSE(sink.Busy());
  EXPECT_EQ(sink.Received, Bytes(100000));
  EXPECT_EQ(sink.DoneCount, 1);
  EXPECT_EQ(source.FlushCount, 1);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  for (size_t i = 1; i < progress.size(); ++i) {
    EXPECT_GT(progress[i], progress[i - 1]) << "progress is raised only when the percentage changes";
  }
}

TEST(Sink, SecondRunWhileBusyFails) {
  TMemorySource source(Bytes(1 << 20), 16, 2, 44100);
  source.MaxPerCall = 16;
  TMemorySink sink;
  sink.ChunkSize = 16;
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  sink.Run();
  try {
    sink.Run();
    FAIL() << "a second Run while busy must fail";
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "Component is buisy");
  }
  sink.Stop();
  ASSERT_TRUE(waiter.Wait());
}

TEST(Sink, PrepareFailureReachesTheCallerAsThreadException) {
  TMemorySource source(Bytes(1000), 16, 2, 44100);
  TMemorySink sink;
  sink.FailInPrepare = true;
  sink.SetInput(&source);
  std::string message;
  bool done = false;
  const auto caller = std::this_thread::get_id();
  sink.SetOnThreadException([&](TComponent*, const std::exception& error) {
    message = error.what();
    EXPECT_EQ(std::this_thread::get_id(), caller);
  });
  sink.SetOnDone([&](TComponent*) { done = true; });
  EXPECT_NO_THROW(sink.Run());
  EXPECT_EQ(message, "prepare failed");
  EXPECT_FALSE(done);
  EXPECT_EQ(sink.DoneCount, 0);
  EXPECT_EQ(sink.Status(), tosIdle);
}

TEST(Sink, FailureDuringTheRunCallsDoneAndRaisesThreadException) {
  TMemorySource source(Bytes(50000), 16, 2, 44100);
  source.FailAfter = 20000;
  TMemorySink sink;
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_EQ(waiter.Error(), "source failed");
  EXPECT_EQ(sink.DoneCount, 1);
  EXPECT_FALSE(sink.Busy());
  EXPECT_FALSE(sink.Active());
  // The worker survives and serves the next run.
  source.FailAfter.reset();
  waiter.Reset();
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_TRUE(waiter.Succeeded());
  EXPECT_EQ(sink.Received.size(), 50000u);
}

TEST(Sink, FailingDoneIsCalledAgainAndReportedAsFailure) {
  TMemorySource source(Bytes(1000), 16, 2, 44100);
  TMemorySink sink;
  sink.FailInDone = true;
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_EQ(waiter.Error(), "done failed");
  EXPECT_EQ(sink.DoneCount, 2);
  EXPECT_EQ(sink.Status(), tosIdle);
}

TEST(Sink, StopEndsTheRunThroughDone) {
  TMemorySource source(Bytes(1 << 22), 16, 2, 44100);
  source.MaxPerCall = 64;
  TMemorySink sink;
  sink.ChunkSize = 64;
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  // Stopping from the progress event makes the point of the stop independent of timing.
  sink.SetOnProgress([&](TComponent*) {
    if (sink.LastProgress() == 5) {
      sink.Stop();
    }
  });
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_TRUE(waiter.Succeeded());
  EXPECT_EQ(sink.DoneCount, 1);
  EXPECT_LT(sink.Received.size(), size_t{1} << 21);
}

TEST(Sink, StopOnAnIdleSinkDoesNotSpoilTheNextRun) {
  TMemorySource source(Bytes(10000), 16, 2, 44100);
  TMemorySink sink;
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  sink.Stop();
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_EQ(sink.Received.size(), 10000u);
}

TEST(Sink, RunStartedFromOnDoneCompletesToo) {
  TMemorySource source(Bytes(30000), 16, 2, 44100);
  TMemorySink sink;
  sink.SetInput(&source);
  std::mutex mutex;
  std::condition_variable ended;
  int runs = 0;
  sink.SetOnDone([&](TComponent*) {
    std::lock_guard lock(mutex);
    if (++runs == 1) {
      sink.Run();
    }
    ended.notify_all();
  });
  sink.Run();
  std::unique_lock lock(mutex);
  ASSERT_TRUE(ended.wait_for(lock, std::chrono::seconds(10), [&] { return runs == 2; }));
  EXPECT_EQ(sink.Received.size(), 30000u);
}

TEST(Sink, DestroyedWhileRunningEndsWithoutEvents) {
  TGatedSource source(Bytes(1 << 24), 16, 2, 44100);
  source.MaxPerCall = 16;
  std::atomic<bool> doneRaised = false;
  {
    TMemorySink sink;
    sink.ChunkSize = 16;
    sink.SetInput(&source);
    sink.SetOnDone([&](TComponent*) { doneRaised = true; });
    sink.Run();
    ASSERT_TRUE(source.WaitUntilEntered());
    EXPECT_EQ(sink.Status(), tosRunning);
    source.Release();
  }
  EXPECT_FALSE(doneRaised);
  // The cut-off run is still finished, so its output is well-formed.
  EXPECT_EQ(source.FlushCount, 1);
}

TEST(Sink, WorkerIsSuspendedWhileIdle) {
  TMemorySource source(Bytes(1000), 16, 2, 44100);
  TMemorySink sink;
  EXPECT_TRUE(sink.SuspendWhenIdle());
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  sink.Run();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_EQ(sink.Status(), tosIdle);
}

TEST(Sink, ProgressFollowsTheInput) {
  TMemorySource source(Bytes(8), 16, 2, 44100);
  TMemorySink sink;
  EXPECT_EQ(sink.Progress(), 0) << "no input";
  sink.SetInput(&source);
  source.Init();
  std::array<uint8_t, 8> buffer{};
  source.MaxPerCall = 1;
  source.GetData(buffer);
  EXPECT_EQ(sink.Progress(), 12) << "1 of 8 is 12.5, which goes to 12";
  source.MaxPerCall = 2;
  source.GetData(buffer);
  EXPECT_EQ(sink.Progress(), 38) << "3 of 8 is 37.5, which goes to 38";
  source.Flush();
  source.AnnouncedSize = -1;
  source.Init();
  EXPECT_EQ(sink.Progress(), -1);
  source.AnnouncedSize = 0;
  source.Init();
  EXPECT_EQ(sink.Progress(), 0);
}

TEST(Sink, DestroyedInputIsDropped) {
  TMemorySink sink;
  auto source = std::make_unique<TMemorySource>(Bytes(10), 16, 2, 44100);
  sink.SetInput(source.get());
  source.reset();
  EXPECT_EQ(sink.Input(), nullptr);
}

TEST(Sink, InputSwappedDuringARunIsInitialisedAndTheOldOneFlushed) {
  TGatedSource first(Bytes(0), 16, 2, 44100);
  first.MaxPerCall = 64;
  first.Endless = true;
  TMemorySource second(Bytes(5000), 16, 2, 44100);
  TMemorySink sink;
  sink.ChunkSize = 64;
  sink.SetInput(&first);
  TSinkWaiter waiter(sink);
  sink.Run();
  ASSERT_TRUE(first.WaitUntilEntered());
  // The swap is asked for while the worker is inside a read of the first input; it takes the
  // input lock once that read is let go.
  std::thread swap([&] { sink.SetInput(&second); });
  first.Release();
  swap.join();
  EXPECT_EQ(second.InitCount, 1);
  EXPECT_EQ(first.FlushCount, 1);
  ASSERT_TRUE(waiter.Wait());
  EXPECT_TRUE(waiter.Succeeded());
  EXPECT_EQ(second.FlushCount, 1);
}

TEST(FileOut, BaseSinkKeepsRewriteMode) {
  class TPlainFileOut : public TACSFileOut {
  public:
    ~TPlainFileOut() override { EndWorker(); }

  protected:
    bool DoOutput(bool) override { return false; }
    void Done() override {}
    void Prepare() override { RequireFileName(); }
  } sink;
  sink.SetFileMode(foAppend);
  EXPECT_EQ(sink.FileMode(), foRewrite);
  TMemorySource source(Bytes(10), 16, 2, 44100);
  sink.SetInput(&source);
  std::string message;
  sink.SetOnThreadException([&](TComponent*, const std::exception& error) { message = error.what(); });
  sink.Run();
  EXPECT_EQ(message, "File name is not assigned.");
}

}  // namespace

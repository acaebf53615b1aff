#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "formats/wave/ACS_Wave.h"
#include "pipeline/ACS_Converters.h"
#include "support/FakeComponents.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// 1000 short conversions through source, both stages and the WAV sink, back to back, each
// stopped at a random point (or left to finish). Every run must end exactly once and leave a
// file whose header matches its length. Run under ThreadSanitizer by `make test`.
TEST(PipelineStress, ThousandConversionsStoppedAtRandomPoints) {
  TempDir dir;
  const std::string input = dir.File("in.wav");
  WriteFileBytes(input, PcmWaveFile(1, 8000, 8, MakeSine8(24000, 1, 8000)));
  const std::string output = dir.File("out.wav");

  TWaveIn source;
  source.SetFileName(input);
  TSampleConverter widen;
  widen.SetInput(&source);
  TMSConverter spread;
  spread.SetInput(&widen);
  TWaveOut sink;
  sink.SetFileName(output);
  sink.SetInput(&spread);
  TSinkWaiter waiter(sink);

  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> pause(0, 400);
  int stopped = 0;
  for (int run = 0; run < 1000; ++run) {
    waiter.Reset();
    sink.Run();
    const int microseconds = pause(random);
    if (microseconds < 300) {
      std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
      sink.Stop();
      ++stopped;
    }
    ASSERT_TRUE(waiter.Wait(20000)) << "run " << run << " never ended";
    ASSERT_TRUE(waiter.Succeeded()) << "run " << run << ": " << waiter.Error();
    const auto file = ReadFileBytes(output);
    ASSERT_GE(file.size(), 44u);
    ASSERT_EQ(Le32At(file, 40), file.size() - 44) << "run " << run;
    ASSERT_LE(file.size() - 44, 24000u * 4);
  }
  EXPECT_GT(stopped, 0);
}

// Runs chained from OnDone on the worker while the caller stops them at random.
TEST(PipelineStress, RunsStartedFromOnDoneWhileTheCallerInterferes) {
  std::vector<uint8_t> bytes(20000, 7);
  TMemorySource first(bytes, 16, 2, 44100);
  first.MaxPerCall = 256;
  TMemorySink sink;
  sink.ChunkSize = 256;
  sink.SetInput(&first);
  std::mutex mutex;
  std::condition_variable ended;
  int remaining = 300;
  sink.SetOnDone([&](TComponent*) {
    std::lock_guard lock(mutex);
    if (--remaining > 0) {
      sink.Run();
    }
    ended.notify_all();
  });
  sink.SetOnThreadException([&](TComponent*, const std::exception& error) { ADD_FAILURE() << error.what(); });
  sink.Run();
  std::mt19937 random(7);
  for (;;) {
    {
      std::unique_lock lock(mutex);
      if (ended.wait_for(lock, std::chrono::microseconds(random() % 500), [&] { return remaining == 0; })) {
        break;
      }
    }
    sink.Stop();
  }
  EXPECT_EQ(remaining, 0);
}

TEST(PipelineStress, DestroyingRunningSinks) {
  TempDir dir;
  std::vector<uint8_t> bytes(1 << 20, 1);
  for (int i = 0; i < 200; ++i) {
    TMemorySource source(bytes, 16, 2, 44100);
    source.MaxPerCall = 1024;
    TWaveOut sink;
    sink.SetFileName(dir.File("cut.wav"));
    sink.SetInput(&source);
    sink.Run();
    std::this_thread::sleep_for(std::chrono::microseconds(i % 50));
  }
  const auto file = ReadFileBytes(dir.File("cut.wav"));
  EXPECT_EQ(Le32At(file, 40), file.size() - 44) << "a sink destroyed mid-run still finishes its file";
}

}  // namespace

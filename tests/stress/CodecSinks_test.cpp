#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "formats/flac/ACS_FLAC.h"
#include "formats/mp3/ACS_LAME.h"
#include "formats/vorbis/ACS_Vorbis.h"
#include "support/FakeComponents.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> Input() { return SamplesToBytes(MakeSine16(44100 * 4, 2, 44100)); }

// Each codec sink, 40 runs back to back, each stopped after a random pause or left to finish;
// then one destroyed in the middle of a run. Every run ends once, and every file is complete.
// Run under ThreadSanitizer by `make test`.
template <class TSink>
void StopAndDestroyAtRandomPoints(const std::string& extension,
                                  const std::function<void(const std::string&)>& checkFile) {
  TempDir dir;
  const std::string output = dir.File("out." + extension);
  TMemorySource source(Input(), 16, 2, 44100);
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> pause(0, 30);
  {
    TSink sink;
    sink.SetInput(&source);
    sink.SetFileName(output);
    TSinkWaiter waiter(sink);
    for (int run = 0; run < 40; ++run) {
      waiter.Reset();
      sink.Run();
      const int wait = pause(random);
      if (wait < 25) {
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        sink.Stop();
      }
      ASSERT_TRUE(waiter.Wait(60000)) << "run " << run;
      ASSERT_TRUE(waiter.Succeeded()) << waiter.Error();
      checkFile(output);
    }
  }
  {
    auto sink = std::make_unique<TSink>();
    sink->SetInput(&source);
    sink->SetFileName(output);
    sink->Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    sink.reset();
    checkFile(output);
  }
  EXPECT_EQ(source.InitCount, source.FlushCount);
}

}  // namespace

TEST(CodecSinksStress, FlacRunsStoppedOrDestroyedLeaveCompleteStreams) {
  StopAndDestroyAtRandomPoints<TFLACOut>("flac", [](const std::string& file) {
    TFLACIn in;
    in.SetFileName(file);
    in.Init();
    const auto pcm = DrainSource(in, 65536);
    EXPECT_EQ(static_cast<int32_t>(pcm.size()), in.Size());
    in.Flush();
  });
}

TEST(CodecSinksStress, VorbisRunsStoppedOrDestroyedLeaveReadableStreams) {
  StopAndDestroyAtRandomPoints<TVorbisOut>("ogg", [](const std::string& file) {
    TVorbisIn in;
    in.SetFileName(file);
    in.Init();
    const auto pcm = DrainSource(in, 65536);
    EXPECT_EQ(static_cast<int32_t>(pcm.size()), in.Size());
    in.Flush();
  });
}

TEST(CodecSinksStress, Mp3RunsStoppedOrDestroyedGetTheirHeaderFrameCompleted) {
  StopAndDestroyAtRandomPoints<TMP3Out>("mp3", [](const std::string& file) {
    const auto bytes = ReadFileBytes(file);
    ASSERT_GT(bytes.size(), 200u);
    EXPECT_EQ(bytes[0], 0xFF);
    // The frame count of LAME's header frame is written back by Done, however the run ended.
    const std::string head(bytes.begin(), bytes.begin() + 200);
    const size_t info = head.find("Info");
    ASSERT_NE(info, std::string::npos);
    EXPECT_GT(Le32At(bytes, info + 8), 0u);
  });
}

#include "formats/directshow/ACS_DX9.h"

#include <gtest/gtest.h>

#include "support/MediaFiles.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> Drain(TDX9In& source, size_t request = 10000, int32_t* highestPosition = nullptr) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(request);
  while (const int32_t n = source.GetData(buffer)) {
    all.insert(all.end(), buffer.begin(), buffer.begin() + n);
    if (highestPosition != nullptr) {
      EXPECT_LE(source.Position(), source.Size()) << "Progress would pass 100";
    }
  }
  return all;
}

class DX9InTest : public ::testing::Test {
protected:
  TempDir FDir;
  std::string FFile = FDir.File("tone.wma");
  void SetUp() override { WriteWmaFile(FFile, MakeSine16(3 * 44100 + 22050, 2, 44100), 2, 44100); }
};

}  // namespace

TEST(DX9StartupTest, MessageOnlyWhenTheDecodersAreMissing) {
  EXPECT_EQ(DX9StartupMessage(), "");
  EXPECT_EQ(DX9StartupMessage([] { return std::string("missing"); }), "missing");
}

TEST_F(DX9InTest, SizeFollowsTheExactDurationAndEndsAtWhatWasDelivered) {
  TDX9In source;
  source.SetFileName(FFile);
  EXPECT_EQ(source.GetChannels(), 2);
  EXPECT_EQ(source.GetSampleRate(), 44100);
  EXPECT_EQ(source.GetBitsPerSample(), 16);
  EXPECT_EQ(source.OpenCount(), 0);
  source.Init();
  // 3.5 s: not rounded down to whole seconds (529200 bytes).
  EXPECT_NEAR(source.Size(), 617400, 176400 / 10);
  EXPECT_EQ(source.TotalSamples(), source.Size() / 4);
  EXPECT_EQ(source.GetTotalTime(), 4);
  int32_t highest = 0;
  const std::vector<uint8_t> all = Drain(source, 10000, &highest);
  EXPECT_EQ(static_cast<int32_t>(all.size()), source.Size());
  EXPECT_EQ(source.Position(), source.Size());
  EXPECT_EQ(all, DecodeWithReader(FFile));
  source.Flush();
  EXPECT_FALSE(source.Busy());
  EXPECT_EQ(source.OpenCount(), 0);
}

TEST_F(DX9InTest, LoopRestartsAtTheStart) {
  TDX9In source;
  source.SetFileName(FFile);
  const std::vector<uint8_t> once = DecodeWithReader(FFile);
  source.SetLoop(true);
  source.Init();
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(4096);
  while (all.size() < once.size() * 2 + 8192) {
    const int32_t n = source.GetData(buffer);
    ASSERT_GT(n, 0);
    all.insert(all.end(), buffer.begin(), buffer.begin() + n);
  }
  EXPECT_TRUE(std::equal(once.begin(), once.end(), all.begin()));
  EXPECT_TRUE(std::equal(once.begin(), once.end(), all.begin() + static_cast<std::ptrdiff_t>(once.size())));
  source.Flush();
}

TEST_F(DX9InTest, StartSampleStartsAtThatFrameExactly) {
  const std::vector<uint8_t> whole = DecodeWithReader(FFile);
  TDX9In source;
  source.SetFileName(FFile);
  source.SetStartSample(44100);
  source.Init();
  const std::vector<uint8_t> tail = Drain(source);
  source.Flush();
  ASSERT_EQ(tail.size(), whole.size() - 44100 * 4);
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), whole.begin() + 44100 * 4));
}

TEST_F(DX9InTest, GetDataBeforeInitFails) {
  TDX9In source;
  source.SetFileName(FFile);
  std::vector<uint8_t> buffer(16);
  try {
    source.GetData(buffer);
    FAIL();
  } catch (const std::exception& error) {
    EXPECT_STREQ(error.what(), "The Stream is not opened");
  }
}

TEST(DX9InFailureTest, NonAudioFileFailsAtTheFirstFormatQueryAndStaysClosed) {
  TempDir dir;
  const std::string file = dir.File("letter.mp3");
  WriteFileBytes(file, std::vector<uint8_t>{'D', 'e', 'a', 'r', ' ', 's', 'i', 'r', '\n'});
  TDX9In source;
  source.SetFileName(file);
  try {
    source.GetChannels();
    FAIL();
  } catch (const EAudioReadError& error) {
    EXPECT_EQ(error.what(), AudioReadErrorText(error.ErrorCode()));
    EXPECT_EQ(error.ErrorCode(), MR_E_INVALID_FILE_FORMAT);
  }
  EXPECT_EQ(source.OpenCount(), 0);
  EXPECT_FALSE(source.Valid());
  EXPECT_THROW(source.Init(), EAudioReadError);
  EXPECT_FALSE(source.Busy());
}

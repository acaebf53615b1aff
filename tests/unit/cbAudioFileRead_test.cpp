#include "formats/directshow/cbAudioFileRead.h"

#include <gtest/gtest.h>

#include "support/MediaFiles.h"
#include "support/TestSupport.h"

using namespace testing_support;

TEST(AudioReadErrorTest, MessagesComeFromTheTableThenTheLayerThenTheFallback) {
  EXPECT_EQ(AudioReadErrorText(0x00040003), "Reached the end of the stream; the sample wasn't updated.");
  EXPECT_EQ(AudioReadErrorText(0x08000001), "Invalid buffer size.");
  EXPECT_EQ(AudioReadErrorText(0x8004040A), "The IMultiMediaStream object is not in running state.");
  EXPECT_EQ(AudioReadErrorText(0x80070057), "One of the parameters is invalid.");
  EXPECT_EQ(AudioReadErrorText(MR_E_INVALID_FILE_FORMAT), MediaErrorText(MR_E_INVALID_FILE_FORMAT));
  EXPECT_FALSE(MediaErrorText(MR_E_INVALID_FILE_FORMAT).empty());
  EXPECT_EQ(AudioReadErrorText(0x12345678), "Unrecognized error value.");
}

TEST(AudioReadErrorTest, CheckResultRaisesForEveryNonZeroCodeWithTheCode) {
  EXPECT_NO_THROW(CheckResult(0));
  try {
    CheckResult(0x00040001);  // a success code raises too
    FAIL();
  } catch (const EAudioReadError& error) {
    EXPECT_EQ(error.ErrorCode(), 0x00040001u);
    EXPECT_STREQ(error.what(), "The asynchronous update is pending.");
  }
}

TEST(CbAudioFileReaderTest, OpeningAMissingOrNonAudioFileRaisesWithTheCode) {
  TempDir dir;
  try {
    TcbAudioFileReader reader(dir.File("missing.mp3"));
    FAIL();
  } catch (const EAudioReadError& error) {
    EXPECT_EQ(error.ErrorCode(), MR_E_FILE_NOT_FOUND);
  }
  const std::string text = dir.File("notes.mp3");
  WriteFileBytes(text, std::vector<uint8_t>(400, 'a'));
  EXPECT_THROW(TcbAudioFileReader reader(text), EAudioReadError);
}

TEST(CbAudioFileReaderTest, ReadsToTheEndAndRefusesAnEmptyBuffer) {
  TempDir dir;
  const std::string file = dir.File("tone.wma");
  WriteWmaFile(file, MakeSine16(44100, 2, 44100), 2, 44100);
  TcbAudioFileReader reader(file);
  EXPECT_EQ(reader.WaveFormat().FormatTag, 1);
  EXPECT_EQ(reader.WaveFormat().BitsPerSample, 16);
  EXPECT_EQ(reader.WaveFormat().Channels, 2);
  EXPECT_NEAR(reader.StreamDuration(), 10000000, 1000000);
  try {
    reader.ReadData({});
    FAIL();
  } catch (const EAudioReadError& error) {
    EXPECT_EQ(error.ErrorCode(), 0x08000001u);
    EXPECT_STREQ(error.what(), "Invalid buffer size.");
  }
  std::vector<uint8_t> buffer(32768);
  int64_t total = 0;
  while (const int32_t n = reader.ReadData(buffer)) {
    total += n;
    EXPECT_NEAR(reader.CurrentTime(), total / 4 * 10000000 / 44100, 1);
  }
  EXPECT_EQ(reader.ReadData(buffer), 0);
  EXPECT_NEAR(total, 176400, 176400 / 10);
}

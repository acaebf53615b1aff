#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/StreamError.h"
#include "platform/Streams.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TEST(FileStream, ReadOnlyOpeningRefusesPipesAndFoldersWithoutWaiting) {
  TempDir dir;
  const std::string pipe = dir.File("song.mp3");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  try {
    TFileStream stream(pipe, fmOpenRead);
    FAIL() << "a pipe must be refused";
  } catch (const EStreamError& error) {
    EXPECT_NE(std::string(error.what()).find(pipe), std::string::npos) << error.what();
  }
  EXPECT_THROW(TFileStream(dir.Path().string(), fmOpenRead), EStreamError);
  EXPECT_THROW(TFileStream(dir.File("missing.wav"), fmOpenRead), EStreamError);
}

TEST(FileStream, ReadsWhatWasWritten) {
  TempDir dir;
  const std::string path = dir.File("bytes.bin");
  {
    TFileStream out(path, fmCreate);
    const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
    out.Write(bytes);
    EXPECT_EQ(out.Size(), 5);
  }
  TFileStream in(path, fmOpenRead);
  EXPECT_EQ(in.Size(), 5);
  std::vector<uint8_t> buffer(8);
  in.Seek(2);
  EXPECT_EQ(in.Read(buffer), 3);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(in.Read(buffer), 0);
}

}  // namespace

#include "platform/MediaReader.h"

#include <gtest/gtest.h>

#include "platform/FFmpegLibraries.h"
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

using namespace testing_support;

TEST(MediaReaderTest, ThePresenceTestNamesWhatIsMissingAndItsPackage) {
  EXPECT_EQ(MissingMediaDecoders(), "");
  EXPECT_EQ(MissingMediaDecodersText({}, true, true), "");
  EXPECT_EQ(FFmpegPackage("libavcodec.so.59"), "libavcodec59");
  const std::string package = FFmpegPackage(AvCodecLibraryFile());
  EXPECT_EQ(MissingMediaDecodersText({}, false, false), "FFmpeg's MP3 and WMA decoders were not found; install " + package);
  EXPECT_EQ(MissingMediaDecodersText({}, true, false), "FFmpeg's WMA decoders were not found; install " + package);
  EXPECT_EQ(MissingMediaDecodersText("libswresample.so.4", false, false),
            "FFmpeg's libswresample.so.4 was not found; install libswresample4");
}

TEST(MediaReaderTest, CallsBeforeOpeningAreRefused) {
  TMediaStream stream;
  TWaveFormatEx format;
  int64_t duration = 0;
  std::vector<uint8_t> buffer(64);
  int32_t filled = 0;
  int64_t start = 0;
  int64_t end = 0;
  EXPECT_EQ(stream.GetFormat(format), MS_E_NOTINIT);
  EXPECT_EQ(stream.GetDuration(duration), MS_E_NOTINIT);
  EXPECT_EQ(stream.Update(buffer, filled, start, end), MS_E_NOTINIT);
  EXPECT_EQ(stream.SetPosition(0), MS_E_NOTINIT);
}

TEST(MediaReaderTest, OpenFailuresAreNamedByTheirCause) {
  TempDir dir;
  TMediaStream stream;
  EXPECT_EQ(stream.OpenFile(dir.File("missing.wma")), MR_E_FILE_NOT_FOUND);
  EXPECT_EQ(stream.OpenFile(dir.Path().string()), MR_E_ACCESS_DENIED);
  const std::string empty = dir.File("empty.wma");
  WriteFileBytes(empty, {});
  EXPECT_EQ(stream.OpenFile(empty), MR_E_INVALID_FILE_FORMAT);
  // A WAV file without any sample data has an audio stream but nothing to decode.
  const std::string silent = dir.File("silent.wav");
  WriteFileBytes(silent, PcmWaveFile(2, 44100, 16, {}));
  ASSERT_EQ(stream.OpenFile(silent), MR_OK);
  std::vector<uint8_t> buffer(4096);
  int32_t filled = -1;
  int64_t start = 0;
  int64_t end = 0;
  EXPECT_EQ(stream.Update(buffer, filled, start, end), MS_S_ENDOFSTREAM);
  EXPECT_EQ(filled, 0);
}

TEST(MediaReaderTest, APlaylistInsideAFileIsNotFollowed) {
  TempDir dir;
  const std::string listed = dir.File("real.wma");
  WriteWmaFile(listed, MakeSine16(4410, 2, 44100), 2, 44100);
  const std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\nhttp://127.0.0.1:9/a.mp3\n#EXTINF:10,\n" +
                               listed + "\n#EXT-X-ENDLIST\n";
  const std::string file = dir.File("list.mp3");
  WriteFileBytes(file, std::vector<uint8_t>(playlist.begin(), playlist.end()));
  TMediaStream stream;
  EXPECT_NE(stream.OpenFile(file), MR_OK);
  // A name is a file name, never a protocol.
  EXPECT_EQ(stream.OpenFile("concat:" + listed + "|" + listed), MR_E_FILE_NOT_FOUND);
}

TEST(MediaReaderTest, DeliversWholeFramesWithTheirTimes) {
  TempDir dir;
  const std::string file = dir.File("mono.wma");
  WriteWmaFile(file, MakeSine16(22050, 1, 22050), 1, 22050, 48000);
  TMediaStream stream;
  ASSERT_EQ(stream.OpenFile(file), MR_OK);
  TWaveFormatEx format;
  ASSERT_EQ(stream.GetFormat(format), MR_OK);
  EXPECT_EQ(format.Channels, 1);
  EXPECT_EQ(format.SamplesPerSec, 22050u);
  EXPECT_EQ(format.BlockAlign, 2);
  EXPECT_EQ(format.AvgBytesPerSec, 44100u);
  std::vector<uint8_t> buffer(1001);  // odd: only whole frames may be written
  int32_t filled = 0;
  int64_t start = 0;
  int64_t end = 0;
  ASSERT_EQ(stream.Update(buffer, filled, start, end), MR_OK);
  EXPECT_EQ(filled, 1000);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 500LL * 10000000 / 22050);
  ASSERT_EQ(stream.Update(buffer, filled, start, end), MR_OK);
  EXPECT_EQ(start, 500LL * 10000000 / 22050);
  std::vector<uint8_t> tiny(1);
  EXPECT_EQ(stream.Update(tiny, filled, start, end), MR_E_INVALIDARG);
}

TEST(MediaReaderTest, SetPositionIsSampleExactAndCanGoBack) {
  TempDir dir;
  const std::string file = dir.File("tone.wma");
  WriteWmaFile(file, MakeSine16(2 * 44100, 2, 44100), 2, 44100);
  const std::vector<uint8_t> whole = DecodeWithReader(file, 5000);
  TMediaStream stream;
  ASSERT_EQ(stream.OpenFile(file), MR_OK);
  std::vector<uint8_t> buffer(8192);
  int32_t filled = 0;
  int64_t start = 0;
  int64_t end = 0;
  for (const int64_t frame : {30000, 7, 0}) {
    ASSERT_EQ(stream.SetPosition(frame * 10000000 / 44100 + 1), MR_OK);
    ASSERT_EQ(stream.Update(buffer, filled, start, end), MR_OK);
    ASSERT_EQ(filled, 8192);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), whole.begin() + frame * 4)) << "frame " << frame;
  }
}

#include "tags/SongInformation.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

constexpr uint32_t Layer3At128 = 0xFFFB9000;

TBytes TrailerV11(const std::string& title) {
  TBytes comment(30, 0);
  comment[0] = 'c';
  comment[29] = 4;
  return ID3v1Trailer(title, "V1 Artist", "V1 Album", "1999", comment, 8);
}

SongInformation ReadImage(const TempDir& dir, const std::string& name, const TBytes& bytes) {
  const std::string file = dir.File(name);
  WriteFileBytes(file, bytes);
  return ReadSongInformation(file);
}

}  // namespace

TEST(SongInformation, Mp3MergesID3v2TextsWithTheID3v1Trailer) {
  TempDir dir;
  const TBytes file = Concat({ID3v2Tag(3, {ID3v2TextFrame("TIT2", "V2 Title")}), MPEGFrames(Layer3At128, 417, 100),
                              TrailerV11("V1 Title")});
  const SongInformation info = ReadImage(dir, "song.mp3", file);
  EXPECT_EQ(info.TagExists, "Yes");
  EXPECT_EQ(info.TagVersion, "2.3");
  EXPECT_EQ(info.Title, "V2 Title");
  EXPECT_EQ(info.Artist, "V1 Artist");
  EXPECT_EQ(info.Album, "V1 Album");
  EXPECT_EQ(info.Year, "1999");
  EXPECT_EQ(info.Track, "4");
  EXPECT_EQ(info.Genre, "Jazz");
  EXPECT_EQ(info.Comment, "c");
  const MPEGInfo& stream = info.StreamInfo;
  EXPECT_EQ(stream.Valid, "Yes");
  EXPECT_EQ(stream.Format, "MPEG 1 Layer III");
  EXPECT_EQ(stream.BitRate, "128 kbit/s CBR");
  EXPECT_EQ(stream.SampleRate, "44100 hz");
  EXPECT_EQ(stream.ChannelMode, "Stereo");
  EXPECT_EQ(stream.FileSize, std::to_string(file.size()) + " bytes");
  EXPECT_EQ(stream.FramePosition, "0 bytes");
  EXPECT_EQ(stream.CRC, "No");
  EXPECT_EQ(stream.Copyrighted, "No");
  EXPECT_EQ(stream.Original, "No");
  EXPECT_EQ(stream.Emphasis, "None");
  EXPECT_GT(stream.Duration, 2.6);
}

TEST(SongInformation, Mp3WithOnlyAVersion10TrailerShowsTrackZeroAndNoTagFlag) {
  TempDir dir;
  const SongInformation info =
      ReadImage(dir, "song.MP3", Concat({MPEGFrames(Layer3At128, 417, 50), ID3v1Trailer("T", "", "", "", {}, 0)}));
  EXPECT_EQ(info.TagExists, "");
  EXPECT_EQ(info.TagVersion, "");
  EXPECT_EQ(info.Title, "T");
  EXPECT_EQ(info.Track, "0");
}

TEST(SongInformation, Mp3WithAVersion24TagAndAVbrHeader) {
  TempDir dir;
  TBytes first = MPEGFrame(Layer3At128, 417);
  const TBytes xing = Bytes("Xing");
  std::copy(xing.begin(), xing.end(), first.begin() + 36);
  first[36 + 10] = 0x03, first[36 + 11] = 0xE8;  // 1,000 frames
  first[36 + 13] = 0x04;                        // 262,144 bytes
  const SongInformation info =
      ReadImage(dir, "song.mp3", Concat({ID3v2Tag(4, {ID3v2Frame("TIT2", Concat({{3}, Bytes("Four")}), 4)}), first,
                                         MPEGFrames(Layer3At128, 417, 10)}));
  EXPECT_EQ(info.TagVersion, "2.4");
  EXPECT_EQ(info.Title, "Four");
  EXPECT_TRUE(info.StreamInfo.BitRate.ends_with(" kbit/s VBR")) << info.StreamInfo.BitRate;
  EXPECT_EQ(info.StreamInfo.Frames, "1000");
}

TEST(SongInformation, Mp3WithoutFramesIsNotValidButKeepsItsTags) {
  TempDir dir;
  const SongInformation info = ReadImage(dir, "junk.mp3", Concat({TBytes(4000, 1), TrailerV11("Only")}));
  EXPECT_EQ(info.StreamInfo.Valid, "No");
  EXPECT_EQ(info.StreamInfo.Format, "");
  EXPECT_EQ(info.Title, "Only");
}

TEST(SongInformation, TheLastCharacterOfTheNameChoosesTheReader) {
  TempDir dir;
  const TBytes wave = PcmWaveFile(1, 8000, 16, TBytes(16000, 0));
  EXPECT_EQ(ReadImage(dir, "a.wAv", wave).StreamInfo.Valid, "Yes");
  EXPECT_EQ(ReadImage(dir, "a.wAv", wave).StreamInfo.ChannelMode, "Mono");
  EXPECT_EQ(ReadImage(dir, "a.wAv", wave).StreamInfo.SampleRate, "8000 hz");
  EXPECT_DOUBLE_EQ(ReadImage(dir, "a.wAv", wave).StreamInfo.Duration, 1.0);
  EXPECT_EQ(ReadImage(dir, "a.dat", wave).Title, "a.dat");
  EXPECT_EQ(ReadImage(dir, "a.dat", wave).StreamInfo.Valid, "");
}

TEST(SongInformation, MissingFilesGiveAnEmptyRecord) {
  const SongInformation info = ReadSongInformation("/nonexistent/song.ogg");
  EXPECT_EQ(info.Title, "");
  EXPECT_EQ(info.StreamInfo.Valid, "");
  EXPECT_EQ(ReadSongInformation("/nonexistent/song.mp3").StreamInfo.Valid, "");
  EXPECT_EQ(ReadSongInformation("").Title, "");
}

TEST(SongInformation, PipesAndFoldersNamedLikeSongsAreNotWaitedFor) {
  TempDir dir;
  const std::string pipe = dir.File("pipe.mp3");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ReadSongInformation(pipe).StreamInfo.Valid, "");
  std::filesystem::create_directory(dir.File("folder.ogg"));
  EXPECT_EQ(ReadSongInformation(dir.File("folder.ogg")).Title, "");
}

TEST(SongInformation, ApeFileShowsItsTagAndHeader) {
  TempDir dir;
  TBytes descriptor = Bytes("MAC ");
  AppendLe16(descriptor, 3990);
  AppendLe16(descriptor, 0);
  AppendLe32(descriptor, 52);
  descriptor.resize(52, 0);
  TBytes header;
  AppendLe16(header, 2000);
  AppendLe16(header, 0);
  AppendLe32(header, 73728 * 4);
  AppendLe32(header, 44100);  // blocks in the final frame
  AppendLe32(header, 2);      // frames
  AppendLe16(header, 16);
  AppendLe16(header, 2);
  AppendLe32(header, 44100);
  const TBytes file = Concat({descriptor, header, TBytes(1000, 0),
                              APETag(2000, {APEItem("Title", "Ape"), APEItem("Track", "2")})});
  const SongInformation info = ReadImage(dir, "a.ape", file);
  EXPECT_EQ(info.TagExists, "Yes");
  EXPECT_EQ(info.TagVersion, FormatVersionNumber(2000, UserThousandsSeparator()));
  EXPECT_EQ(info.Title, "Ape");
  EXPECT_EQ(info.Track, "2");
  EXPECT_EQ(info.StreamInfo.SampleRate, "44100 hz");
  EXPECT_EQ(info.StreamInfo.ChannelMode, "Stereo");
  EXPECT_DOUBLE_EQ(info.StreamInfo.Duration, (73728.0 * 4 + 44100) / 44100);

  const SongInformation untagged = ReadImage(dir, "b.ape", TBytes(500, 0));
  EXPECT_EQ(untagged.TagExists, "No");
  EXPECT_EQ(untagged.Title, "");
}

TEST(SongInformation, VersionNumbersUseTheFourDigitPattern) {
  EXPECT_EQ(FormatVersionNumber(2000, ","), "2,000");
  EXPECT_EQ(FormatVersionNumber(1000, "."), "1.000");
  EXPECT_EQ(FormatVersionNumber(500, ","), "0,500");
  EXPECT_EQ(FormatVersionNumber(1234567, ","), "1,234,567");
}

TEST(SongInformation, FlacFileShowsItsCommentsOrItsName) {
  TempDir dir;
  TBytes info = {0x00, 0x00, 0x00, 34};
  TBytes streamInfo(34, 0);
  // 44,100 Hz, 2 channels, 16 bits, 441,000 samples.
  streamInfo[10] = 0x0A, streamInfo[11] = 0xC4, streamInfo[12] = 0x42, streamInfo[13] = 0xF0;
  streamInfo[14] = 0x00, streamInfo[15] = 0x06, streamInfo[16] = 0xBA, streamInfo[17] = 0xA8;
  TBytes comments = VorbisComments("ref", {"TITLE=Flac", "ARTIST=Band", "TRACKNUMBER=6", "DATE=2020"});
  comments.erase(comments.begin(), comments.begin() + 7);
  comments.pop_back();
  TBytes commentHeader = {0x84, 0, 0, static_cast<uint8_t>(comments.size())};
  const TBytes file = Concat({Bytes("fLaC"), info, streamInfo, commentHeader, comments, TBytes(100, 0)});
  const SongInformation song = ReadImage(dir, "a.flac", file);
  EXPECT_EQ(song.Title, "Flac");
  EXPECT_EQ(song.Artist, "Band");
  EXPECT_EQ(song.Track, "6");
  EXPECT_EQ(song.Year, "2020");
  EXPECT_EQ(song.StreamInfo.SampleRate, "44100 hz");
  EXPECT_EQ(song.StreamInfo.ChannelMode, "Stereo");
  EXPECT_DOUBLE_EQ(song.StreamInfo.Duration, 10.0);
  EXPECT_EQ(ReadImage(dir, "broken.FLAC", TBytes(10, 0)).Title, "broken.FLAC");
}

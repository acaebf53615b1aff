#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "formats/wave/ACS_Wave.h"
#include "tags/SongInformation.h"
#include "tags/WAVfile.h"
#include "support/FakeComponents.h"
#include "support/RunSink.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> Ramp(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>(i * 7 + i / 300);
  }
  return bytes;
}

// Silence of any length in 24-bit stereo, for outputs too long to hold.
class TSilence : public TACSInput {
public:
  explicit TSilence(int64_t bytes) : FBytes(bytes) {}
  int32_t GetBitsPerSample() override { return 24; }
  int32_t GetChannels() override { return 2; }
  int32_t GetSampleRate() override { return 96000; }
  int32_t GetData(std::span<uint8_t> buffer) override {
    const auto n = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(buffer.size()), FBytes - Position()));
    std::fill_n(buffer.begin(), n, uint8_t{0});
    FPosition += n;
    return n;
  }
  void Init() override {
    FSize = FBytes;
    FPosition = 0;
  }
  void Flush() override {}

private:
  int64_t FBytes;
};

// Keeps the first bytes written and only counts the rest, so a file past 4 GiB costs no disk.
class TCountingStream : public TStream {
public:
  static constexpr int64_t Kept = 4096;
  std::vector<uint8_t> Head = std::vector<uint8_t>(Kept);

  int64_t Read(std::span<uint8_t>) override { return 0; }
  void Write(std::span<const uint8_t> buffer) override {
    for (size_t i = 0; i < buffer.size() && FPosition + static_cast<int64_t>(i) < Kept; ++i) {
      Head[static_cast<size_t>(FPosition) + i] = buffer[i];
    }
    FPosition += static_cast<int64_t>(buffer.size());
    FSize = std::max(FSize, FPosition);
  }
  int64_t Seek(int64_t position) override { return FPosition = position; }
  int64_t Position() const override { return FPosition; }
  int64_t Size() const override { return FSize; }

private:
  int64_t FPosition = 0;
  int64_t FSize = 0;
};

uint64_t Le64At(const std::vector<uint8_t>& bytes, size_t offset) {
  return Le32At(bytes, offset) | (static_cast<uint64_t>(Le32At(bytes, offset + 4)) << 32);
}

class WaveOutTest : public ::testing::Test {
protected:
  TempDir dir;

  // Runs the sink to its end; returns the failure message, empty on success.
  std::string Convert(TWaveOut& sink, TACSInput& source) {
    sink.SetInput(&source);
    TSinkWaiter waiter(sink);
    sink.Run();
    EXPECT_TRUE(waiter.Wait());
    return waiter.Error();
  }

  std::string Convert(const std::string& fileName, TACSInput& source, TFileOutputMode mode = foRewrite) {
    TWaveOut sink;
    sink.SetFileName(fileName);
    sink.SetFileMode(mode);
    return Convert(sink, source);
  }
};

TEST_F(WaveOutTest, PropertyDefaultsAndWriterRules) {
  TWaveOut sink;
  EXPECT_EQ(sink.WavType(), wtPCM);
  EXPECT_EQ(sink.BlockSize(), 512);
  EXPECT_EQ(sink.FileMode(), foRewrite);
  sink.SetBlockSize(510);
  sink.SetBlockSize(0);
  EXPECT_EQ(sink.BlockSize(), 512);
  sink.SetBlockSize(1024);
  EXPECT_EQ(sink.BlockSize(), 1024);
  sink.SetWavType(wtMSADPCM);
  EXPECT_EQ(sink.WavType(), wtPCM);
  sink.SetWavType(wtDVIADPCM);
  EXPECT_EQ(sink.WavType(), wtDVIADPCM);
  sink.SetFileMode(foAppend);
  EXPECT_EQ(sink.FileMode(), foAppend);
}

TEST_F(WaveOutTest, WritesTheCanonicalHeaderAndEveryByte) {
  const auto data = Ramp(176400);
  TMemorySource source(data, 16, 2, 44100);
  ASSERT_EQ(Convert(dir.File("out.wav"), source), "");
  const auto file = ReadFileBytes(dir.File("out.wav"));
  ASSERT_EQ(file.size(), 44u + data.size());
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(Le32At(file, 4), 176436u);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32At(file, 16), 16u);
  EXPECT_EQ(Le16At(file, 20), 1);
  EXPECT_EQ(Le16At(file, 22), 2);
  EXPECT_EQ(Le32At(file, 24), 44100u);
  EXPECT_EQ(Le32At(file, 28), 176400u);
  EXPECT_EQ(Le16At(file, 32), 4);
  EXPECT_EQ(Le16At(file, 34), 16);
  EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
  EXPECT_EQ(Le32At(file, 40), 176400u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + 44));
}

TEST_F(WaveOutTest, HeaderTellsWhatWasWrittenWhateverWasAnnounced) {
  // Unknown size, and an input that announces more than it delivers.
  for (int32_t announced : {-1, 50000}) {
    TMemorySource source(Ramp(10000), 8, 1, 8000);
    source.AnnouncedSize = announced;
    ASSERT_EQ(Convert(dir.File("out.wav"), source), "");
    const auto file = ReadFileBytes(dir.File("out.wav"));
    EXPECT_EQ(Le32At(file, 40), 10000u) << announced;
    EXPECT_EQ(Le32At(file, 4), file.size() - 8) << announced;
  }
}

TEST_F(WaveOutTest, StoppedRunLeavesAWellFormedFile) {
  TMemorySource source(Ramp(1 << 24), 16, 2, 44100);
  source.MaxPerCall = 512;
  TWaveOut sink;
  sink.SetFileName(dir.File("stopped.wav"));
  sink.SetInput(&source);
  TSinkWaiter waiter(sink);
  sink.Run();
  sink.Stop();
  ASSERT_TRUE(waiter.Wait());
  ASSERT_TRUE(waiter.Succeeded());
  const auto file = ReadFileBytes(dir.File("stopped.wav"));
  EXPECT_EQ(Le32At(file, 40), file.size() - 44);
  EXPECT_EQ(Le32At(file, 4), file.size() - 8);
}

TEST_F(WaveOutTest, AppendExtendsAFileOfTheSameFormat) {
  const auto first = Ramp(3000);
  const auto second = Ramp(5000);
  const std::string path = dir.File("grow.wav");
  TMemorySource one(first, 16, 1, 22050);
  ASSERT_EQ(Convert(path, one, foAppend), "") << "appending to a missing file creates it";
  TMemorySource two(second, 16, 1, 22050);
  ASSERT_EQ(Convert(path, two, foAppend), "");
  const auto file = ReadFileBytes(path);
  ASSERT_EQ(file.size(), 44u + 8000u);
  EXPECT_EQ(Le32At(file, 40), 8000u);
  EXPECT_EQ(Le32At(file, 4), file.size() - 8);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), file.begin() + 44));
  EXPECT_TRUE(std::equal(second.begin(), second.end(), file.begin() + 44 + 3000));
}

TEST_F(WaveOutTest, AppendToAnEmptyFileWritesAFullHeader) {
  const std::string path = dir.File("empty.wav");
  WriteFileBytes(path, {});
  TMemorySource source(Ramp(100), 8, 1, 8000);
  ASSERT_EQ(Convert(path, source, foAppend), "");
  const auto file = ReadFileBytes(path);
  EXPECT_EQ(file.size(), 144u);
  EXPECT_EQ(Le32At(file, 40), 100u);
}

TEST_F(WaveOutTest, RefusedAppendsLeaveTheFileUntouched) {
  auto withTrailer = PcmWaveFile(1, 44100, 16, Ramp(400));
  const auto list = Chunk("LIST", std::vector<uint8_t>(40, 't'));
  withTrailer.insert(withTrailer.end(), list.begin(), list.end());
  std::vector<uint8_t> mp3(4000, 0);
  mp3[0] = 'I';
  mp3[1] = 'D';
  mp3[2] = '3';
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    const char* message;
  };
  std::vector<Case> cases = {
      {"other rate", PcmWaveFile(1, 44100, 16, Ramp(400)), "Cannot append data in different audio format."},
      {"an MP3 named .wav", mp3, "Cannot append data to this .wav file."},
      {"a chunk after the data", withTrailer, "Cannot append data to this .wav file."},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File("target.wav");
    WriteFileBytes(path, c.file);
    TMemorySource source(Ramp(1000), 16, 1, 22050);
    EXPECT_EQ(Convert(path, source, foAppend), c.message) << c.name;
    EXPECT_EQ(ReadFileBytes(path), c.file) << c.name;
    EXPECT_FALSE(source.Busy()) << c.name << ": the input is flushed";
  }
}

TEST_F(WaveOutTest, FailuresNameTheFileAndLeaveNothingHalfMade) {
  TMemorySource source(Ramp(100), 8, 1, 8000);
  const std::string path = dir.File("no/such/folder/out.wav");
  const std::string message = Convert(path, source);
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_FALSE(source.Busy());

  TWaveOut sink;
  sink.SetWavType(wtDVIADPCM);
  sink.SetFileName(dir.File("ima.wav"));
  EXPECT_NE(Convert(sink, source), "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("ima.wav"))) << "a file the failed run created is removed";

  TWaveOut unnamed;
  EXPECT_EQ(Convert(unnamed, source), "File name is not assigned.");
}

TEST_F(WaveOutTest, OutputReadsBackThroughTheSource) {
  const auto data = Ramp(99996);
  TMemorySource source(data, 16, 2, 48000);
  const std::string path = dir.File("round.wav");
  ASSERT_EQ(Convert(path, source), "");
  TWaveIn reader;
  reader.SetFileName(path);
  TMemoryStream copy;
  TWaveOut writer;
  writer.SetStream(&copy);
  ASSERT_EQ(Convert(writer, reader), "");
  EXPECT_EQ(copy.Bytes(), ReadFileBytes(path)) << "a copy through source and sink is byte-exact";
}

TEST_F(WaveOutTest, WidePcmIsWrittenExtensibleAndReadsBackAsItWas) {
  struct Case {
    const char* name;
    TPcmFormat format;
  };
  const std::vector<Case> cases = {
      {"24-bit stereo", {24, TSampleKind::skInteger, 2, 96000, 0}},
      {"16-bit 5.1", {16, TSampleKind::skInteger, 6, 48000, 0}},
      {"32-bit float, 7 channels with a mask", {32, TSampleKind::skFloat, 7, 44100, 0x13F}},
  };
  for (const auto& c : cases) {
    const auto data = Ramp(static_cast<size_t>(c.format.BytesPerFrame()) * 1001);
    TMemorySource source(data, c.format);
    const std::string path = dir.File("wide.wav");
    ASSERT_EQ(Convert(path, source), "") << c.name;
    const auto file = ReadFileBytes(path);
    EXPECT_EQ(Le32At(file, 4), file.size() - 8) << c.name;
    EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "JUNK") << c.name;
    EXPECT_EQ(Le16At(file, 56), 0xFFFE) << c.name;
    TWaveIn reader;
    reader.SetFileName(path);
    EXPECT_EQ(reader.GetFormat(), c.format) << c.name;
    EXPECT_EQ(ReadWavePcm(path), data) << c.name;
  }
}

TEST_F(WaveOutTest, DataPast4GiBTurnsTheFileIntoRf64) {
  constexpr int64_t dataBytes = (int64_t{1} << 32) + 6 * 1000;
  TSilence source(dataBytes);
  TCountingStream stream;
  TWaveOut sink;
  sink.SetStream(&stream);
  ASSERT_EQ(Convert(sink, source), "");
  const auto& head = stream.Head;
  EXPECT_EQ(std::string(head.begin(), head.begin() + 4), "RF64");
  EXPECT_EQ(Le32At(head, 4), 0xFFFFFFFFu);
  EXPECT_EQ(std::string(head.begin() + 12, head.begin() + 16), "ds64");
  const int64_t headerSize = stream.Size() - dataBytes;
  EXPECT_EQ(Le64At(head, 20), static_cast<uint64_t>(stream.Size() - 8));
  EXPECT_EQ(Le64At(head, 28), static_cast<uint64_t>(dataBytes));
  EXPECT_EQ(Le64At(head, 36), static_cast<uint64_t>(dataBytes / 6));
  EXPECT_EQ(Le32At(head, static_cast<size_t>(headerSize - 4)), 0xFFFFFFFFu) << "the data chunk defers to ds64";
  TMemoryStream image(std::vector<uint8_t>(head.begin(), head.begin() + headerSize));
  const TWaveHeaderInfo info = ScanWaveHeader(image, TWaveScanPurpose::Read);
  EXPECT_TRUE(info.Rf64);
  EXPECT_EQ(DeclaredDataSize(info), static_cast<uint64_t>(dataBytes));
}

TEST_F(WaveOutTest, TagChunksFollowTheAudioWhichStillDecodesWhole) {
  // An odd data size: the tag chunks must start after its pad byte.
  const auto data = Ramp(44101);
  TMemorySource source(data, 8, 1, 44100);
  const std::string path = dir.File("tagged.wav");
  const std::string title(300, 'T');
  TWaveOut sink;
  sink.SetFileName(path);
  sink.SetTags({title, "Ana; B\xC3\xB8", "Alb", "2001", "3/9", "Note", "Jazz", "Va", "1/2", "Cy", {}});
  ASSERT_EQ(Convert(sink, source), "");
  const auto bytes = ReadFileBytes(path);
  EXPECT_EQ(uint32_t{bytes[4]} | uint32_t{bytes[5]} << 8 | uint32_t{bytes[6]} << 16 | uint32_t{bytes[7]} << 24,
            bytes.size() - 8);
  TWAVfile wav;
  ASSERT_TRUE(wav.LoadFromFile(path));
  EXPECT_DOUBLE_EQ(wav.Duration(), 44101.0 / 44100);
  EXPECT_EQ(wav.Info()[wiTitle], title);
  EXPECT_EQ(wav.Info()[wiTrack], "3/9");
  const SongInformation info = ReadSongInformation(path);
  EXPECT_EQ(info.Title, title);
  EXPECT_EQ(info.Artist, "Ana; B\xC3\xB8");
  EXPECT_EQ(info.Track, "3");
  EXPECT_EQ(info.TotalTracks, "9");
  EXPECT_EQ(info.AlbumArtist, "Va");
  TWaveIn reader;
  reader.SetFileName(path);
  reader.Init();
  EXPECT_EQ(DrainSource(reader, 1000), data);
  reader.Flush();
}

}  // namespace

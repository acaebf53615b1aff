// The APE sink and source over our library: properties, the round trip through WAV files, and
// how failures surface.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "formats/ape/ACS_MAC.h"
#include "formats/wave/ACS_Wave.h"
#include "support/ApeTestSupport.h"
#include "support/SinkRunner.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// A source of silence in any shape, for inputs no file source delivers.
class TShapeSource : public TACSInput {
public:
  TShapeSource(int32_t bits, int32_t channels) : FBits(bits), FChannels(channels) {}
  int32_t GetBitsPerSample() override { return FBits; }
  int32_t GetChannels() override { return FChannels; }
  int32_t GetSampleRate() override { return 44100; }
  int32_t GetData(std::span<uint8_t>) override { return 0; }
  void Init() override { FBusy = true; }
  void Flush() override { FBusy = false; }

private:
  int32_t FBits;
  int32_t FChannels;
};

// Stereo 16-bit audio that never ends (a quiet ramp), counting what it delivered.
class TEndlessSource : public TShapeSource {
public:
  TEndlessSource() : TShapeSource(16, 2) {}
  int32_t GetData(std::span<uint8_t> buffer) override {
    const size_t n = buffer.size() / 4 * 4;
    for (size_t i = 0; i < n; i += 2) {
      const auto value = static_cast<int16_t>((Delivered + i) / 64 % 2000);
      buffer[i] = static_cast<uint8_t>(value);
      buffer[i + 1] = static_cast<uint8_t>(value >> 8);
    }
    const size_t before = Delivered.fetch_add(n);
    if (before < Threshold && before + n >= Threshold) {
      ThresholdReached.set_value();
    }
    return static_cast<int32_t>(n);
  }
  std::atomic<size_t> Delivered{0};
  // ThresholdReached is set once Delivered has passed Threshold.
  size_t Threshold = SIZE_MAX;
  std::promise<void> ThresholdReached;
};

class ACS_MAC : public ::testing::Test {
protected:
  MACDllBinding binding;
  TempDir dir;

  // WAV -> APE through TMACOut, then APE -> WAV through TMACIn; returns the second WAV's bytes.
  std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& wav, int32_t level) {
    WriteFileBytes(dir.File("in.wav"), wav);
    TWaveIn wavIn;
    wavIn.SetFileName(dir.File("in.wav"));
    TMACOut apeOut;
    apeOut.SetInput(&wavIn);
    apeOut.SetFileName(dir.File("x.ape"));
    apeOut.SetCompressionLevel(level);
    EXPECT_TRUE(RunToEnd(apeOut).Done);

    TMACIn apeIn;
    apeIn.SetFileName(dir.File("x.ape"));
    TWaveOut wavOut;
    wavOut.SetInput(&apeIn);
    wavOut.SetFileName(dir.File("out.wav"));
    EXPECT_TRUE(RunToEnd(wavOut).Done);
    return ReadFileBytes(dir.File("out.wav"));
  }
};

}  // namespace

TEST_F(ACS_MAC, CompressionLevelKeepsTheFourLevelsAndFallsBackToNormal) {
  TMACOut out;
  EXPECT_EQ(out.CompressionLevel(), 2000);
  EXPECT_EQ(out.MaxAudioBytes(), -1);
  out.SetCompressionLevel(3000);
  EXPECT_EQ(out.CompressionLevel(), 3000);
  out.SetCompressionLevel(2500);
  EXPECT_EQ(out.CompressionLevel(), 2000);
  out.SetCompressionLevel(5000);
  EXPECT_EQ(out.CompressionLevel(), 2000);
}

TEST_F(ACS_MAC, LibraryErrorsReadFromTheTextTable) {
  EXPECT_STREQ(EAPEException(1002).what(), "MACDll error: invalid input file");
  EXPECT_STREQ(EAPEException(1004).what(), "MACDll error: input file file too large");
  EXPECT_STREQ(EAPEException(7).what(), "MACDll error: undefined (7)");
}

TEST(ACS_MAC_Unbound, ComponentsRefuseToExistWithoutTheLibrary) {
  try {
    TMACIn in;
    FAIL() << "created without the library";
  } catch (const EACSException& error) {
    EXPECT_STREQ(error.what(), "libMACDll.so library could not be loaded.");
  }
  EXPECT_THROW(TMACOut(), EACSException);
}

TEST_F(ACS_MAC, StereoAndMonoWavFilesSurviveTheRoundTripExactly) {
  const std::vector<uint8_t> stereo = PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(50000, 2, 44100)));
  EXPECT_EQ(RoundTrip(stereo, 4000), stereo);
  const std::vector<uint8_t> mono8 = PcmWaveFile(1, 8000, 8, MakeSine8(9999, 1, 8000));
  EXPECT_EQ(RoundTrip(mono8, 1000), mono8);
}

TEST_F(ACS_MAC, SinkTagsTheFinishedFile) {
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(2, 44100, 16, SamplesToBytes(MakeSine16(1000, 2, 44100))));
  TWaveIn wavIn;
  wavIn.SetFileName(dir.File("in.wav"));
  TMACOut out;
  out.SetInput(&wavIn);
  out.SetFileName(dir.File("x.ape"));
  out.SetId3TagTitle("Title");
  out.SetId3TagArtist("Artist");
  out.SetId3TagGenre("Genre");
  ASSERT_TRUE(RunToEnd(out).Done);
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  const std::string text(image.begin(), image.end());
  EXPECT_EQ(text.substr(image.size() - 32, 8), "APETAGEX");
  EXPECT_EQ(Le32At(image, image.size() - 16), 3u);
  EXPECT_NE(text.find("Artist"), std::string::npos);
}

TEST_F(ACS_MAC, AnInputWithNothingInItStillGivesAFinishedTaggedFile) {
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(1, 44100, 16, {}));
  TWaveIn wavIn;
  wavIn.SetFileName(dir.File("in.wav"));
  TMACOut out;
  out.SetInput(&wavIn);
  out.SetFileName(dir.File("x.ape"));
  out.SetId3TagTitle("Nothing");
  ASSERT_TRUE(RunToEnd(out).Done);
  TMACIn in;
  in.SetFileName(dir.File("x.ape"));
  EXPECT_EQ(in.GetChannels(), 1);
  in.Init();
  uint8_t buffer[64];
  EXPECT_EQ(in.GetData(buffer), 0);
  in.Flush();
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  EXPECT_EQ(std::string(image.end() - 32, image.end() - 24), "APETAGEX");
}

TEST_F(ACS_MAC, SinkRefusesShapesNoDecoderReadsBackAndLeavesNoFile) {
  for (const auto& [bits, channels] : {std::pair{24, 2}, std::pair{16, 6}}) {
    TShapeSource source(bits, channels);
    TMACOut out;
    out.SetInput(&source);
    out.SetFileName(dir.File("x.ape"));
    const TRunOutcome outcome = RunToEnd(out);
    EXPECT_FALSE(outcome.Done);
    EXPECT_NE(outcome.Error.find("8- or 16-bit mono or stereo"), std::string::npos) << outcome.Error;
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.ape")));
    EXPECT_FALSE(source.Busy());
  }
}

TEST_F(ACS_MAC, AFileThatCannotBeCreatedFailsThePrepareAndReleasesTheInput) {
  TShapeSource source(16, 2);
  TMACOut out;
  out.SetInput(&source);
  out.SetFileName(dir.File("no/such/folder/x.ape"));
  const TRunOutcome outcome = RunToEnd(out);
  EXPECT_EQ(outcome.Error, dir.File("no/such/folder/x.ape") + ": cannot create (No such file or directory)");
  EXPECT_FALSE(source.Busy());

  out.SetFileName("");
  EXPECT_EQ(RunToEnd(out).Error, "File name is not assigned.");
}

TEST_F(ACS_MAC, SourceReadsTheFormatSizeAndARangeOfSamples) {
  const std::vector<uint8_t> pcm = SamplesToBytes(MakeSine16(30000, 1, 32000));
  WriteFileBytes(dir.File("in.wav"), PcmWaveFile(1, 32000, 16, pcm));
  TWaveIn wavIn;
  wavIn.SetFileName(dir.File("in.wav"));
  TMACOut out;
  out.SetInput(&wavIn);
  out.SetFileName(dir.File("x.ape"));
  ASSERT_TRUE(RunToEnd(out).Done);

  TMACIn in;
  in.SetFileName(dir.File("x.ape"));
  EXPECT_EQ(in.GetBitsPerSample(), 16);
  EXPECT_EQ(in.GetSampleRate(), 32000);
  EXPECT_EQ(in.GetTotalTime(), 0);  // 0.94 s, in whole seconds down
  EXPECT_EQ(in.OpenCount(), 0);
  in.SetStartSample(100);
  in.SetEndSample(20100);
  in.Init();
  EXPECT_EQ(in.TotalSamples(), 30000);
  EXPECT_EQ(in.Size(), 40000);
  std::vector<uint8_t> read;
  uint8_t buffer[3000];
  for (int32_t n; (n = in.GetData(buffer)) > 0;) {
    read.insert(read.end(), buffer, buffer + n);
  }
  in.Flush();
  EXPECT_EQ(read, std::vector<uint8_t>(pcm.begin() + 200, pcm.begin() + 40200));
}

TEST_F(ACS_MAC, SourceRaisesTheLibraryErrorForAFileItCannotRead) {
  WriteFileBytes(dir.File("bad.ape"), std::vector<uint8_t>(500, 7));
  TMACIn in;
  in.SetFileName(dir.File("bad.ape"));
  try {
    in.Init();
    FAIL() << "opened a file that is not APE";
  } catch (const EAPEException& error) {
    EXPECT_STREQ(error.what(), "MACDll error: invalid input file");
  }
  EXPECT_FALSE(in.Valid());
  EXPECT_EQ(in.OpenCount(), 0);
  uint8_t buffer[4];
  EXPECT_THROW(in.GetData(buffer), EACSException);
}

TEST_F(ACS_MAC, StopFinishesAndTagsTheFileWrittenSoFar) {
  TEndlessSource source;
  source.Threshold = 4 * 200000;
  TMACOut out;
  out.SetInput(&source);
  out.SetFileName(dir.File("x.ape"));
  out.SetId3TagTitle("Stopped");
  std::promise<void> done;
  out.SetOnDone([&](TComponent*) { done.set_value(); });
  out.Run();
  ASSERT_EQ(source.ThresholdReached.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  out.Stop();
  ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);

  const std::vector<uint8_t> pcm = DecompressPcm(dir.File("x.ape"));
  EXPECT_GE(pcm.size(), 4u * 200000);
  EXPECT_EQ(pcm.size(), source.Delivered.load());
  const std::vector<uint8_t> image = ReadFileBytes(dir.File("x.ape"));
  EXPECT_EQ(std::string(image.end() - 32, image.end() - 24), "APETAGEX");
}

TEST(ACS_MAC_Unbound, BindingFreesTheLibraryOnlyAtTheLastShutdown) {
  MACDll::Startup();
  MACDll::Startup();
  ASSERT_TRUE(MACDll::Loaded());
  EXPECT_NE(MACDll::c_APEDecompress_Seek, nullptr);
  MACDll::Shutdown();
  EXPECT_TRUE(MACDll::Loaded());
  MACDll::Shutdown();
  EXPECT_FALSE(MACDll::Loaded());
  EXPECT_EQ(MACDll::c_APEDecompress_Seek, nullptr);
  MACDll::Shutdown();  // one too many changes nothing
  MACDll::Startup();
  EXPECT_TRUE(MACDll::Loaded());
  MACDll::Shutdown();
}

#include "formats/wma/acs_wma_out.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

#include "platform/MediaReader.h"
#include "support/MediaFiles.h"
#include "support/SinkRunner.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

class TRecordingWmaOut : public TWMA_Out {
public:
  ~TRecordingWmaOut() override { EndWorker(); }

  using TWMA_Out::LoadProfile;
  using TWMA_Out::SetTags;

  std::vector<std::string> Logged() {
    std::lock_guard lock(FMutex);
    return FLogged;
  }

protected:
  void Log(const std::string& text) override {
    std::lock_guard lock(FMutex);
    FLogged.push_back(text);
  }

private:
  std::mutex FMutex;
  std::vector<std::string> FLogged;
};

struct TAttribute {
  std::u16string Name;
  std::vector<uint8_t> Value;
};

class TRecordingHeaderInfo : public IWMHeaderInfo {
public:
  std::vector<TAttribute> Attributes;
  size_t FailAfter = SIZE_MAX;

  TWriterResult SetAttribute(uint16_t stream, const std::u16string& name, TWMTAttrDataType type, const uint8_t* value,
                             uint16_t length) override {
    EXPECT_EQ(stream, 0);
    EXPECT_EQ(type, WMT_TYPE_STRING);
    if (Attributes.size() == FailAfter) {
      return WR_E_INVALIDARG;
    }
    Attributes.push_back({name, std::vector<uint8_t>(value, value + length)});
    return WR_OK;
  }
  TWriterResult AddAttribute(uint16_t, const std::u16string& name, TWMTAttrDataType, const uint8_t* value,
                             uint32_t length) override {
    Attributes.push_back({name, std::vector<uint8_t>(value, value + length)});
    return WR_OK;
  }
};

class WmaOutTest : public ::testing::Test {
protected:
  TempDir FDir;
  std::string FTarget = FDir.File("out.wma");
  TRecordingWmaOut FSink;

  void SetUp() override {
    FSink.SetFileName(FTarget);
    FSink.SetProfileFile(ShippedProfile(DefaultProfileName));
  }

  std::string WriteProfile(const std::vector<uint8_t>& bytes) {
    const std::string path = FDir.File("custom.prx");
    WriteFileBytes(path, bytes);
    return path;
  }

  TRunOutcome RunWith(TACSInput& source) {
    FSink.SetInput(&source);
    return RunToEnd(FSink);
  }
};

}  // namespace

TEST_F(WmaOutTest, TagsAreSetInTheFixedOrderSkippingEmptyOnes) {
  FSink.SetId3TagTitle(u"T\u00EFtle");
  FSink.SetId3TagArtist(u"Artist");
  FSink.SetId3TagAlbum(u"Album");
  FSink.SetId3TagComment(u"Comment");
  FSink.SetId3TagGenre(u"Genre");
  TRecordingHeaderInfo header;
  FSink.SetTags(header);
  ASSERT_EQ(header.Attributes.size(), 5u);
  const std::vector<std::u16string> names = {u"WM/AlbumTitle", u"WM/Genre", u"Author", u"Description", u"Title"};
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(header.Attributes[i].Name, names[i]);
  }
  // Two bytes per character, little-endian, no terminating zero.
  EXPECT_EQ(header.Attributes[4].Value, (std::vector<uint8_t>{'T', 0, 0xEF, 0, 't', 0, 'l', 0, 'e', 0}));

  FSink.SetId3TagYear(u"1999");
  TRecordingHeaderInfo all;
  FSink.SetTags(all);
  ASSERT_EQ(all.Attributes.size(), 6u);
  EXPECT_EQ(all.Attributes[1].Name, u"WM/Year");

  TRecordingHeaderInfo failing;
  failing.FailAfter = 2;
  FSink.SetTags(failing);
  EXPECT_EQ(failing.Attributes.size(), 2u) << "the first failure ends the step";
}

TEST_F(WmaOutTest, NoTagsMeansNoAttributes) {
  TRecordingHeaderInfo header;
  FSink.SetTags(header);
  EXPECT_TRUE(header.Attributes.empty());
}

TEST_F(WmaOutTest, SampleTimeCountsTheInputsOwnFrames) {
  TMemoryPcmSource stereo(std::vector<uint8_t>(32768), 2, 44100);
  ASSERT_TRUE(RunWith(stereo).Done);
  EXPECT_EQ(FSink.SampleTime(), 1857596);  // 8192 / 44100 s
  TMemoryPcmSource mono(std::vector<uint8_t>(32768), 1, 22050);
  ASSERT_TRUE(RunWith(mono).Done);
  EXPECT_EQ(FSink.SampleTime(), 7430385);  // 16384 / 22050 s
}

TEST_F(WmaOutTest, AnyInputRatePlaysAtItsTrueLength) {
  TMemoryPcmSource source(SamplesToBytes(MakeSine16(2 * 22050, 2, 22050)), 2, 22050);
  const TRunOutcome outcome = RunWith(source);
  ASSERT_TRUE(outcome.Done) << outcome.Error;
  TMediaStream stream;
  ASSERT_EQ(stream.OpenFile(FTarget), MR_OK);
  TWaveFormatEx format;
  stream.GetFormat(format);
  EXPECT_EQ(format.SamplesPerSec, 44100u);
  EXPECT_NEAR(static_cast<double>(DecodeWithReader(FTarget).size()) / 176400.0, 2.0, 0.1);
  EXPECT_EQ(FSink.Logged(), (std::vector<std::string>{"Creating the Writer...\r\n", "Recompression finished.\r\n"}));
  EXPECT_EQ(source.FlushCount, 1);
}

TEST_F(WmaOutTest, AnInputThatEndsAtOnceGivesAnEmptyFile) {
  TMemoryPcmSource source({}, 2, 44100);
  ASSERT_TRUE(RunWith(source).Done);
  EXPECT_TRUE(std::filesystem::exists(FTarget));
  EXPECT_TRUE(DecodeWithReader(FTarget).empty());
}

TEST_F(WmaOutTest, StopFinishesAShorterValidFile) {
  TMemoryPcmSource source(SamplesToBytes(MakeSine16(20 * 44100, 2, 44100)), 2, 44100);
  source.PieceSize = 4096;
  FSink.SetOnProgress([&](TComponent*) {
    if (FSink.Progress() >= 10) {
      FSink.Stop();
    }
  });
  ASSERT_TRUE(RunWith(source).Done);
  const size_t decoded = DecodeWithReader(FTarget).size();
  EXPECT_GT(decoded, 176400u);
  EXPECT_LT(decoded, 10u * 176400u);
}

TEST_F(WmaOutTest, AWriterThatCannotBeCreatedFailsTheRunWithoutAFile) {
  TMemoryPcmSource threeChannels(std::vector<uint8_t>(6000), 3, 44100);
  const TRunOutcome outcome = RunWith(threeChannels);
  EXPECT_FALSE(outcome.Done);
  ASSERT_TRUE(outcome.Failed);
  EXPECT_NE(outcome.Error.find(FTarget), std::string::npos);
  EXPECT_EQ(FSink.Logged(), (std::vector<std::string>{"Creating the Writer...\r\n",
                                                      "Could not create the Writer for file " + FTarget + " (hr=0xc00d0bbb).\r\n",
                                                      "Could not set WMTags (hr=0xc00d0bbb).\r\n"}));
  EXPECT_FALSE(std::filesystem::exists(FTarget));
  EXPECT_EQ(threeChannels.FlushCount, 1);
  EXPECT_FALSE(FSink.Busy());
}

TEST_F(WmaOutTest, AFileThatCannotBeCreatedFailsTheRun) {
  FSink.SetFileName(FDir.File("missing/out.wma"));
  TMemoryPcmSource source(std::vector<uint8_t>(4000), 2, 44100);
  const TRunOutcome outcome = RunWith(source);
  ASSERT_TRUE(outcome.Failed);
  EXPECT_EQ(outcome.Error, FDir.File("missing/out.wma") + ": cannot create (No such file or directory)");
}

TEST_F(WmaOutTest, ProfilesThatAreMissingTooLargeOrBrokenFailWithTheirName) {
  std::string xml = ProfileXml(128000, 44100, 2);
  const std::string padding = "<!--" + std::string(1498 - xml.size() - 7, '-') + "-->";
  const std::vector<uint8_t> largest = ProfileFileBytes(xml + padding);
  ASSERT_EQ(largest.size(), 2998u);
  EXPECT_EQ(FSink.LoadProfile(WriteProfile(largest))->Bitrate, 128000);

  std::vector<uint8_t> tooLarge = largest;
  tooLarge.insert(tooLarge.end() - 2, {' ', 0});
  const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {tooLarge, "larger than 2998 bytes"},
      {ProfileFileBytes("<profile><audio codec='wmav2'"), "not a valid WMA profile"},
      {std::vector<uint8_t>(100, 0), "not a valid WMA profile"},
  };
  for (const auto& [bytes, expected] : cases) {
    const std::string path = WriteProfile(bytes);
    FSink.SetProfileFile(path);
    TMemoryPcmSource source(std::vector<uint8_t>(4000), 2, 44100);
    const TRunOutcome outcome = RunWith(source);
    ASSERT_TRUE(outcome.Failed) << expected;
    EXPECT_NE(outcome.Error.find(path), std::string::npos) << outcome.Error;
    EXPECT_NE(outcome.Error.find(expected), std::string::npos) << outcome.Error;
    EXPECT_EQ(source.FlushCount, 1);
  }
  FSink.SetProfileFile(FDir.File("absent.prx"));
  TMemoryPcmSource source(std::vector<uint8_t>(4000), 2, 44100);
  const TRunOutcome outcome = RunWith(source);
  ASSERT_TRUE(outcome.Failed);
  EXPECT_NE(outcome.Error.find("absent.prx"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(FTarget));
}

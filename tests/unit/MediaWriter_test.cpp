#include "platform/MediaWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/MediaReader.h"
#include "tags/WMAfile.h"
#include "support/MediaFiles.h"
#include "support/TagImages.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::shared_ptr<const TWMProfile> Profile(int bitrate, int rate, int channels) {
  auto profile = std::make_shared<TWMProfile>();
  profile->Bitrate = bitrate;
  profile->SampleRate = rate;
  profile->Channels = channels;
  return profile;
}

TWriterResult Write(TWMWriter& writer, const std::vector<uint8_t>& bytes) {
  std::unique_ptr<TNSSBuffer> sample;
  EXPECT_EQ(writer.AllocateSample(static_cast<uint32_t>(bytes.size()), sample), WR_OK);
  uint8_t* data = nullptr;
  sample->GetBuffer(data);
  std::copy(bytes.begin(), bytes.end(), data);
  sample->SetLength(static_cast<uint32_t>(bytes.size()));
  return writer.WriteSample(0, 0, 0, *sample);
}

}  // namespace

TEST(MediaWriterTest, ResamplesAndMixesTheInputToTheProfile) {
  TempDir dir;
  const std::string file = dir.File("out.wma");
  TWMWriter writer;
  ASSERT_EQ(writer.SetProfile(Profile(48000, 22050, 1)), WR_OK);
  ASSERT_EQ(writer.SetOutputFilename(file), WR_OK);
  ASSERT_EQ(writer.SetInputProps(2, 48000, 16), WR_OK);
  ASSERT_EQ(writer.BeginWriting(), WR_OK);
  const std::vector<uint8_t> pcm = SamplesToBytes(MakeSine16(2 * 48000, 2, 48000));
  // Pieces that split frames must still join up.
  for (size_t at = 0; at < pcm.size(); at += 9999) {
    const size_t end = std::min(pcm.size(), at + 9999);
    ASSERT_EQ(Write(writer, std::vector<uint8_t>(pcm.begin() + static_cast<std::ptrdiff_t>(at), pcm.begin() + static_cast<std::ptrdiff_t>(end))), WR_OK);
  }
  ASSERT_EQ(writer.EndWriting(), WR_OK);
  TMediaStream stream;
  ASSERT_EQ(stream.OpenFile(file), MR_OK);
  TWaveFormatEx format;
  stream.GetFormat(format);
  EXPECT_EQ(format.Channels, 1);
  EXPECT_EQ(format.SamplesPerSec, 22050u);
  EXPECT_NEAR(static_cast<double>(DecodeWithReader(file).size()), 2 * 22050 * 2, 22050 * 2 * 0.1);
}

TEST(MediaWriterTest, StepsOutOfOrderOrWithBadArgumentsAreRefused) {
  TempDir dir;
  TWMWriter writer;
  EXPECT_EQ(writer.BeginWriting(), NS_E_INVALID_OUTPUT_FORMAT);  // no profile
  EXPECT_EQ(writer.SetProfile(nullptr), WR_E_INVALIDARG);
  EXPECT_EQ(writer.SetOutputFilename(""), WR_E_INVALIDARG);
  EXPECT_EQ(writer.SetInputProps(3, 44100, 16), NS_E_INVALID_OUTPUT_FORMAT);
  EXPECT_EQ(writer.SetInputProps(2, 44100, 24), NS_E_INVALID_OUTPUT_FORMAT);
  const uint8_t odd[3] = {'a', 0, 'b'};
  EXPECT_EQ(writer.SetAttribute(0, u"Title", WMT_TYPE_STRING, odd, 3), WR_E_INVALIDARG);
  EXPECT_EQ(writer.SetAttribute(1, u"Title", WMT_TYPE_STRING, odd, 2), WR_E_INVALIDARG);
  EXPECT_EQ(writer.SetAttribute(0, u"Title", WMT_TYPE_DWORD, odd, 2), WR_E_INVALIDARG);
  EXPECT_EQ(writer.EndWriting(), WR_E_UNEXPECTED);
  TNSSBuffer sample(4);
  EXPECT_EQ(sample.SetLength(5), WR_E_INVALIDARG);
  EXPECT_EQ(writer.WriteSample(0, 0, 0, sample), WR_E_UNEXPECTED);
  ASSERT_EQ(writer.SetProfile(Profile(128000, 44100, 2)), WR_OK);
  ASSERT_EQ(writer.SetOutputFilename(dir.File("a.wma")), WR_OK);
  ASSERT_EQ(writer.BeginWriting(), WR_OK);
  EXPECT_EQ(writer.BeginWriting(), WR_E_UNEXPECTED);
  EXPECT_EQ(writer.SetAttribute(0, u"Title", WMT_TYPE_STRING, odd, 2), WR_E_UNEXPECTED);
  EXPECT_EQ(writer.WriteSample(1, 0, 0, sample), WR_E_INVALIDARG);
}

TEST(MediaWriterTest, FailuresToStartNameTheirCause) {
  TempDir dir;
  TWMWriter unreachable;
  unreachable.SetProfile(Profile(128000, 44100, 2));
  unreachable.SetOutputFilename(dir.File("no/such/folder/a.wma"));
  EXPECT_EQ(unreachable.BeginWriting(), NS_E_FILE_OPEN_FAILED);
  TWMWriter tooFast;
  tooFast.SetProfile(Profile(128000, 96000, 2));  // beyond what the encoder takes
  tooFast.SetOutputFilename(dir.File("b.wma"));
  EXPECT_EQ(tooFast.BeginWriting(), NS_E_INVALID_OUTPUT_FORMAT);
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.wma")));
  EXPECT_FALSE(WriterErrorText(NS_E_FILE_OPEN_FAILED).empty());
  EXPECT_TRUE(WriterErrorText(0x1234).empty());
}

TEST(MediaWriterTest, AWriterReleasedWithoutEndingRemovesItsFile) {
  TempDir dir;
  const std::string file = dir.File("half.wma");
  {
    TWMWriter writer;
    writer.SetProfile(Profile(128000, 44100, 2));
    writer.SetOutputFilename(file);
    ASSERT_EQ(writer.BeginWriting(), WR_OK);
    ASSERT_EQ(Write(writer, SamplesToBytes(MakeSine16(44100, 2, 44100))), WR_OK);
    EXPECT_TRUE(std::filesystem::exists(file));
  }
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(MediaWriterTest, AnEmptyRunGivesAFileThatOpens) {
  TempDir dir;
  const std::string file = dir.File("empty.wma");
  TWMWriter writer;
  writer.SetProfile(Profile(128000, 44100, 2));
  writer.SetOutputFilename(file);
  ASSERT_EQ(writer.BeginWriting(), WR_OK);
  ASSERT_EQ(Write(writer, {}), WR_OK);
  ASSERT_EQ(writer.EndWriting(), WR_OK);
  EXPECT_TRUE(DecodeWithReader(file).empty());
}

TEST(MediaWriterTest, AddedTextsAreFurtherValuesOfTheirName) {
  TempDir dir;
  const std::string file = dir.File("list.wma");
  TWMWriter writer;
  writer.SetProfile(Profile(128000, 44100, 2));
  writer.SetOutputFilename(file);
  const auto set = [&writer](const std::u16string& name, const std::u16string& text, bool add) {
    const std::vector<uint8_t> bytes = Utf16LeTerminated(text);
    return add ? writer.AddAttribute(0, name, WMT_TYPE_STRING, bytes.data(), static_cast<uint32_t>(bytes.size()))
               : writer.SetAttribute(0, name, WMT_TYPE_STRING, bytes.data(), static_cast<uint16_t>(bytes.size()));
  };
  // Author lives in the content description, WM/Genre among the muxer's descriptors.
  ASSERT_EQ(set(u"Author", u"Ana", false), WR_OK);
  ASSERT_EQ(set(u"Author", u"B\u00F8", true), WR_OK);
  ASSERT_EQ(set(u"WM/Genre", u"Rock", false), WR_OK);
  ASSERT_EQ(set(u"WM/Genre", u"Pop", true), WR_OK);
  EXPECT_EQ(set(u"", u"x", true), WR_E_INVALIDARG);
  ASSERT_EQ(writer.BeginWriting(), WR_OK);
  ASSERT_EQ(Write(writer, SamplesToBytes(MakeSine16(4410, 2, 44100))), WR_OK);
  ASSERT_EQ(writer.EndWriting(), WR_OK);
  TWMAfile info;
  ASSERT_TRUE(info.LoadFromFile(file));
  EXPECT_EQ(info.Artist(), u"Ana; B\u00F8");
  EXPECT_EQ(info.Genre(), u"Rock; Pop");
}

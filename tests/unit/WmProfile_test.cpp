#include "platform/WmProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/SimpleXml.h"
#include "platform/WideText.h"
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TWriterResult Load(const std::string& xml, std::shared_ptr<const TWMProfile>& profile, std::string& reason) {
  return TWMProfileManager().LoadProfileByData(Utf8ToUtf16(xml), profile, reason);
}

std::string Reason(const std::string& xml) {
  std::shared_ptr<const TWMProfile> profile;
  std::string reason;
  EXPECT_EQ(Load(xml, profile, reason), NS_E_INVALID_PROFILE) << xml;
  EXPECT_FALSE(profile);
  return reason;
}

}  // namespace

TEST(SimpleXmlTest, ReadsElementsAttributesAndReferences) {
  std::string error;
  const auto root = ParseXml(
      "\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><a x=\"1 &amp; &#x41;&#66;\" y='&lt;&quot;'>text &gt;<b/><![CDATA[<]]><c></c></a>\n",
      error);
  ASSERT_TRUE(root) << error;
  EXPECT_EQ(root->Name, "a");
  EXPECT_EQ(root->Attributes.at("x"), "1 & AB");
  EXPECT_EQ(root->Attributes.at("y"), "<\"");
  ASSERT_EQ(root->Children.size(), 2u);
  EXPECT_EQ(root->Children[1].Name, "c");
}

TEST(SimpleXmlTest, RefusesDocumentsThatAreNotWellFormed) {
  for (const char* text : {"", "<a>", "<a></b>", "<a x='1' x='2'/>", "<a x=1/>", "<a/><b/>", "<a x='<'/>", "<a>&bogus;</a>",
                           "<!DOCTYPE a><a/>", "<a><!-- open</a>", "<a x='&#0;'/>", "text", "<a y='1'z='2'/>"}) {
    std::string error;
    EXPECT_FALSE(ParseXml(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::string deep;
  for (int i = 0; i < 200; ++i) {
    deep += "<a>";
  }
  std::string error;
  EXPECT_FALSE(ParseXml(deep, error));
}

TEST(WmProfileTest, ReadsBitRateRateAndChannels) {
  std::shared_ptr<const TWMProfile> profile;
  std::string reason;
  ASSERT_EQ(Load(ProfileXml(64000, 32000, 1), profile, reason), WR_OK) << reason;
  EXPECT_EQ(profile->Bitrate, 64000);
  EXPECT_EQ(profile->SampleRate, 32000);
  EXPECT_EQ(profile->Channels, 1);
  EXPECT_EQ(profile->Name, "test");
}

TEST(WmProfileTest, RefusesProfilesWithoutAUsableAudioDescription) {
  EXPECT_NE(Reason("<profile/>").find("no audio element"), std::string::npos);
  EXPECT_NE(Reason("<other><audio/></other>").find("root element"), std::string::npos);
  EXPECT_NE(Reason("<profile><audio codec='mp3'/></profile>").find("wmav2"), std::string::npos);
  EXPECT_NE(Reason("<profile><audio codec='wmav2' bitrate='128k' samplerate='44100' channels='2'/></profile>").find("bitrate"),
            std::string::npos);
  EXPECT_NE(Reason("<profile><audio codec='wmav2' bitrate='128000' samplerate='44100' channels='6'/></profile>").find("channels"),
            std::string::npos);
  EXPECT_NE(Reason("<profile><audio codec='wmav2' bitrate='128000' channels='2'/></profile>").find("samplerate"),
            std::string::npos);
  EXPECT_NE(Reason("<profile><audio codec='wmav2'").find("line 1"), std::string::npos);
}

TEST(ShippedProfilesTest, AllLoadFitTheBufferAndListInASensibleOrder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(BuiltBinary("Profiles"))) {
    if (entry.path().extension() == ".prx") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 12u);
  int32_t lastBitrate = 0;
  for (const auto& file : files) {
    const std::vector<uint8_t> bytes = ReadFileBytes(file.string());
    EXPECT_LE(bytes.size(), 2998u) << file;
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF) << "UTF-16LE byte-order mark in " << file;
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    }
    std::shared_ptr<const TWMProfile> profile;
    std::string reason;
    ASSERT_EQ(TWMProfileManager().LoadProfileByData(text, profile, reason), WR_OK) << file << ": " << reason;
    EXPECT_GE(profile->Bitrate, lastBitrate) << "listed out of bit-rate order: " << file;
    lastBitrate = profile->Bitrate;
  }
  // The default choice, position 9.
  EXPECT_EQ(files[9].stem().string(), DefaultProfileName);
}

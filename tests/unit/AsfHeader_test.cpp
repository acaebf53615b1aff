#include "platform/AsfHeader.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

const std::vector<uint8_t> HeaderGuid = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const std::vector<uint8_t> DescriptionGuid = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const std::vector<uint8_t> FilePropertiesGuid = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

void AppendLe64(std::vector<uint8_t>& out, uint64_t value) {
  AppendLe32(out, static_cast<uint32_t>(value));
  AppendLe32(out, static_cast<uint32_t>(value >> 32));
}

std::vector<uint8_t> Object(const std::vector<uint8_t>& guid, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out = guid;
  AppendLe64(out, 24 + body.size());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// A header of the given objects followed by `tail` (the data object and the rest).
std::vector<uint8_t> AsfFile(const std::vector<std::vector<uint8_t>>& objects, const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> body;
  AppendLe32(body, static_cast<uint32_t>(objects.size()));
  body.push_back(1);
  body.push_back(2);
  for (const auto& object : objects) {
    body.insert(body.end(), object.begin(), object.end());
  }
  std::vector<uint8_t> file = Object(HeaderGuid, body);
  file.insert(file.end(), tail.begin(), tail.end());
  return file;
}

uint64_t Le64At(const std::vector<uint8_t>& bytes, size_t at) { return Le32At(bytes, at) | (uint64_t{Le32At(bytes, at + 4)} << 32); }

}  // namespace

TEST(AsfHeaderTest, ReplacesTheDescriptionAndKeepsEverySizeTrue) {
  TempDir dir;
  const std::string file = dir.File("a.wma");
  const std::vector<uint8_t> fileProperties = Object(FilePropertiesGuid, std::vector<uint8_t>(80, 0));
  std::vector<uint8_t> oldDescription(10, 0);
  const std::vector<uint8_t> tail = {'D', 'A', 'T', 'A', 1, 2, 3};
  WriteFileBytes(file, AsfFile({fileProperties, Object(DescriptionGuid, oldDescription), Object(std::vector<uint8_t>(16, 0xEE), {9, 9})}, tail));

  TAsfContentDescription description;
  description.Title = u"T\u00EF";
  description.Description = u"C";
  std::string error;
  ASSERT_TRUE(WriteAsfContentDescription(file, description, error)) << error;

  const std::vector<uint8_t> bytes = ReadFileBytes(file);
  const uint64_t headerSize = Le64At(bytes, 16);
  EXPECT_EQ(Le32At(bytes, 24), 3u);
  EXPECT_EQ(headerSize + tail.size(), bytes.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size())));
  EXPECT_EQ(Le64At(bytes, 30 + 40), bytes.size()) << "file-properties file size";
  const size_t at = 30 + fileProperties.size();
  ASSERT_TRUE(std::equal(DescriptionGuid.begin(), DescriptionGuid.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at)));
  EXPECT_EQ(Le16At(bytes, at + 24), 6);  // "T", "i-diaeresis", zero
  EXPECT_EQ(Le16At(bytes, at + 26), 0);
  EXPECT_EQ(Le16At(bytes, at + 30), 4);
  EXPECT_EQ(Le64At(bytes, at + 16), 24u + 10 + 6 + 4);
  EXPECT_EQ(Le16At(bytes, at + 36), 0xEF);
  EXPECT_EQ(Le16At(bytes, at + 40), 'C');
}

TEST(AsfHeaderTest, AddsADescriptionAfterTheFileProperties) {
  TempDir dir;
  const std::string file = dir.File("a.wma");
  WriteFileBytes(file, AsfFile({Object(FilePropertiesGuid, std::vector<uint8_t>(80, 0))}, {}));
  TAsfContentDescription description;
  description.Author = u"A";
  std::string error;
  ASSERT_TRUE(WriteAsfContentDescription(file, description, error)) << error;
  const std::vector<uint8_t> bytes = ReadFileBytes(file);
  EXPECT_EQ(Le32At(bytes, 24), 2u);
  EXPECT_EQ(Le64At(bytes, 16), bytes.size());
  EXPECT_TRUE(std::equal(DescriptionGuid.begin(), DescriptionGuid.end(), bytes.begin() + 30 + 104));
}

TEST(AsfHeaderTest, LeavesFilesThatAreNotWellFormedAlone) {
  TempDir dir;
  const std::string file = dir.File("a.wma");
  TAsfContentDescription description;
  description.Title = u"x";
  std::vector<std::vector<uint8_t>> images = {
      std::vector<uint8_t>(100, 'x'),
      AsfFile({Object(DescriptionGuid, {})}, {}),  // no file properties
  };
  std::vector<uint8_t> lying = AsfFile({Object(FilePropertiesGuid, std::vector<uint8_t>(80, 0))}, {});
  lying[30 + 16] = 0xFF;  // an object claiming more than the header holds
  images.push_back(lying);
  std::vector<uint8_t> truncated = lying;
  truncated.resize(40);
  images.push_back(truncated);
  for (const auto& image : images) {
    WriteFileBytes(file, image);
    std::string error;
    EXPECT_FALSE(WriteAsfContentDescription(file, description, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFileBytes(file), image);
  }
  std::string error;
  EXPECT_FALSE(WriteAsfContentDescription(dir.File("missing.wma"), description, error));
  EXPECT_NE(error.find("missing.wma"), std::string::npos);
}

// Our Monkey's Audio library through its exported calls: exact file images, streaming, the
// decompressor's answers, tags and the refusals.

#include <gtest/gtest.h>

#include <cstring>

#include "formats/ape/MACDll.h"
#include "support/ApeTestSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) { return SamplesToBytes(samples); }

std::vector<uint8_t> Hex(const char* text) {
  std::vector<uint8_t> bytes;
  for (const char* p = text; *p != 0;) {
    if (*p == ' ' || *p == '\n') {
      ++p;
      continue;
    }
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
    p += 2;
  }
  return bytes;
}

class MACDllTest : public ::testing::Test {
protected:
  MACDllBinding binding;
  TempDir dir;
};

}  // namespace

TEST_F(MACDllTest, StereoLevel2000MatchesTheReferenceImageByteForByte) {
  const std::string file = dir.File("a.ape");
  ApeEncodeOptions options;
  ASSERT_EQ(CompressPcm(file, Pcm16({0, 0, 1000, -1000, -32768, 32767, 12345, 12345}), options), 0);
  EXPECT_EQ(ReadFileBytes(file), Hex("4d41 4320 960f 0000 3400 0000 1800 0000"
                                     "0400 0000 0000 0000 2400 0000 0000 0000"
                                     "0000 0000 e123 2a19 1df1 aea8 5842 c20c"
                                     "2350 a6f6 d007 2000 0020 0100 0400 0000"
                                     "0100 0000 1000 0200 44ac 0000 5000 0000"
                                     "2e38 9f74 0500 0000 767c c5a9 0096 8969"
                                     "66fd 3475 001c 7fc5 adc4 cf02 00b3 4166"
                                     "0000 0000"));
}

TEST_F(MACDllTest, MonoLevel1000MatchesTheReferenceImageByteForByte) {
  const std::string file = dir.File("b.ape");
  ApeEncodeOptions options;
  options.Channels = 1;
  options.Level = 1000;
  ASSERT_EQ(CompressPcm(file, Pcm16({0, 5, -7, 300, -32768}), options), 0);
  EXPECT_EQ(ReadFileBytes(file), Hex("4d41 4320 960f 0000 3400 0000 1800 0000"
                                     "0400 0000 0000 0000 1800 0000 0000 0000"
                                     "0000 0000 6854 82f8 717a 95ea eeee f946"
                                     "33ec 0c13 e803 2000 0020 0100 0500 0000"
                                     "0100 0000 1000 0100 44ac 0000 5000 0000"
                                     "6f88 862a 3500 0000 89e8 3029 1200 9c60"
                                     "0000 d4d2 0000 0000"));
}

#include "tags/ReadCache.h"

#include <gtest/gtest.h>

TEST(ReadCache, ReadsTheSameBytesAsItsSourceAcrossBlocksAndAtTheEnd) {
  std::vector<uint8_t> bytes(TReadCache::BlockSize * (TReadCache::MaxBlocks + 3) + 123);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
  }
  TMemoryStream source(bytes);
  TReadCache cache(source);
  EXPECT_EQ(cache.Size(), static_cast<int64_t>(bytes.size()));
  const int64_t block = TReadCache::BlockSize;
  for (int64_t position : {int64_t{0}, block - 3, 5 * block + 17, int64_t{10}, int64_t(bytes.size()) - 50,
                           int64_t(bytes.size()) - block - 50,
                           3 * block - 1}) {
    std::vector<uint8_t> got(100, 0xEE);
    cache.Seek(position);
    const int64_t count = cache.Read(got);
    const int64_t expected = std::min<int64_t>(100, static_cast<int64_t>(bytes.size()) - position);
    ASSERT_EQ(count, expected) << position;
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + count, bytes.begin() + position)) << position;
    EXPECT_EQ(cache.Position(), position + count);
  }
  std::vector<uint8_t> large(static_cast<size_t>(3 * block));  // read past the blocks, up to the end
  cache.Seek(static_cast<int64_t>(bytes.size()) - 2 * block - 5);
  ASSERT_EQ(cache.Read(large), 2 * block + 5);
  EXPECT_TRUE(std::equal(large.begin(), large.begin() + 2 * block + 5, bytes.end() - 2 * block - 5));
  EXPECT_EQ(cache.Position(), static_cast<int64_t>(bytes.size()));
  cache.Seek(static_cast<int64_t>(bytes.size()) + 10);
  std::vector<uint8_t> none(4);
  EXPECT_EQ(cache.Read(none), 0);
}

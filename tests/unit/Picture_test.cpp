#include "tags/Picture.h"

#include <gtest/gtest.h>

#include "support/TagImages.h"

using namespace testing_support;

namespace {
const TBytes Png = Concat({Bytes("\x89PNG\r\n\x1A\n"), {0, 0, 0, 13}, Bytes("IHDR"), {0, 0, 1, 44, 0, 0, 0, 200}});
}  // namespace

TEST(Picture, AFLACPictureBlockReadsBackAsWritten) {
  const TPicture picture{"image/png", ptOther, "Rückseite", Png};
  const std::optional<TPicture> read = ParseFLACPicture(FLACPictureBlock(picture));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->MimeType, "image/png");
  EXPECT_EQ(read->Type, ptOther);
  EXPECT_EQ(read->Description, "Rückseite");
  EXPECT_EQ(read->Data, Png);
}

TEST(Picture, ABlockWhoseLengthsReachPastItsEndIsRefused) {
  TBytes block = FLACPictureBlock({"image/png", ptFrontCover, "", Png});
  for (const size_t cut : {size_t{3}, size_t{10}, block.size() - 1}) {
    EXPECT_FALSE(ParseFLACPicture(TBytes(block.begin(), block.begin() + static_cast<ptrdiff_t>(cut)))) << cut;
  }
  // The data length of 2 GiB, with a few bytes behind it.
  block[block.size() - Png.size() - 4] = 0x80;
  EXPECT_FALSE(ParseFLACPicture(block));
  EXPECT_EQ(FLACPictureDataSize(block), int64_t{0x80000000} + static_cast<int64_t>(Png.size()));
}

TEST(Picture, Base64RoundTripsEveryTailLengthAndRefusesOtherText) {
  for (size_t length = 0; length < 6; ++length) {
    const TBytes bytes(Png.begin(), Png.begin() + static_cast<ptrdiff_t>(length));
    EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes) << length;
  }
  EXPECT_EQ(Base64Encode(Bytes("Man")), "TWFu");
  EXPECT_EQ(Base64Decode("TW\r\nE="), Bytes("Ma"));
  EXPECT_FALSE(Base64Decode("TW=Fu"));
  EXPECT_FALSE(Base64Decode("TW*u"));
}

TEST(Picture, KindAndSizeComeFromTheImagesOwnHeader) {
  EXPECT_EQ(ImageMimeType(Png), "image/png");
  EXPECT_EQ(ImageDimensions(Png).Width, 300u);
  EXPECT_EQ(ImageDimensions(Png).Height, 200u);
  // An APP0 segment, then a baseline frame of 64 x 48.
  const TBytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, 11, 8, 0, 48, 0, 64, 3};
  EXPECT_EQ(ImageMimeType(jpeg), "image/jpeg");
  EXPECT_EQ(ImageDimensions(jpeg).Width, 64u);
  EXPECT_EQ(ImageDimensions(jpeg).Height, 48u);
  EXPECT_EQ(ImageMimeType(Bytes("text")), "");
}

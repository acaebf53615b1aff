#pragma once

// A picture carried in a tag (the cover), and the encodings the tag formats share for it: the
// FLAC picture block (also the base64 METADATA_BLOCK_PICTURE comment of Ogg files) and the
// image kinds told apart by their first bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The picture types of ID3v2 and FLAC; APEv2 and ASF use the same numbers.
enum TPictureType : uint32_t { ptOther = 0, ptFrontCover = 3 };

struct TPicture {
  std::string MimeType;  // "image/jpeg"
  uint32_t Type = ptFrontCover;
  std::string Description;  // UTF-8
  std::vector<uint8_t> Data;
};

// Larger pictures are left out whole; a picture is never cut.
constexpr int64_t MaxPictureBytes = int64_t{16} << 20;

// The body of a FLAC PICTURE block; nullopt when it is damaged or its data is too large.
std::optional<TPicture> ParseFLACPicture(std::span<const uint8_t> body);
// The declared data size of a FLAC PICTURE block body, -1 when the block is too short to say.
int64_t FLACPictureDataSize(std::span<const uint8_t> body);
std::vector<uint8_t> FLACPictureBlock(const TPicture& picture);

std::string Base64Encode(std::span<const uint8_t> bytes);
// Nullopt for text that is not base64 (blanks and line breaks are skipped).
std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text);

// "image/jpeg", "image/png", "image/gif", "image/bmp", "image/webp" by the first bytes; empty for
// anything else.
std::string ImageMimeType(std::span<const uint8_t> bytes);

struct TImageSize {
  uint32_t Width = 0;
  uint32_t Height = 0;
};
// From the image's own header (PNG, GIF, JPEG); zero when it cannot be told.
TImageSize ImageDimensions(std::span<const uint8_t> bytes);

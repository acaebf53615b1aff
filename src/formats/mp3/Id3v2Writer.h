#pragma once

// The ID3v2.4 tag the MP3 sink puts before the audio: every field in full, as UTF-8 text, where
// LAME's own ID3v1 trailer holds at most 30 Latin-1 characters a field.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tags/Picture.h"

struct TId3Fields {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Track;
  std::string Comment;
  std::string Genre;
  std::string AlbumArtist;
  std::string Disc;  // "2" or "2/3"
  std::string Composer;
  std::optional<TPicture> Cover;  // an APIC frame of the picture's type
};

// The whole tag, header included; empty when every field is empty. Texts are UTF-8.
std::vector<uint8_t> BuildId3v2Tag(const TId3Fields& fields);

// The text as Latin-1 for the ID3v1 trailer: characters beyond Latin-1 become '?'.
std::string Utf8ToLatin1(const std::string& text);

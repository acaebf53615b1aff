#pragma once

// The Vorbis comment list shared by Ogg Vorbis and FLAC files: a vendor string, then
// "KEY=value" texts, each prefixed by its 32-bit little-endian length.

#include <array>
#include <cstdint>
#include <string>

#include "platform/Streams.h"

enum TVorbisKey { vkTitle, vkArtist, vkAlbum, vkTrackNumber, vkDate, vkGenre, vkComment, vkPerformer,
                  vkDescription, vkCount };

struct TVorbisComments {
  std::string Vendor;
  std::array<std::string, vkCount> Values;  // by TVorbisKey, UTF-8
};

// Reads the list from the stream's position. Values longer than 250 bytes are cut there; a
// later comment with the same key replaces an earlier one; the list ends early at the end of the data.
void ReadVorbisComments(TStream& stream, TVorbisComments& comments);

#pragma once

// The Vorbis comment list shared by Ogg Vorbis and FLAC files: a vendor string, then
// "KEY=value" texts, each prefixed by its 32-bit little-endian length.

#include <array>
#include <cstdint>
#include <string>

#include "platform/Streams.h"

enum TVorbisKey { vkTitle, vkArtist, vkAlbum, vkTrackNumber, vkDate, vkGenre, vkComment, vkPerformer,
                  vkDescription, vkAlbumArtist, vkDiscNumber, vkTotalTracks, vkTotalDiscs, vkComposer,
                  vkCount };

struct TVorbisComments {
  std::string Vendor;
  std::array<std::string, vkCount> Values;  // by TVorbisKey, UTF-8
};

// The key a value is stored under ("TITLE", "ALBUMARTIST", ...); the keys are matched without
// regard to case, and "TRACKTOTAL", "DISCTOTAL" and "ALBUM ARTIST" are read as well.
const char* VorbisKeyName(TVorbisKey key);

// Reads the list from the stream's position. A key given more than once keeps every value,
// joined with "; ", as does a value holding zero bytes (each part is a value of its own). The list
// ends early at the end of the data; a comment longer than the data that is left ends it too.
void ReadVorbisComments(TStream& stream, TVorbisComments& comments);

#pragma once

// The iTunes-style item list of an MP4 (M4A) file: moov/udta/meta/ilst, each item holding one or
// more data atoms. FFmpeg shows only one value of an item that holds several.

#include <array>
#include <string>

#include "platform/Streams.h"

enum TMP4Item { miTitle, miArtist, miAlbum, miYear, miGenre, miComment, miAlbumArtist, miComposer,
                miTrack, miTotalTracks, miDisc, miTotalDiscs, miCount };

// Texts by TMP4Item; an item's values are joined with "; ", numbers are decimal (empty for 0).
using TMP4Texts = std::array<std::string, miCount>;

// False when the file has no item list.
bool ReadMP4Tags(TStream& stream, TMP4Texts& texts);

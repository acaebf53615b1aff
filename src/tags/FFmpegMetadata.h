#pragma once

// The file-info summary's reader for the inputs without a reader of their own (M4A, Opus,
// WavPack, AIFF, ...): stream facts and tags as libavformat reads them from the container.

#include <string>

#include "tags/SongInformation.h"

// Fills the record's stream part (size, duration, rate, channels, bit rate, codec and bits) and
// the tag texts title, artist, album, year, track, genre and comment; without a title the file
// name stands in. A file FFmpeg cannot read leaves the record as it is but for the title.
void ReadMediaInformation(const std::string& fileName, SongInformation& info);

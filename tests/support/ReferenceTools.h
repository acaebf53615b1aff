#pragma once

// What the reference tools read from a file: tags as mutagen sees them, stream values as ffprobe
// reports them.

#include <map>
#include <string>

namespace testing_support {

// title, artist, album, year, genre, comment, track ("" for what the file lacks).
std::map<std::string, std::string> MutagenTags(const std::string& fileName);
// One ffprobe value of the first audio stream ("stream=sample_rate") or of the file ("format=duration").
std::string ProbeValue(const std::string& fileName, const std::string& entry);
bool HaveMutagen();
// The SHA-256 of the picture mutagen finds in the file (hex), "none" without one.
std::string MutagenCoverDigest(const std::string& fileName);
// Puts the image into the file as its front cover, through mutagen; false when that fails.
bool MutagenPutCover(const std::string& fileName, const std::string& image);

}  // namespace testing_support

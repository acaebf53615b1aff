#pragma once

// Compressed test files made in the test, and the shipped encoder profiles.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Encodes 16-bit PCM into a WMA file through the writer layer, at the input's rate and channels.
void WriteWmaFile(const std::string& fileName, const std::vector<int16_t>& samples, int channels, int sampleRate,
                  int bitrate = 128000);

// Every PCM byte a reader-layer stream delivers, read in pieces of `pieceSize` bytes.
std::vector<uint8_t> DecodeWithReader(const std::string& fileName, size_t pieceSize = 32768);

// A profile document as the bytes of a ".prx" file: UTF-16LE with a byte-order mark.
std::vector<uint8_t> ProfileFileBytes(const std::string& xml);
std::string ProfileXml(int bitrate, int sampleRate, int channels);

// The path of a shipped profile beside the built programs.
std::string ShippedProfile(const std::string& name);
constexpr const char* DefaultProfileName = "128 kbps, 44.1 kHz, stereo";

}  // namespace testing_support

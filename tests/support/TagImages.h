#pragma once

// Byte images of tags and stream headers for the reader tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

using TBytes = std::vector<uint8_t>;

TBytes Bytes(std::string_view text);
TBytes Concat(std::initializer_list<TBytes> parts);
TBytes Utf16LeWithMark(std::u16string_view text);

// The 128-byte trailer; `comment` fills bytes 97-126 as given (pad it yourself).
TBytes ID3v1Trailer(const std::string& title, const std::string& artist, const std::string& album,
                    const std::string& year, const TBytes& comment, uint8_t genre);

TBytes ID3v2Frame(const std::string& id, const TBytes& data, int version = 3, uint8_t formatFlags = 0);
TBytes ID3v2TextFrame(const std::string& id, const std::string& text, int version = 3);
// Header with a sync-safe size, the frames, then `padding` zero bytes.
TBytes ID3v2Tag(int version, const std::vector<TBytes>& frames, size_t padding = 0, uint8_t flags = 0);

// The bytes as unsynchronisation writes them: a zero after every 0xFF that precedes a zero, a
// byte of 0xE0 or more, or the end.
TBytes Unsynchronised(const TBytes& bytes);

TBytes APEItem(const std::string& key, const std::string& value);
// Items followed by the 32-byte footer.
TBytes APETag(int32_t version, const std::vector<TBytes>& items);

// One MPEG frame: the header, then zero bytes up to `length`.
TBytes MPEGFrame(uint32_t header, size_t length);
TBytes MPEGFrames(uint32_t header, size_t length, int count);

// An Ogg page holding the given packets (each under 255 bytes per segment run).
TBytes OggPage(int64_t granule, uint32_t sequence, const std::vector<TBytes>& packets);
TBytes VorbisIdentification(uint8_t channels, uint32_t sampleRate, int32_t nominalBitRate);
TBytes VorbisComments(const std::string& vendor, const std::vector<std::string>& comments);

// ASF: a GUID (text form) as stored; an object with its GUID and body; a header object holding objects.
TBytes AsfGuid(const std::string& guid);
TBytes AsfObject(const std::string& guid, const TBytes& body);
TBytes AsfHeader(const std::vector<TBytes>& objects);
// Play duration in 100-nanosecond units, preroll in milliseconds.
TBytes AsfFileProperties(uint32_t maxBitRate, uint64_t playDuration = 0, uint64_t preroll = 0);
TBytes AsfStreamProperties(uint16_t channels, uint32_t sampleRate, uint32_t byteRate);
TBytes AsfContentDescription(std::u16string_view title, std::u16string_view author, std::u16string_view description);
struct TAsfDescriptor {
  std::u16string Name;
  uint16_t Type;
  TBytes Value;
};
TBytes AsfExtendedContentDescription(const std::vector<TAsfDescriptor>& descriptors);
TBytes Utf16LeTerminated(std::u16string_view text);

}  // namespace testing_support

#include "support/TagImages.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "support/TestSupport.h"

namespace testing_support {

TBytes Bytes(std::string_view text) { return TBytes(text.begin(), text.end()); }

TBytes Concat(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const auto& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

TBytes Utf16LeWithMark(std::u16string_view text) {
  TBytes out = {0xFF, 0xFE};
  for (char16_t c : text) {
    AppendLe16(out, c);
  }
  return out;
}

TBytes Utf16LeTerminated(std::u16string_view text) {
  TBytes out;
  for (char16_t c : text) {
    AppendLe16(out, c);
  }
  AppendLe16(out, 0);
  return out;
}

namespace {
void Put(TBytes& out, size_t offset, const std::string& text, size_t width) {
  std::copy_n(text.begin(), std::min(text.size(), width), out.begin() + static_cast<ptrdiff_t>(offset));
}
void AppendBe32(TBytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}
void AppendSyncSafe(TBytes& out, uint32_t value) {
  for (int shift = 21; shift >= 0; shift -= 7) {
    out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
  }
}
}  // namespace

TBytes ID3v1Trailer(const std::string& title, const std::string& artist, const std::string& album,
                    const std::string& year, const TBytes& comment, uint8_t genre) {
  TBytes out(128, 0);
  Put(out, 0, "TAG", 3);
  Put(out, 3, title, 30);
  Put(out, 33, artist, 30);
  Put(out, 63, album, 30);
  Put(out, 93, year, 4);
  std::copy_n(comment.begin(), std::min<size_t>(comment.size(), 30), out.begin() + 97);
  out[127] = genre;
  return out;
}

TBytes ID3v2Frame(const std::string& id, const TBytes& data, int version, uint8_t formatFlags) {
  TBytes out = Bytes(id);
  if (version == 2) {
    for (int shift = 16; shift >= 0; shift -= 8) {
      out.push_back(static_cast<uint8_t>(data.size() >> shift));
    }
  } else {
    version == 4 ? AppendSyncSafe(out, static_cast<uint32_t>(data.size()))
                 : AppendBe32(out, static_cast<uint32_t>(data.size()));
    out.push_back(0);
    out.push_back(formatFlags);
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TBytes ID3v2TextFrame(const std::string& id, const std::string& text, int version) {
  return ID3v2Frame(id, Concat({{0}, Bytes(text)}), version);
}

TBytes ID3v2Tag(int version, const std::vector<TBytes>& frames, size_t padding, uint8_t flags) {
  TBytes body;
  for (const auto& frame : frames) {
    body.insert(body.end(), frame.begin(), frame.end());
  }
  body.resize(body.size() + padding, 0);
  TBytes out = Bytes("ID3");
  out.push_back(static_cast<uint8_t>(version));
  out.push_back(0);
  out.push_back(flags);
  AppendSyncSafe(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TBytes Unsynchronised(const TBytes& bytes) {
  TBytes out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && (i + 1 == bytes.size() || bytes[i + 1] >= 0xE0 || bytes[i + 1] == 0)) {
      out.push_back(0);
    }
  }
  return out;
}

TBytes APEItem(const std::string& key, const std::string& value) {
  TBytes out;
  AppendLe32(out, static_cast<uint32_t>(value.size()));
  AppendLe32(out, 0);
  out.insert(out.end(), key.begin(), key.end());
  out.push_back(0);
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

TBytes APETag(int32_t version, const std::vector<TBytes>& items) {
  TBytes out;
  for (const auto& item : items) {
    out.insert(out.end(), item.begin(), item.end());
  }
  const auto size = static_cast<uint32_t>(out.size() + 32);
  const TBytes marker = Bytes("APETAGEX");
  out.insert(out.end(), marker.begin(), marker.end());
  AppendLe32(out, static_cast<uint32_t>(version));
  AppendLe32(out, size);
  AppendLe32(out, static_cast<uint32_t>(items.size()));
  AppendLe32(out, 0);
  out.resize(out.size() + 8, 0);
  return out;
}

TBytes MPEGFrame(uint32_t header, size_t length) {
  TBytes out(length, 0);
  AppendBe32(out, header);
  std::rotate(out.begin(), out.end() - 4, out.end());
  out.resize(length);
  return out;
}

TBytes MPEGFrames(uint32_t header, size_t length, int count) {
  TBytes out;
  const TBytes frame = MPEGFrame(header, length);
  for (int i = 0; i < count; ++i) {
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

TBytes OggPage(int64_t granule, uint32_t sequence, const std::vector<TBytes>& packets) {
  TBytes segments;
  TBytes body;
  for (const auto& packet : packets) {
    size_t left = packet.size();
    while (left >= 255) {
      segments.push_back(255);
      left -= 255;
    }
    segments.push_back(static_cast<uint8_t>(left));
    body.insert(body.end(), packet.begin(), packet.end());
  }
  TBytes out = Bytes("OggS");
  out.push_back(0);
  out.push_back(0);
  AppendLe32(out, static_cast<uint32_t>(granule));
  AppendLe32(out, static_cast<uint32_t>(static_cast<uint64_t>(granule) >> 32));
  AppendLe32(out, 0x1234);
  AppendLe32(out, sequence);
  AppendLe32(out, 0);
  out.push_back(static_cast<uint8_t>(segments.size()));
  out.insert(out.end(), segments.begin(), segments.end());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TBytes VorbisIdentification(uint8_t channels, uint32_t sampleRate, int32_t nominalBitRate) {
  TBytes out = Bytes("\x01vorbis");
  AppendLe32(out, 0);
  out.push_back(channels);
  AppendLe32(out, sampleRate);
  AppendLe32(out, 0);
  AppendLe32(out, static_cast<uint32_t>(nominalBitRate));
  AppendLe32(out, 0);
  out.push_back(0xB8);
  out.push_back(1);
  return out;
}

TBytes VorbisComments(const std::string& vendor, const std::vector<std::string>& comments) {
  TBytes out = Bytes("\x03vorbis");
  AppendLe32(out, static_cast<uint32_t>(vendor.size()));
  out.insert(out.end(), vendor.begin(), vendor.end());
  AppendLe32(out, static_cast<uint32_t>(comments.size()));
  for (const auto& comment : comments) {
    AppendLe32(out, static_cast<uint32_t>(comment.size()));
    out.insert(out.end(), comment.begin(), comment.end());
  }
  out.push_back(1);
  return out;
}

TBytes AsfGuid(const std::string& guid) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  unsigned long long e = 0;
  if (std::sscanf(guid.c_str(), "%8x-%4x-%4x-%4x-%12llx", &a, &b, &c, &d, &e) != 5) {
    throw std::invalid_argument(guid);
  }
  TBytes out;
  AppendLe32(out, a);
  AppendLe16(out, static_cast<uint16_t>(b));
  AppendLe16(out, static_cast<uint16_t>(c));
  out.push_back(static_cast<uint8_t>(d >> 8));
  out.push_back(static_cast<uint8_t>(d));
  for (int shift = 40; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(e >> shift));
  }
  return out;
}

TBytes AsfObject(const std::string& guid, const TBytes& body) {
  TBytes out = AsfGuid(guid);
  const uint64_t size = 24 + body.size();
  AppendLe32(out, static_cast<uint32_t>(size));
  AppendLe32(out, static_cast<uint32_t>(size >> 32));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TBytes AsfHeader(const std::vector<TBytes>& objects) {
  TBytes body;
  AppendLe32(body, static_cast<uint32_t>(objects.size()));
  body.push_back(1);
  body.push_back(2);
  for (const auto& object : objects) {
    body.insert(body.end(), object.begin(), object.end());
  }
  return AsfObject("75B22630-668E-11CF-A6D9-00AA0062CE6C", body);
}

TBytes AsfFileProperties(uint32_t maxBitRate, uint64_t playDuration, uint64_t preroll) {
  TBytes body(76, 0);
  for (int i = 0; i < 8; ++i) {
    body[40 + i] = static_cast<uint8_t>(playDuration >> (8 * i));
    body[56 + i] = static_cast<uint8_t>(preroll >> (8 * i));
  }
  AppendLe32(body, maxBitRate);
  return AsfObject("8CABDCA1-A947-11CF-8EE4-00C00C205365", body);
}

TBytes AsfStreamProperties(uint16_t channels, uint32_t sampleRate, uint32_t byteRate) {
  // The audio media type, then the error correction type, offset, sizes and flags.
  TBytes body = AsfGuid("F8699E40-5B4D-11CF-A8FD-00805F5C442B");
  body.resize(54, 0);
  AppendLe16(body, 0x161);
  AppendLe16(body, channels);
  AppendLe32(body, sampleRate);
  AppendLe32(body, byteRate);
  body.resize(body.size() + 10, 0);
  return AsfObject("B7DC0791-A9B7-11CF-8EE6-00C00C205365", body);
}

TBytes AsfContentDescription(std::u16string_view title, std::u16string_view author, std::u16string_view description) {
  const TBytes t = Utf16LeTerminated(title), a = Utf16LeTerminated(author), d = Utf16LeTerminated(description);
  TBytes body;
  for (size_t size : {t.size(), a.size(), size_t{0}, d.size(), size_t{0}}) {
    AppendLe16(body, static_cast<uint16_t>(size));
  }
  body = Concat({body, t, a, d});
  return AsfObject("75B22633-668E-11CF-A6D9-00AA0062CE6C", body);
}

TBytes AsfExtendedContentDescription(const std::vector<TAsfDescriptor>& descriptors) {
  TBytes body;
  AppendLe16(body, static_cast<uint16_t>(descriptors.size()));
  for (const auto& descriptor : descriptors) {
    const TBytes name = Utf16LeTerminated(descriptor.Name);
    AppendLe16(body, static_cast<uint16_t>(name.size()));
    body.insert(body.end(), name.begin(), name.end());
    AppendLe16(body, descriptor.Type);
    AppendLe16(body, static_cast<uint16_t>(descriptor.Value.size()));
    body.insert(body.end(), descriptor.Value.begin(), descriptor.Value.end());
  }
  return AsfObject("D2D0A440-E307-11D2-97F0-00A0C95EA850", body);
}

}  // namespace testing_support

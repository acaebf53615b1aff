#pragma once

// Encoder profiles of the writer layer: ".prx" files holding a small UTF-16 XML document,
//
//   <profile version="1" name="128 kbps, 44.1 kHz, stereo">
//     <audio codec="wmav2" bitrate="128000" samplerate="44100" channels="2"/>
//   </profile>
//
// from which the writer takes the bit rate (bits per second), sample rate (Hz) and channels.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

using TWriterResult = uint32_t;

constexpr TWriterResult WR_OK = 0;
constexpr TWriterResult WR_E_INVALIDARG = 0x80070057;
constexpr TWriterResult WR_E_UNEXPECTED = 0x8000FFFF;   // a call out of order
constexpr TWriterResult WR_E_OUTOFMEMORY = 0x8007000E;
constexpr TWriterResult NS_E_INVALID_PROFILE = 0xC00D0BC6;
constexpr TWriterResult NS_E_INVALID_OUTPUT_FORMAT = 0xC00D0BBB;
constexpr TWriterResult NS_E_AUDIO_CODEC_NOT_INSTALLED = 0xC00D0BC2;
constexpr TWriterResult NS_E_AUDIO_CODEC_ERROR = 0xC00D0BC3;
constexpr TWriterResult NS_E_FILE_OPEN_FAILED = 0xC00D001D;
constexpr TWriterResult NS_E_FILE_WRITE = 0xC00D0017;

struct TWMProfile {
  std::string Name;
  int32_t Bitrate = 0;
  int32_t SampleRate = 0;
  int32_t Channels = 0;
};

class TWMProfileManager {
public:
  // Parses a profile document. On failure the profile is left empty and `reason` says why.
  TWriterResult LoadProfileByData(std::u16string_view profileData, std::shared_ptr<const TWMProfile>& profile,
                                  std::string& reason) const;
};

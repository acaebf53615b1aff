#include "formats/flac/ChannelMaskComment.h"

#include <charconv>
#include <cstdio>

#include "pipeline/PcmFormat.h"
#include "platform/TextUtils.h"

namespace {

constexpr std::string_view Name = "WAVEFORMATEXTENSIBLE_CHANNEL_MASK=";

}  // namespace

std::string ChannelMaskComment(uint32_t mask, int32_t channels) {
  if (mask == 0 || mask == DefaultChannelMask(channels)) {
    return {};
  }
  char value[16];
  std::snprintf(value, sizeof value, "0x%04X", mask);
  return std::string(Name) + value;
}

bool ParseChannelMaskComment(std::string_view entry, uint32_t& mask) {
  if (entry.size() <= Name.size() || !EqualsNoCase(entry.substr(0, Name.size()), Name)) {
    return false;
  }
  std::string_view value = entry.substr(Name.size());
  if (value.starts_with("0x") || value.starts_with("0X")) {
    value.remove_prefix(2);
  }
  uint32_t parsed = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed, 16);
  if (error != std::errc() || end != value.data() + value.size()) {
    return false;
  }
  mask = parsed;
  return true;
}

#include "TerminalText.h"

#include <cstdio>

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02x", byte);
  out += text;
}

}  // namespace

std::string TerminalText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (byte < 0x20 || byte == 0x7f) {
      AppendEscaped(out, byte);
    } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {
      AppendEscaped(out, byte);
      AppendEscaped(out, next);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// A settings-style INI text (language files, playlists read back) as arbitrary bytes: parsing
// and reading never crash, the text it writes reads back as itself, and a value written is read back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/IniFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TIniDocument document = TIniDocument::Parse(text);
  // A stray carriage return at a line's end may change the line ends once; from then on the text
  // a document writes reads back as itself.
  const std::string written = TIniDocument::Parse(document.Text()).Text();
  if (TIniDocument::Parse(written).Text() != written) {
    std::abort();
  }
  // The first line names the section and key asked for, so the reader meets them in the text.
  const std::string first = document.Lines().empty() ? std::string() : document.Lines().front();
  std::string value;
  document.Read(first, first, value);
  document.Read("Fuzz", "Key", value);
  document.Write("Fuzz", "Key", "written");
  if (!document.Read("Fuzz", "Key", value) || value != "written") {
    std::abort();
  }
  return 0;
}

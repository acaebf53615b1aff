#include "platform/SimpleXml.h"

#include <cstdint>
#include <stdexcept>

#include "platform/WideText.h"

namespace {

constexpr int MaxDepth = 64;

class TXmlError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || static_cast<uint8_t>(c) >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

class TXmlParser {
public:
  explicit TXmlParser(std::string_view text) : FText(text) {}

  TXmlElement Document() {
    if (FText.substr(0, 3) == "\xEF\xBB\xBF") {
      FPos = 3;
    }
    SkipMisc();
    if (!Peek("<") || Peek("</")) {
      Fail("no root element");
    }
    TXmlElement root = Element(0);
    SkipMisc();
    if (FPos != FText.size()) {
      Fail("content after the root element");
    }
    return root;
  }

private:
  std::string_view FText;
  size_t FPos = 0;

  [[noreturn]] void Fail(const std::string& reason) const {
    int line = 1;
    for (size_t i = 0; i < FPos && i < FText.size(); ++i) {
      line += FText[i] == '\n' ? 1 : 0;
    }
    throw TXmlError("line " + std::to_string(line) + ": " + reason);
  }

  bool Peek(std::string_view what) const { return FText.substr(FPos, what.size()) == what; }
  void Expect(std::string_view what) {
    if (!Peek(what)) {
      Fail("expected \"" + std::string(what) + "\"");
    }
    FPos += what.size();
  }
  void SkipSpace() {
    while (FPos < FText.size() && IsSpace(FText[FPos])) {
      ++FPos;
    }
  }
  void SkipPast(std::string_view end, const char* what) {
    const size_t found = FText.find(end, FPos);
    if (found == std::string_view::npos) {
      Fail(std::string("unterminated ") + what);
    }
    FPos = found + end.size();
  }

  // Whitespace, comments and processing instructions outside the root element.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (Peek("<!--")) {
        SkipPast("-->", "comment");
      } else if (Peek("<?")) {
        SkipPast("?>", "processing instruction");
      } else if (Peek("<!")) {
        Fail("document type declarations are not allowed");
      } else {
        return;
      }
    }
  }

  std::string Name() {
    const size_t start = FPos;
    if (FPos >= FText.size() || !IsNameStart(FText[FPos])) {
      Fail("expected a name");
    }
    while (FPos < FText.size() && IsNameChar(FText[FPos])) {
      ++FPos;
    }
    return std::string(FText.substr(start, FPos - start));
  }

  void Reference(std::string& out) {
    const size_t end = FText.find(';', FPos);
    if (end == std::string_view::npos || end - FPos > 10) {
      Fail("bad character reference");
    }
    const std::string_view name = FText.substr(FPos + 1, end - FPos - 1);
    FPos = end + 1;
    if (name == "amp") {
      out += '&';
    } else if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "quot") {
      out += '"';
    } else if (name == "apos") {
      out += '\'';
    } else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string digits(name.substr(hex ? 2 : 1));
      if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
        Fail("bad character reference");
      }
      const unsigned long code = std::stoul(digits, nullptr, hex ? 16 : 10);
      if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        Fail("bad character reference");
      }
      AppendUtf8(out, static_cast<char32_t>(code));
    } else {
      Fail("unknown entity");
    }
  }

  std::string AttributeValue() {
    if (FPos >= FText.size() || (FText[FPos] != '"' && FText[FPos] != '\'')) {
      Fail("expected a quoted attribute value");
    }
    const char quote = FText[FPos++];
    std::string value;
    for (;;) {
      if (FPos >= FText.size()) {
        Fail("unterminated attribute value");
      }
      const char c = FText[FPos];
      if (c == quote) {
        ++FPos;
        return value;
      }
      if (c == '<') {
        Fail("\"<\" in an attribute value");
      }
      if (c == '&') {
        Reference(value);
      } else {
        value += c;
        ++FPos;
      }
    }
  }

  TXmlElement Element(int depth) {
    if (depth > MaxDepth) {
      Fail("elements nested too deeply");
    }
    Expect("<");
    TXmlElement element;
    element.Name = Name();
    for (;;) {
      const size_t before = FPos;
      SkipSpace();
      if (Peek("/>")) {
        FPos += 2;
        return element;
      }
      if (Peek(">")) {
        ++FPos;
        break;
      }
      if (FPos == before) {
        Fail("expected whitespace before an attribute");
      }
      std::string name = Name();
      SkipSpace();
      Expect("=");
      SkipSpace();
      if (!element.Attributes.emplace(name, AttributeValue()).second) {
        Fail("attribute \"" + name + "\" given twice");
      }
    }
    Content(element, depth);
    return element;
  }

  void Content(TXmlElement& element, int depth) {
    for (;;) {
      if (FPos >= FText.size()) {
        Fail("element \"" + element.Name + "\" is not closed");
      }
      if (Peek("</")) {
        FPos += 2;
        if (Name() != element.Name) {
          Fail("end tag does not match \"" + element.Name + "\"");
        }
        SkipSpace();
        Expect(">");
        return;
      }
      if (Peek("<!--")) {
        SkipPast("-->", "comment");
      } else if (Peek("<![CDATA[")) {
        SkipPast("]]>", "CDATA section");
      } else if (Peek("<?")) {
        SkipPast("?>", "processing instruction");
      } else if (Peek("<")) {
        element.Children.push_back(Element(depth + 1));
      } else if (Peek("&")) {
        std::string ignored;
        Reference(ignored);
      } else {
        ++FPos;
      }
    }
  }
};

}  // namespace

std::optional<TXmlElement> ParseXml(std::string_view text, std::string& error) {
  try {
    return TXmlParser(text).Document();
  } catch (const TXmlError& failure) {
    error = failure.what();
    return std::nullopt;
  }
}

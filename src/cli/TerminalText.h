#pragma once

// Text from files and tags shown on a terminal: a control character in a name could move the
// cursor, recolour or retitle the terminal, so each is shown as "\xHH" instead.

#include <string>

// C0 controls, DEL and the UTF-8 forms of the C1 controls (U+0080..U+009F) escaped; a backslash
// stays as it is.
std::string TerminalText(const std::string& text);

#include "cli/TerminalText.h"

#include <gtest/gtest.h>

TEST(TerminalText, ControlCharactersAreShownNotObeyed) {
  EXPECT_EQ(TerminalText("a\033[31mb\tc\nd\x7f"), "a\\x1b[31mb\\x09c\\x0ad\\x7f");
  EXPECT_EQ(TerminalText("csi\xc2\x9b" "2J caf\xc3\xa9 \\"), "csi\\xc2\\x9b2J caf\xc3\xa9 \\");
}

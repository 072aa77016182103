// User text quoted in messages: controls and invisible characters are named.
#include <gtest/gtest.h>

#include "res/Printable.h"

using res::Printable;

TEST(Printable, NamesControlsAndFormatCharactersKeepsTheRest) {
  // C0 (tab and line ends too), DEL, C1: OSC and CSI.
  EXPECT_EQ(Printable("a\tb\r\n\x1B[2J\x7F"), "aU+0009bU+000DU+000AU+001B[2JU+007F");
  EXPECT_EQ(Printable(std::string("\0", 1)), "U+0000");
  EXPECT_EQ(Printable("\xC2\x9D"
                      "0;t\xC2\x9B"),
            "U+009D0;tU+009B");
  // Direction overrides and isolates, zero-width characters, the BOM, the
  // line separator; a tag character beyond the first plane.
  EXPECT_EQ(Printable("x\xE2\x80\xAEy\xE2\x81\xA6z"), "xU+202EyU+2066z");
  EXPECT_EQ(Printable("\xE2\x80\x8B\xE2\x80\x8F\xEF\xBB\xBF\xE2\x80\xA8"),
            "U+200BU+200FU+FEFFU+2028");
  EXPECT_EQ(Printable("\xF3\xA0\x80\x81"), "U+E0001");
  // Bytes that start no UTF-8 character: a GBK text, a lone C1 byte.
  EXPECT_EQ(Printable("\xD6\xD0\xCE\xC4"), "\\xD6\\xD0\\xCE\\xC4");
  EXPECT_EQ(Printable("a\x9B"
                      "1m"),
            "a\\x9B1m");
  // Everything else as it is: Chinese, emoji, quotes, a path.
  const std::string plain = "中文 😀 \"/tmp/a b\\c.txt\" 第 3 行";
  EXPECT_EQ(Printable(plain), plain);
  EXPECT_EQ(res::CodePointName(0x10FFFF), "U+10FFFF");
}

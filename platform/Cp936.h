#pragma once
// Code page 936 (GBK): the encoding every user text is held in.
// Frame texts and names stay GBK bytes everywhere in the core; conversion to
// Unicode happens only where a widget shows them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform::cp936 {

// 0x81..0xFE starts a two-byte character.
bool IsLeadByte(unsigned char b);

// Length in bytes (1 or 2) of the character starting at pos. A lead byte at
// the very end of the text counts as one byte.
std::size_t CharLength(std::string_view s, std::size_t pos);

// Byte offset of the first / last character equal to the ASCII byte c, never
// matching the second byte of a two-byte character; npos when there is none.
std::size_t FindFirst(std::string_view s, char c, std::size_t from = 0);
std::size_t FindLast(std::string_view s, char c);

// GBK bytes to UTF-8. Never fails and never drops anything: a byte that does
// not start a valid GBK character is carried as the private code point
// U+10FF00 + byte, which ToGbk turns back into the same byte.
std::string ToUtf8(std::string_view gbk);

// Appends a code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

struct GbkResult {
  std::string bytes;                 // the converted text (unmappable characters left out)
  std::vector<char32_t> unmappable;  // characters GBK cannot hold, in order of appearance
  bool ok() const { return unmappable.empty(); }
};

// UTF-8 to GBK bytes. Characters GBK cannot hold are reported, not dropped silently.
GbkResult ToGbk(std::string_view utf8);

}  // namespace platform::cp936

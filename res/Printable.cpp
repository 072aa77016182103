#include "res/Printable.h"

#include <cstdio>

namespace res {

namespace {

struct Range {
  char32_t first, last;
};

// Unicode 15's general category Cf, with U+2028 and U+2029 (Zl, Zp).
constexpr Range kFormat[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

}  // namespace

std::size_t DecodeUtf8Char(std::string_view s, std::size_t pos, char32_t* cp) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
  const unsigned char c = b(0);
  if (c < 0x80) {
    *cp = c;
    return 1;
  }
  std::size_t n;
  char32_t value, least;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, value = c & 0x1F, least = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, value = c & 0x0F, least = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, value = c & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (pos + n > s.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b(i) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return n;
}

bool IsControlOrFormat(char32_t cp) {
  if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return true;
  for (const Range& r : kFormat)
    if (cp >= r.first && cp <= r.last) return true;
  return false;
}

std::string CodePointName(char32_t cp) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
  return name;
}

std::string Printable(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t n = DecodeUtf8Char(utf8, i, &cp);
    if (n == 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(utf8[i]));
      out += hex;
      ++i;
    } else if (IsControlOrFormat(cp)) {
      out += CodePointName(cp);
      i += n;
    } else {
      out.append(utf8, i, n);
      i += n;
    }
  }
  return out;
}

}  // namespace res

#pragma once
// The sixteen console colours. A list position is a colour index, and the
// index is the hexadecimal digit of the console colour code.
#include <optional>

namespace document {

inline constexpr int kColorCount = 16;

// Colour names, UTF-8, in list order ("黑色" ... "亮白色").
extern const char* const g_colorTable[kColorCount];

// The upper-case hex digit of a colour index, or nothing outside 0..15.
std::optional<char> ColorDigit(int index);

}  // namespace document

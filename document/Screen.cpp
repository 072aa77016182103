#include "document/Screen.h"

#include <cstdio>

namespace document {

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::optional<ConsoleColors> ReadColorCode(std::string_view code) {
  while (!code.empty() && IsBlank(code.front())) code.remove_prefix(1);
  while (!code.empty() && IsBlank(code.back())) code.remove_suffix(1);
  if (code.empty() || code.size() > 2) return std::nullopt;
  int digits[2] = {0, 0};
  for (std::size_t i = 0; i < code.size(); ++i)
    if ((digits[i] = HexDigit(code[i])) < 0) return std::nullopt;
  ConsoleColors colors;
  colors.back = code.size() == 2 ? digits[0] : 0;
  colors.fore = digits[code.size() - 1];
  // The console refuses equal digits, as it would show nothing.
  if (colors.back == colors.fore) return std::nullopt;
  return colors;
}

ConsoleColors ShownColors(std::string_view code) {
  return ReadColorCode(code).value_or(ConsoleColors{});
}

// The classic console palette.
const std::array<std::uint32_t, 16> kConsoleRgb = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

int AnsiColor(int index) { return ((index & 1) << 2) | (index & 2) | ((index & 4) >> 2); }

std::string ColorSgr(const ConsoleColors& colors) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "\x1b[0;%d;%dm",
                ((colors.back & 8) ? 100 : 40) + AnsiColor(colors.back),
                ((colors.fore & 8) ? 90 : 30) + AnsiColor(colors.fore));
  return buf;
}

int PlayRate(int rate) { return rate < 1 ? 1 : rate; }

double FrameStart(long long frame, double rate, double unitsPerSecond) {
  return unitsPerSecond * static_cast<double>(frame) / rate;
}

long long WholeFrameStart(long long frame, int rate, long long unitsPerSecond) {
  return unitsPerSecond * frame / rate;
}

long long WholeFrameLength(int rate, long long unitsPerSecond) {
  return WholeFrameStart(1, rate, unitsPerSecond);
}

}  // namespace document

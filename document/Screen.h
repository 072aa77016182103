#pragma once
// The console's screen rules that every player and writer shares: how the
// `color` command reads a colour code, the sixteen console colours, and the
// clock that turns the rate into each frame's start and length.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace document {

// The two colours an animation is shown in, as console colour indexes
// (bit 0 blue, 1 green, 2 red, 3 bright).
struct ConsoleColors {
  int back = 0;
  int fore = 7;
  bool operator==(const ConsoleColors&) const = default;
};

// A colour code "XY" (X background, Y characters) read as the console's
// `color` command reads it: blanks (space, tab) around the digits are
// skipped, a hex digit may be either case, one digit is the characters'
// colour on black. Nothing is returned where the console leaves the
// terminal's own colours: no digits, equal digits, more than two, a blank
// between them, or a character that is not a hex digit.
std::optional<ConsoleColors> ReadColorCode(std::string_view code);

// The colours a page, a picture or a recording shows for a code: the code's,
// or the console's own 07 where the code leaves the terminal's colours.
ConsoleColors ShownColors(std::string_view code);

// The console's sixteen colours as 0xRRGGBB, by colour index.
extern const std::array<std::uint32_t, 16> kConsoleRgb;

// A console colour index (bit 0 blue, 1 green, 2 red) to the terminal's
// colour number (bit 0 red, 1 green, 2 blue); the bright bit is dropped.
int AnsiColor(int index);

// The terminal's sequence that sets both colours, as the generated program
// sends it: "ESC[0;<background>;<characters>m".
std::string ColorSgr(const ConsoleColors& colors);

// The rate an animation plays at: below 1 counts as 1.
int PlayRate(int rate);

// The animation's clock: frame `frame` (from 0) starts frame / rate seconds
// after the first, so a frame lasts 1 / rate seconds and the starts never
// drift. In units of 1 / unitsPerSecond seconds: exact, or rounded down to
// whole units. The rate is taken as given (PlayRate first where a rate
// below 1 can come in); a player's speed multiplies it.
double FrameStart(long long frame, double rate, double unitsPerSecond = 1.0);
long long WholeFrameStart(long long frame, int rate, long long unitsPerSecond);

// How long each frame stays in whole units, rounded down: the length of the
// first frame. A program that waits this long after every frame (the
// generated program sleeps 1000 / rate milliseconds) plays a little fast.
long long WholeFrameLength(int rate, long long unitsPerSecond);

}  // namespace document

// The console's screen rules shared by the players and the writers: the
// colour code, the palette and the clock of the rate.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "document/Screen.h"
#include "playback/PlaybackClock.h"

using document::ConsoleColors;
using document::FrameStart;
using document::PlayRate;
using document::ReadColorCode;
using document::ShownColors;
using document::WholeFrameLength;
using document::WholeFrameStart;

namespace {
std::optional<ConsoleColors> Colors(int back, int fore) { return ConsoleColors{back, fore}; }
}  // namespace

TEST(Screen, ColorCodeIsReadAsTheConsoleReadsIt) {
  EXPECT_EQ(ReadColorCode("1E"), Colors(1, 14));
  EXPECT_EQ(ReadColorCode("af"), Colors(10, 15));
  EXPECT_EQ(ReadColorCode("aF"), ReadColorCode("Af"));
  // One digit: the characters on black.
  EXPECT_EQ(ReadColorCode("c"), Colors(0, 12));
  // Blanks around the digits are skipped, as the command line skips them.
  EXPECT_EQ(ReadColorCode(" 1E"), Colors(1, 14));
  EXPECT_EQ(ReadColorCode("1E\t "), Colors(1, 14));
  EXPECT_EQ(ReadColorCode("\t5 "), Colors(0, 5));
}

TEST(Screen, CodesTheConsoleRefusesLeaveTheTerminalsColours) {
  for (const char* code :
       {"", "  ", "77", "0", " 00 ", "1 E", "1F0", "0G", "g", "-1", "0x", "\xB6\xC1", "1E\n"}) {
    EXPECT_EQ(ReadColorCode(code), std::nullopt) << code;
    // The writers, which must paint something, show the console's own 07.
    EXPECT_EQ(ShownColors(code), (ConsoleColors{0, 7})) << code;
  }
  EXPECT_EQ(ReadColorCode(std::string_view("\0"
                                           "7",
                                           2)),
            std::nullopt);
}

TEST(Screen, PaletteAndTerminalColours) {
  EXPECT_EQ(document::kConsoleRgb[0], 0x000000u);
  EXPECT_EQ(document::kConsoleRgb[7], 0xC0C0C0u);
  EXPECT_EQ(document::kConsoleRgb[9], 0x0000FFu);
  EXPECT_EQ(document::kConsoleRgb[14], 0xFFFF00u);
  // The console's blue is the terminal's 4 and its red the terminal's 1.
  EXPECT_EQ(document::AnsiColor(1), 4);
  EXPECT_EQ(document::AnsiColor(4), 1);
  EXPECT_EQ(document::AnsiColor(6), 3);
  EXPECT_EQ(document::ColorSgr({1, 14}), "\x1b[0;44;93m");
  EXPECT_EQ(document::ColorSgr({12, 0}), "\x1b[0;101;30m");
}

TEST(Screen, EveryRateFrom1To100KeepsOneClock) {
  EXPECT_EQ(PlayRate(0), 1);
  EXPECT_EQ(PlayRate(-3), 1);
  EXPECT_EQ(PlayRate(24), 24);
  for (int rate = 1; rate <= 100; ++rate) {
    SCOPED_TRACE(rate);
    // After `rate` frames exactly one second has passed, in every unit:
    // the starts do not drift.
    EXPECT_EQ(FrameStart(rate, rate), 1.0);
    EXPECT_EQ(WholeFrameStart(rate, rate, 100), 100);
    EXPECT_EQ(WholeFrameStart(3 * rate, rate, 1000), 3000);
    long long previous = 0;
    for (long long frame = 0; frame <= 2 * rate; ++frame) {
      const long long start = WholeFrameStart(frame, rate, 100);
      // The whole start is the exact start rounded down.
      EXPECT_EQ(start, static_cast<long long>(std::floor(FrameStart(frame, rate, 100))));
      // Each frame lasts 100 / rate rounded down or up, never less than 0.
      if (frame > 0) {
        EXPECT_GE(start - previous, 100 / rate);
        EXPECT_LE(start - previous, (100 + rate - 1) / rate);
      }
      previous = start;
    }
    // The generated program's wait after each frame: whole milliseconds,
    // rounded down, so it is never slower than the rate.
    const long long ms = WholeFrameLength(rate, 1000);
    EXPECT_LE(ms * rate, 1000);
    EXPECT_GT((ms + 1) * rate, 1000);
    // The window waits as long, but never less than 10 ms.
    EXPECT_EQ(playback::PlaybackInterval(rate), std::max<long long>(ms, 10));
    // A player's speed multiplies the rate.
    EXPECT_DOUBLE_EQ(FrameStart(1, rate * 2.0, 1e9), FrameStart(1, rate, 1e9) / 2);
  }
}

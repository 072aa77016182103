#pragma once
// What the terminal player draws: a frame as screen rows, the bytes that
// turn one picture into the next, the sequences at the start and the end,
// and the plain form of a frame for a pipe or a file.
//
// A frame is laid out by the console's rules, the screen model every player
// and writer shares (document/ScreenCells.h), wrapped at the terminal's
// width. Control characters never reach the terminal: the console shows
// them as a glyph, the picture as a blank.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Terminal.h"

namespace playback {

// One screen row of a frame: the bytes for the terminal, and the columns
// they fill (a GBK double-byte character takes two, as on the console).
struct ScreenRow {
  std::string bytes;
  int width = 0;
  bool operator==(const ScreenRow&) const = default;
};
using Picture = std::vector<ScreenRow>;

// A frame as the screen shows it: lines wrap at `cols` (0: unknown, no
// wrap) the way the terminal wraps them, a double-width character that
// does not fit going to the next row; at most `rows` rows (0: all);
// trailing empty rows dropped. Each row holds the cells printed in it up to
// the last one, a blank as a space.
Picture LayOutFrame(std::string_view gbk, const platform::TerminalEncoding& encoding, int cols,
                    int rows);

// Bytes that turn the screen from `shown` (null: unknown, draw it all) into
// `next`, for a terminal of `cols` x `rows` (0: unknown).
std::string DrawPicture(const Picture* shown, const Picture& next, int cols, int rows);

// The console colour code as a terminal sequence, read by
// document::ReadColorCode; empty where the console would leave the
// terminal's own colours.
std::string ColorSequence(std::string_view code);

// Hides the cursor and sets the colours, at start and after a stop.
std::string EnterSequence(std::string_view colorCode);
// Colours back, the status row (when one is shown, at statusRow) erased,
// the cursor at the start of the row below the picture and visible: what
// is left when playing ends.
std::string LeaveSequence(const Picture& shown, int statusRow = -1);

// One frame for a pipe or a file, as text rather than cells: each line in
// the terminal's encoding ended by LF (a line break is CR LF, LF or a lone
// CR), tabs kept, other control characters left out, and nothing after an
// empty frame. Frames are separated by kPlainFrameSeparator.
std::string PlainFrame(std::string_view gbk, const platform::TerminalEncoding& encoding);
inline constexpr std::string_view kPlainFrameSeparator = "\f\n";

}  // namespace playback

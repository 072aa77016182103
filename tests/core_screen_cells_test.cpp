// The screen model: where the console puts each character of a frame, on a
// canvas that cuts at its edges and on a terminal that wraps, and that the
// page, the picture, the recording and the terminal player all lay frames
// out by the same rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/ScreenCells.h"
#include "platform/Cp936.h"
#include "playback/TerminalPicture.h"
#include "share/FrameCanvas.h"
#include "tests/TestSupport.h"

using document::Beyond;
using document::CellKind;
using document::FrameWalk;
using document::PlacedChar;
using document::RightEdge;
using document::ScreenCells;

using testsupport::Gbk;

namespace {

// A row as text: each character in UTF-8, '_' for a blank cell, so that a
// blank the console leaves shows apart from a space typed in the frame.
std::string Row(const ScreenCells& screen, int row) {
  std::string out;
  char buffer[2];
  for (int col = 0; col < screen.RowExtent(row); ++col) {
    const document::ScreenCell& cell = screen.At(col, row);
    if (cell.kind == CellKind::Blank)
      out += '_';
    else if (cell.kind == CellKind::Stray)
      out += '?';
    else
      out += platform::cp936::ToUtf8(document::CellBytes(cell, buffer));
  }
  return out;
}

std::vector<std::string> Rows(const ScreenCells& screen) {
  std::vector<std::string> rows;
  for (int r = 0; r < screen.Rows(); ++r) rows.push_back(Row(screen, r));
  return rows;
}

std::vector<std::string> LaidOut(int wide, int high, RightEdge edge, const std::string& gbk) {
  ScreenCells screen(wide, high, edge);
  screen.Layout(gbk);
  return Rows(screen);
}

using Lines = std::vector<std::string>;

}  // namespace

// A two-byte character takes two cells. On a canvas one that would straddle
// the right edge is left out (and reported); on a terminal it goes to the
// next row.
TEST(ScreenCells, DoubleWidthCharactersAtTheRightEdge) {
  ScreenCells canvas(4, 2);
  canvas.Layout(Gbk("ab中"));  // fits exactly
  EXPECT_EQ(Rows(canvas), (Lines{"ab中"}));
  EXPECT_EQ(canvas.At(2, 0).kind, CellKind::WideLeft);
  EXPECT_EQ(canvas.At(3, 0).kind, CellKind::WideRight);
  EXPECT_TRUE(canvas.BeyondEdge().empty());

  const std::string straddles = Gbk("abc中d");
  canvas.Layout(straddles);
  EXPECT_EQ(Rows(canvas), (Lines{"abc"}));
  EXPECT_EQ(canvas.At(3, 0).kind, CellKind::Blank);
  ASSERT_EQ(canvas.BeyondEdge().size(), 2u);
  EXPECT_EQ(canvas.BeyondEdge()[0], (PlacedChar{0, 3, 2, CellKind::WideLeft, 3, 2}));
  EXPECT_EQ(canvas.BeyondEdge()[1], (PlacedChar{0, 5, 1, CellKind::Narrow, 5, 1}));
  // What is left out does not print over what a lone CR left behind.
  canvas.Layout(Gbk("abcd\rxyz中"));
  EXPECT_EQ(Rows(canvas), (Lines{"xyzd"}));

  // A canvas one cell wide has no room for one at all; a terminal that
  // narrow still shows it, on a row of its own.
  ScreenCells narrow(1, 2);
  narrow.Layout(Gbk("中"));
  EXPECT_EQ(Rows(narrow), Lines{});
  EXPECT_EQ(narrow.BeyondEdge(), (std::vector<PlacedChar>{{0, 0, 2, CellKind::WideLeft, 0, 2}}));
  EXPECT_EQ(LaidOut(1, 0, RightEdge::Wrap, Gbk("中a")), (Lines{"", "中", "a"}));

  EXPECT_EQ(LaidOut(4, 0, RightEdge::Wrap, Gbk("ab中")), (Lines{"ab中"}));
  EXPECT_EQ(LaidOut(4, 0, RightEdge::Wrap, Gbk("abc中d")), (Lines{"abc", "中d"}));
  // The second byte of a two-byte character can be '\' or any ASCII from
  // '@': it is part of the character, never a character of its own.
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("乗") + "@" + Gbk("中")), (Lines{"乗@中"}));
}

// A tab writes blanks up to the next multiple of 8 (at least one), over
// whatever was there; on a terminal it stops at the end of the row.
TEST(ScreenCells, TabsReachTheNextMultipleOf8) {
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "\tx"), (Lines{"________x"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "1234567\tx"), (Lines{"1234567_x"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "12345678\tx"), (Lines{"12345678________x"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("中文字\tx")), (Lines{"中文字__x"}));
  // Over text a lone CR went back to: the blanks erase it.
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "abcdefghij\r\tX"), (Lines{"________Xj"}));

  // Near the edge of a 10-cell canvas: the blanks and what follows go beyond.
  ScreenCells canvas(10, 1);
  canvas.Layout("123456789\tX");
  EXPECT_EQ(Rows(canvas), (Lines{"123456789_"}));
  ASSERT_EQ(canvas.BeyondEdge().size(), 7u);
  EXPECT_EQ(canvas.BeyondEdge()[0], (PlacedChar{0, 10, 1, CellKind::Blank, 9, 1}));
  EXPECT_EQ(canvas.BeyondEdge()[6], (PlacedChar{0, 16, 1, CellKind::Narrow, 10, 1}));
  // On a terminal 10 columns wide the tab fills the row and X wraps; from
  // the end of a full row the tab starts the next one.
  EXPECT_EQ(LaidOut(10, 0, RightEdge::Wrap, "123456789\tX"), (Lines{"123456789_", "X"}));
  EXPECT_EQ(LaidOut(10, 0, RightEdge::Wrap, "1234567890\tX"), (Lines{"1234567890", "________X"}));
}

// Text right of the width and below the height is reported in the order
// printed, with the place the console would give it and its bytes; asked
// to ignore it, the screen drops it.
TEST(ScreenCells, TextBeyondTheCanvasIsReported) {
  const std::string text = "abcd\r\nef\r\ngh";
  ScreenCells canvas(3, 2);
  canvas.Layout(text);
  EXPECT_EQ(Rows(canvas), (Lines{"abc", "ef"}));
  const std::vector<PlacedChar> expected = {{0, 3, 1, CellKind::Narrow, 3, 1},
                                            {2, 0, 1, CellKind::Narrow, 10, 1},
                                            {2, 1, 1, CellKind::Narrow, 11, 1}};
  EXPECT_EQ(canvas.BeyondEdge(), expected);
  EXPECT_EQ(text[canvas.BeyondEdge()[1].offset], 'g');

  canvas.Layout(text, Beyond::Ignore);
  EXPECT_EQ(Rows(canvas), (Lines{"abc", "ef"}));
  EXPECT_TRUE(canvas.BeyondEdge().empty());

  // A new layout starts from a blank screen and a fresh report.
  canvas.Layout("z");
  EXPECT_EQ(Rows(canvas), (Lines{"z"}));
  EXPECT_EQ(canvas.At(1, 0).kind, CellKind::Blank);
  EXPECT_EQ(canvas.At(0, 1).kind, CellKind::Blank);
  EXPECT_TRUE(canvas.BeyondEdge().empty());

  // Without limits nothing is beyond.
  ScreenCells open(0, 0);
  open.Layout(text);
  EXPECT_EQ(Rows(open), (Lines{"abcd", "ef", "gh"}));
  EXPECT_TRUE(open.BeyondEdge().empty());
}

// LF and CR LF start the next row at its first cell; a lone CR goes back
// to the start of the row, and what follows prints over it.
TEST(ScreenCells, LineBreaksAsTheConsolePrintsThem) {
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "ab\r\ncd\nef"), (Lines{"ab", "cd", "ef"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "abc\rX"), (Lines{"Xbc"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "abc\r\r\r\nX"), (Lines{"abc", "X"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "\n\nx"), (Lines{"", "", "x"}));
  // Printing over either half of a two-cell character blanks the other.
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("中文\rx")), (Lines{"x_文"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("a中\rxyz")), (Lines{"xyz"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("a中文\rx字")), (Lines{"x字文"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("ab中文\rx字")), (Lines{"x字_文"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, Gbk("中") + "\bx"), (Lines{"_x"}));
  // On a terminal a lone CR goes back to the start of the row the text
  // wrapped onto, not of the line it began.
  EXPECT_EQ(LaidOut(4, 0, RightEdge::Wrap, "abcdef\rX"), (Lines{"abcd", "Xf"}));
}

// A control character takes a cell and shows blank, as the console shows
// it as a glyph; a bell takes none; a backspace moves back one cell, never
// past the start of the row, and erases nothing. A byte that starts no
// character takes one cell.
TEST(ScreenCells, ControlCharactersAndStrayBytes) {
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut,
                    "a\x1b[1m\x01\x7f"
                    "b"),
            (Lines{"a_[1m__b"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "a\a\ab"), (Lines{"ab"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "abc\b\bX"), (Lines{"aXc"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "\b\bX"), (Lines{"X"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "abc\b"), (Lines{"abc"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut,
                    "\x80"
                    "a\xff\x81"),
            (Lines{"?a??"}));
  EXPECT_EQ(LaidOut(0, 0, RightEdge::Cut, "\x81\r\nx"), (Lines{"?", "x"}));
}

// The walk gives every character of the text its place and the bytes it
// came from, so an editor can map a cell back to the text.
TEST(ScreenCells, WalkNamesTheBytesOfEveryCell) {
  const std::string text = Gbk("a中") + "\t\r\n" + "\x81";
  FrameWalk walk(text);
  std::vector<PlacedChar> placed;
  for (PlacedChar p; walk.Next(p);) placed.push_back(p);
  const std::vector<PlacedChar> expected = {
      {0, 0, 1, CellKind::Narrow, 0, 1}, {0, 1, 2, CellKind::WideLeft, 1, 2},
      {0, 3, 1, CellKind::Blank, 3, 1},  {0, 4, 1, CellKind::Blank, 3, 1},
      {0, 5, 1, CellKind::Blank, 3, 1},  {0, 6, 1, CellKind::Blank, 3, 1},
      {0, 7, 1, CellKind::Blank, 3, 1},  {1, 0, 1, CellKind::Stray, 6, 1}};
  EXPECT_EQ(placed, expected);
  EXPECT_EQ(walk.Row(), 1);
  EXPECT_EQ(walk.Col(), 1);
}

// One rule for every user: a frame that fits laid out on the writers'
// canvas and by the terminal player at a terminal as wide as the canvas
// gives the same characters in the same cells.
TEST(ScreenCells, CanvasAndPlayerLayFramesOutAlike) {
  const auto utf8 = platform::TerminalEncoding::ForCodeset("UTF-8");
  const int wide = 12, high = 4;
  for (const std::string& frame :
       {Gbk("中文 ok\r\nline2"), Gbk("ab\tc\r\n\t中x"), Gbk("abcdef\rXY\r\n中文字\r字"),
        std::string("x\x1b[2Jy\a\r\nback\b\bZ\x7f"), Gbk("第一行\n\n第三行\r\n\r\n"),
        std::string("\x81\x20 \xff!"), Gbk("1234567890中")}) {
    SCOPED_TRACE(platform::cp936::ToUtf8(frame));
    output::formats::FrameCanvas canvas(wide, high);
    canvas.Layout(frame);
    const playback::Picture picture = playback::LayOutFrame(frame, utf8, wide, high);
    int rows = high;
    while (rows > 0 && canvas.RowLength(rows - 1) == 0) --rows;
    ASSERT_EQ(static_cast<int>(picture.size()), rows);
    for (int r = 0; r < rows; ++r) {
      std::string shown = picture[static_cast<std::size_t>(r)].bytes;
      while (!shown.empty() && shown.back() == ' ') shown.pop_back();
      EXPECT_EQ(shown, canvas.RowUtf8(r)) << "row " << r;
    }
  }
}

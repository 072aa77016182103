// The cells under the drawing canvas: typing anywhere, overwrite and insert,
// two-cell characters never split, blocks, lines, rectangles and fills, an
// untouched frame kept byte for byte, and how far a text reaches.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "document/Animation.h"
#include "document/CanvasReach.h"
#include "document/CellCanvas.h"
#include "tests/TestSupport.h"

using document::CellCanvas;
using document::CellKind;
using document::CellPos;
using document::CellRect;
using document::LineStyle;
using document::TextReach;

using testsupport::Gbk;

namespace {

CellCanvas Canvas(const std::string& gbk) {
  CellCanvas c;
  c.SetText(gbk);
  return c;
}

const std::string kZhong = Gbk("中");
const std::string kWen = Gbk("文");

}  // namespace

TEST(CellCanvas, AnUntouchedTextComesBackByteForByte) {
  std::mt19937 random(7);
  const std::string pieces[] = {
      "a",    " ",    "\r\n", "\n",   "\r",   "\t",   "\b",
      "\x07", "\x80", "\xFF", "\x81", kZhong, "\x7F", std::string(1, '\0')};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int n = static_cast<int>(random() % 30);
    for (int i = 0; i < n; ++i) text += pieces[random() % std::size(pieces)];
    EXPECT_EQ(Canvas(text).Text(), text);
    EXPECT_FALSE(Canvas(text).Touched());
  }
}

TEST(CellCanvas, TypingPastTheEndAddsOnlyTheBlanksAndRowsNeeded) {
  CellCanvas c = Canvas("ab");
  EXPECT_EQ(c.Type({0, 5}, "x", false), 1);
  EXPECT_EQ(c.Text(), "ab   x");
  EXPECT_EQ(c.Type({3, 2}, "y", false), 1);
  EXPECT_EQ(c.Text(), "ab   x\r\n\r\n\r\n  y");
  // Rows nobody typed in stay as they were read, line ending included.
  CellCanvas lf = Canvas("one\nt\two\n");
  lf.Type({2, 0}, "z", false);
  EXPECT_EQ(lf.Text(), "one\nt\two\nz");
}

TEST(CellCanvas, OverwriteReplacesAndInsertPushesTheRowRight) {
  CellCanvas c = Canvas("abcd");
  c.Type({0, 1}, "X", false);
  EXPECT_EQ(c.Text(), "aXcd");
  c.Type({0, 1}, "Y", true);
  EXPECT_EQ(c.Text(), "aYXcd");
  c.Erase({0, 0}, true);
  EXPECT_EQ(c.Text(), "YXcd");
  c.Erase({0, 1}, false);  // overwriting: a blank stays in place
  EXPECT_EQ(c.Text(), "Y cd");
  c.Erase({0, 3}, false);  // at the row's end the row gets shorter
  EXPECT_EQ(c.Text(), "Y c");
  // A typed space is a character and stays at the end of a row.
  c.Type({0, 4}, " ", false);
  EXPECT_EQ(c.Text(), "Y c  ");
  // Not one character: refused.
  EXPECT_EQ(c.Type({0, 0}, "ab", false), 0);
  EXPECT_EQ(c.Type({0, 0}, "\t", false), 0);
  EXPECT_EQ(c.Text(), "Y c  ");
}

TEST(CellCanvas, TwoCellCharactersAreNeverSplit) {
  CellCanvas c = Canvas(kZhong + kWen);
  EXPECT_EQ(c.CharStart(0, 1), 0);
  EXPECT_EQ(c.CharCells(0, 1), 2);
  EXPECT_EQ(c.CharAt(0, 3), kWen);
  // Typing on the right half lands on the character's start.
  c.Type({0, 1}, "x", false);
  EXPECT_EQ(c.Text(), "x " + kWen);
  // A two-cell character over the right half of another blanks its left.
  CellCanvas d = Canvas("a" + kZhong + "b");
  d.Type({0, 0}, kWen, false);
  EXPECT_EQ(d.Text(), kWen + " b");
  // ... and over a left half blanks the right one.
  CellCanvas e = Canvas(kZhong + kWen);
  e.Type({0, 1}, "12", false);  // not one character
  e.Type({0, 0}, "1", false);
  e.Type({0, 1}, "2", false);
  EXPECT_EQ(e.Text(), "12" + kWen);
  CellCanvas f = Canvas("ab" + kZhong);
  f.Type({0, 1}, kWen, false);      // covers b and the left half of 中
  EXPECT_EQ(f.Text(), "a" + kWen);  // the blank right half ended the row
  // Inserting in the middle of a character goes before it.
  CellCanvas g = Canvas(kZhong);
  g.Type({0, 1}, "x", true);
  EXPECT_EQ(g.Text(), "x" + kZhong);
}

TEST(CellCanvas, EnterAndBackspaceWhileInsertingSplitAndJoinRows) {
  CellCanvas c = Canvas("abcd\nrest");
  c.BreakRow({0, 2});
  EXPECT_EQ(c.Text(), "ab\r\ncd\nrest");
  EXPECT_EQ(c.JoinWithAbove(1), (CellPos{0, 2}));
  EXPECT_EQ(c.Text(), "abcd\nrest");
  c.BreakRow({5, 3});  // below the last row: rows are added first
  EXPECT_EQ(c.Rows(), 7);
}

TEST(CellCanvas, BlocksCopyClearFillPasteAndMove) {
  CellCanvas c = Canvas("abcdef\r\nghijkl\r\nmnopqr");
  const CellRect block{0, 1, 1, 3};
  EXPECT_EQ(c.CopyBlock(block), "bcd\r\nhij");
  // Trailing blanks of each row are left out; a cut character is too.
  CellCanvas wide = Canvas("a" + kZhong + "b  \r\nxy");
  EXPECT_EQ(wide.CopyBlock({0, 0, 1, 1}), "a\r\nxy");
  EXPECT_EQ(wide.CopyBlock({0, 0, 0, 5}), "a" + kZhong + "b");

  c.ClearBlock(block);
  EXPECT_EQ(c.Text(), "a   ef\r\ng   kl\r\nmnopqr");
  c.FillBlock({0, 0, 0, 2}, "*");
  EXPECT_EQ(c.Text(), "*** ef\r\ng   kl\r\nmnopqr");
  // A two-cell character fills two cells at a time; an odd cell is a space.
  c.FillBlock({2, 0, 2, 2}, kZhong);
  EXPECT_EQ(c.Text(), "*** ef\r\ng   kl\r\n" + kZhong + " pqr");

  // Paste: line under line from the cursor, over or pushing right.
  CellCanvas p = Canvas("....\r\n....");
  EXPECT_EQ(p.Paste({0, 1}, "ab\r\ncd\n", false), (CellRect{0, 1, 1, 2}));
  EXPECT_EQ(p.Text(), ".ab.\r\n.cd.");
  p.Paste({1, 0}, "XY\nZ", true);
  EXPECT_EQ(p.Text(), ".ab.\r\nXY.cd.\r\nZ");

  // Moving takes the blanks along and leaves blanks behind.
  CellCanvas m = Canvas("ab\r\ncd");
  m.MoveBlock({0, 0, 1, 1}, {1, 3});
  EXPECT_EQ(m.Text(), "\r\n   ab\r\n   cd");
}

TEST(CellCanvas, ClearingToARowsEndKeepsNoPadding) {
  CellCanvas c = Canvas("abc\r\nxyz");
  c.ClearBlock({0, 1, 1, 10});
  EXPECT_EQ(c.Text(), "a\r\nx");
  // A block below the last row adds nothing.
  c.ClearBlock({5, 0, 6, 3});
  EXPECT_EQ(c.Text(), "a\r\nx");
}

TEST(CellCanvas, LinesAndRectangles) {
  CellCanvas c;
  c.DrawLine({0, 0}, {1, 4}, LineStyle::Ascii);  // mostly across: a row
  EXPECT_EQ(c.Text(), "-----");
  CellCanvas v;
  v.DrawLine({2, 1}, {0, 2}, LineStyle::Ascii);  // mostly down: a column
  EXPECT_EQ(v.Text(), " |\r\n |\r\n |");
  CellCanvas r;
  r.DrawRect(CellRect::Spanning({2, 3}, {0, 0}), LineStyle::Ascii);
  EXPECT_EQ(r.Text(), "+--+\r\n|  |\r\n+--+");
  // Box characters take two cells each.
  CellCanvas b;
  b.DrawRect({0, 0, 2, 5}, LineStyle::Box);
  EXPECT_EQ(b.Text(), Gbk("┌─┐\r\n│  │\r\n└─┘"));
  CellCanvas h;
  h.DrawLine({0, 0}, {0, 4}, LineStyle::Box);
  EXPECT_EQ(h.Text(), Gbk("──"));
}

TEST(CellCanvas, FloodFillStaysInItsRegionAndOnTheCanvas) {
  CellCanvas c = Canvas("..#..\r\n..#..\r\n###..");
  c.FloodFill({0, 0}, "o", 5, 3);
  EXPECT_EQ(c.Text(), "oo#..\r\noo#..\r\n###..");
  // Blank cells beyond the rows are part of a blank region, up to the edge.
  CellCanvas e = Canvas("#");
  e.FloodFill({0, 1}, "-", 3, 2);
  EXPECT_EQ(e.Text(), "#--\r\n---");
  // A region of one two-cell character counts its two cells.
  CellCanvas w = Canvas(kZhong + kZhong + "x");
  w.FloodFill({0, 3}, "a", 5, 1);
  EXPECT_EQ(w.Text(), "aaaax");
  // Filling with a two-cell character: pairs, and a space for an odd cell.
  CellCanvas p = Canvas("...#");
  p.FloodFill({0, 0}, kWen, 4, 1);
  EXPECT_EQ(p.Text(), kWen + " #");
  // The same character again changes nothing.
  CellCanvas s = Canvas("aa");
  s.FloodFill({0, 0}, "a", 2, 1);
  EXPECT_FALSE(s.Touched());
}

TEST(CanvasReach, HowFarATextReachesAndWhetherItFits) {
  EXPECT_EQ(document::ReachOf(""), (TextReach{0, 0}));
  EXPECT_EQ(document::ReachOf("ab\r\n\r\n" + kZhong + "  \r\n\r\n"), (TextReach{2, 3}));
  EXPECT_EQ(document::ReachOf("\tx"), (TextReach{9, 1}));
  EXPECT_TRUE(document::FitsCanvas("abc\r\nabc", 3, 2));
  EXPECT_FALSE(document::FitsCanvas("abcd", 3, 2));
  EXPECT_FALSE(document::FitsCanvas("a\r\nb\r\nc", 3, 2));
  // Trailing blanks and empty lines do not print anything.
  EXPECT_TRUE(document::FitsCanvas("abc   \r\n\r\n\r\n", 3, 1));
  // A tab reaches further than its one byte.
  EXPECT_FALSE(document::FitsCanvas("\ta", 3, 1));
  EXPECT_EQ(CellCanvas().Reach(), (TextReach{0, 0}));
  EXPECT_EQ(Canvas("a\r\n\r\n" + kZhong).Reach(), (TextReach{2, 3}));

  document::Animation a = document::DefaultAnimation();
  a.m_nAnimWide = 3;
  a.m_nAnimHigh = 1;
  for (const char* t : {"abc", "abcd", "x", "a\r\nb", "abc "})
    a.m_frames.Append(std::make_shared<const std::string>(t));
  const document::FramesBeyond beyond = document::FramesBeyondCanvas(a, 1);
  EXPECT_EQ(beyond.count, 2);
  EXPECT_EQ(beyond.first, std::vector<long long>{2});
  const std::string note = document::FramesBeyondNote(beyond);
  EXPECT_NE(note.find("第2等帧（共2帧）"), std::string::npos) << note;
  EXPECT_EQ(document::FramesBeyondNote(document::FramesBeyondCanvas(a)).find("第2、4帧（共2帧）"),
            0u + note.find("第"));
  EXPECT_EQ(document::FramesBeyondNote({}), "");
}

TEST(CellCanvas, DrawingLandsOnTheVeryCellAndAddsNoEmptyRows) {
  // A stroke on the right half of a two-cell character lands there.
  CellCanvas c = Canvas(kZhong + "x");
  c.Paint({0, 1}, "#");
  EXPECT_EQ(c.Text(), " #x");
  // A rectangle's edge over two-cell characters stays straight.
  CellCanvas r = Canvas(kZhong + kZhong + kZhong);
  r.DrawRect({0, 1, 1, 4}, LineStyle::Ascii);
  EXPECT_EQ(r.Text(), " +--+\r\n +--+");  // the last half blanked ends the row
  // Moving a block down past the last row adds no blank rows of its own.
  CellCanvas m = Canvas("ab");
  m.MoveBlock({0, 0, 2, 1}, {5, 0});
  EXPECT_EQ(m.Text(), "\r\n\r\n\r\n\r\n\r\nab");
  // The euro sign, a single byte in code page 936, can be typed.
  CellCanvas e;
  EXPECT_EQ(e.Type({0, 0}, "\x80", false), 1);
  EXPECT_EQ(e.Text(), "\x80");
}

TEST(CellCanvas, ARowStoredAsItShowsIsReported) {
  CellCanvas plain = Canvas("ab\r\ncd");
  plain.Type({0, 0}, "x", false);
  EXPECT_FALSE(plain.Reshaped());
  CellCanvas tab = Canvas("a\tb\r\ncd");
  tab.Type({1, 0}, "x", false);  // another row: nothing changes shape
  EXPECT_FALSE(tab.Reshaped());
  EXPECT_EQ(tab.Text(), "a\tb\r\nxd");
  tab.Type({0, 0}, "y", false);
  EXPECT_TRUE(tab.Reshaped());
  EXPECT_EQ(tab.Text(), "y       b\r\nxd");
}

// Random frames through the screen model and its users: the screen prints
// runs of plain characters at once, the canvas and the terminal player read
// its cells through quick paths of their own, and all of it must come out
// as printing each character the walk places, one at a time, by the rules
// in document/ScreenCells.h.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "document/ScreenCells.h"
#include "platform/Terminal.h"
#include "playback/TerminalPicture.h"
#include "share/FrameCanvas.h"

using document::Beyond;
using document::CellKind;
using document::FrameWalk;
using document::PlacedChar;
using document::RightEdge;
using document::ScreenCell;
using document::ScreenCells;

namespace {

// A frame text mixing everything a frame can hold: runs of printable
// ASCII, two-byte characters (over the whole range, so that some second
// bytes are '@', '\' or make no pair), line breaks, tabs, backspaces,
// bells, other control characters and stray bytes.
std::string RandomFrame(std::mt19937& random) {
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  std::string text;
  const int pieces = pick(0, 24);
  for (int i = 0; i < pieces; ++i) {
    switch (pick(0, 9)) {
      case 0:
      case 1:
      case 2:
        for (int n = pick(1, 12); n > 0; --n) text += static_cast<char>(pick(0x20, 0x7E));
        break;
      case 3:
      case 4:
        for (int n = pick(1, 6); n > 0; --n) {
          text += static_cast<char>(pick(0x81, 0xFE));
          text += static_cast<char>(pick(0x40, 0xFE));
        }
        break;
      case 5:
        text += pick(0, 2) == 0 ? "\r\n" : pick(0, 1) ? "\n" : "\r";
        break;
      case 6:
        text += "\t\b\a"[pick(0, 2)];
        break;
      case 7:
        text += "\x1b\x01\x7f\x80\xff"[pick(0, 4)];
        break;
      case 8:
        text += static_cast<char>(pick(0x81, 0xFE));  // a first byte, paired or not
        break;
      default:
        text += "\xd6\xd0\xce\xc4";  // the same two characters again and again
    }
  }
  return text;
}

// The screen as each character the walk places is printed in turn.
struct Printed {
  std::vector<std::vector<ScreenCell>> rows;
  std::vector<PlacedChar> beyond;
};

Printed PrintOneByOne(int wide, int high, RightEdge edge, Beyond beyondMode,
                      const std::string& text) {
  Printed printed;
  FrameWalk walk(text, edge == RightEdge::Wrap ? wide : 0);
  for (PlacedChar p; walk.Next(p);) {
    // Within the screen, or a two-cell character on a row of its own on a
    // terminal too narrow for it.
    const bool fits = (high == 0 || p.row < high) && (wide == 0 || p.col + p.cells <= wide ||
                                                      (edge == RightEdge::Wrap && p.col == 0));
    if (!fits) {
      if (beyondMode == Beyond::Report) printed.beyond.push_back(p);
      continue;
    }
    if (printed.rows.size() <= static_cast<std::size_t>(p.row)) printed.rows.resize(p.row + 1u);
    std::vector<ScreenCell>& line = printed.rows[static_cast<std::size_t>(p.row)];
    const auto col = static_cast<std::size_t>(p.col);
    const std::size_t end = col + static_cast<std::size_t>(p.cells);
    // Whichever half of a two-cell character is printed over, the other
    // goes blank.
    if (col < line.size() && col > 0 && line[col].kind == CellKind::WideRight) line[col - 1] = {};
    if (end < line.size() && line[end].kind == CellKind::WideRight) line[end] = {};
    if (line.size() < end) line.resize(end);
    const auto byte = [&](std::size_t i) {
      return static_cast<std::uint16_t>(static_cast<unsigned char>(text[p.offset + i]));
    };
    if (p.kind == CellKind::WideLeft) {
      const auto code = static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
      line[col] = {CellKind::WideLeft, code};
      line[col + 1] = {CellKind::WideRight, code};
    } else {
      line[col] = p.kind == CellKind::Blank ? ScreenCell{} : ScreenCell{p.kind, byte(0)};
    }
  }
  return printed;
}

std::vector<ScreenCell> CellsOf(const ScreenCells& screen, int row) {
  const auto cells = screen.RowCells(row);
  return {cells.begin(), cells.end()};
}

}  // namespace

// On a canvas and on a terminal, of every size, reporting or ignoring what
// falls beyond: the screen holds exactly the cells and the report that
// printing the walk's characters one by one gives. One screen lays out
// every frame in turn, so nothing of an earlier frame may show through.
TEST(ScreenCellsRandom, ScreenIsTheWalkPrintedOneByOne) {
  std::mt19937 random(20240611);
  for (const RightEdge edge : {RightEdge::Cut, RightEdge::Wrap})
    for (const Beyond beyond : {Beyond::Report, Beyond::Ignore})
      for (const int wide : {0, 1, 2, 3, 7, 12})
        for (const int high : {0, 1, 3}) {
          ScreenCells screen(wide, high, edge);
          for (int i = 0; i < 200; ++i) {
            const std::string text = RandomFrame(random);
            screen.Layout(text, beyond);
            const Printed printed = PrintOneByOne(wide, high, edge, beyond, text);
            SCOPED_TRACE(testing::Message() << "wide " << wide << " high " << high << " wrap "
                                            << (edge == RightEdge::Wrap) << " frame " << i);
            ASSERT_EQ(screen.Rows(), static_cast<int>(printed.rows.size()));
            for (int r = 0; r < screen.Rows(); ++r) {
              ASSERT_EQ(CellsOf(screen, r), printed.rows[static_cast<std::size_t>(r)])
                  << "row " << r;
              ASSERT_EQ(screen.RowExtent(r), static_cast<int>(screen.RowCells(r).size()));
            }
            ASSERT_EQ(screen.BeyondEdge(), printed.beyond);
          }
        }
}

// The canvas shows each cell of the screen as ShownChar gives it, and
// blanks everywhere else; the terminal player's rows hold each cell as the
// terminal's encoding gives its bytes, whatever the encoding, with each
// character converted the same way however often a frame repeats it.
TEST(ScreenCellsRandom, CanvasAndPlayerShowEveryCellOfTheScreen) {
  std::mt19937 random(7);
  const platform::TerminalEncoding encodings[] = {
      platform::TerminalEncoding::ForCodeset("UTF-8"),
      platform::TerminalEncoding::ForCodeset("GBK"),
      platform::TerminalEncoding::ForCodeset("ISO-8859-1"),
  };
  for (const int wide : {1, 2, 5, 12}) {
    const int high = 4;
    output::formats::FrameCanvas canvas(wide, high);
    ScreenCells cut(wide, high, RightEdge::Cut);
    ScreenCells wrapped(wide, high, RightEdge::Wrap);
    for (int i = 0; i < 300; ++i) {
      // Long frames too, so that many characters meet in a frame.
      const std::string text = RandomFrame(random) + (i % 3 ? "" : RandomFrame(random));
      SCOPED_TRACE(testing::Message() << "wide " << wide << " frame " << i);
      canvas.Layout(text);
      cut.Layout(text, Beyond::Ignore);
      for (int r = 0; r < high; ++r)
        for (int c = 0; c < wide; ++c)
          ASSERT_EQ(canvas.At(c, r), output::formats::ShownChar(cut.At(c, r)))
              << "cell " << c << "," << r;

      wrapped.Layout(text, Beyond::Ignore);
      for (const platform::TerminalEncoding& encoding : encodings) {
        const playback::Picture picture = playback::LayOutFrame(text, encoding, wide, high);
        ASSERT_EQ(static_cast<int>(picture.size()), wrapped.Rows());
        for (int r = 0; r < wrapped.Rows(); ++r) {
          std::string bytes;
          char buffer[2];
          for (const ScreenCell& cell : wrapped.RowCells(r))
            encoding.AppendChar(document::CellBytes(cell, buffer), bytes);
          ASSERT_EQ(picture[static_cast<std::size_t>(r)].bytes, bytes) << "row " << r;
          ASSERT_EQ(picture[static_cast<std::size_t>(r)].width, wrapped.RowExtent(r));
        }
      }
    }
  }
}

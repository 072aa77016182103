#pragma once
// Where the console puts each character of a frame: the one screen model
// the terminal player, the page, the picture and the recording lay frames
// out with, and that an editor can draw the canvas from.
//
// The rules are the console's, as the generated program meets them when it
// prints a frame with printf in a Windows console:
// - a GBK two-byte character (first byte 0x81-0xFE, second 0x40-0xFE but
//   not 0x7F) takes two cells, every other byte one; a byte that starts no
//   character (0x80, 0xFF, a first byte without its second) is a stray byte;
// - CR goes back to the start of the row, LF to the start of the next row:
//   CR LF and a lone LF start the next row, a lone CR prints over the row;
// - a tab writes blanks up to the next multiple of 8;
// - a backspace moves one cell left, never past the start of the row, and
//   erases nothing; a bell takes no cell;
// - every other control character, DEL included, takes one cell, shown
//   blank here (the console draws a glyph; nothing here passes a control
//   on to a terminal);
// - printing over half of a two-cell character blanks its other half.
//
// At the right edge a canvas cuts (a two-cell character that would straddle
// the edge is left out) and a terminal wraps (a character that does not fit
// goes to the start of the next row; one wider than the whole row still
// gets a row of its own). What falls beyond the screen, right
// of its width or below its height, is reported with the place the console
// would have given it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace document {

// What a cell, or a character placed on the screen, shows.
enum class CellKind : std::uint8_t {
  Blank,      // nothing printed, a tab's blank, a control character
  Narrow,     // a one-cell character: printable ASCII
  Stray,      // a byte that starts no character, in one cell
  WideLeft,   // the left cell of a two-byte character
  WideRight,  // the right cell of a two-byte character
};

// One character of a frame text where the console puts it.
struct PlacedChar {
  int row = 0;                       // from 0
  int col = 0;                       // of its first cell, from 0
  int cells = 1;                     // 1, or 2 for a two-byte character
  CellKind kind = CellKind::Narrow;  // Blank, Narrow, Stray or WideLeft
  std::size_t offset = 0;            // the bytes of the text it comes from
  std::size_t size = 1;              // (a tab's blanks all name the tab)
  bool operator==(const PlacedChar&) const = default;
};

// Walks a frame text one character at a time, in the order the console
// prints it. wrapAt > 0: text continues on the next row at that column, as
// on a terminal that many columns wide; 0: rows never wrap.
class FrameWalk {
 public:
  explicit FrameWalk(std::string_view gbk, int wrapAt = 0);

  // The next character placed; false at the end of the text.
  bool Next(PlacedChar& placed);
  // Where the next character goes.
  int Row() const { return m_row; }
  int Col() const { return m_col; }

 private:
  // The screen prints runs of plain characters (printable ASCII and
  // two-byte characters that fit in the row) itself, and moves the walk
  // past them.
  friend class ScreenCells;

  std::string_view m_text;
  std::size_t m_pos = 0;
  int m_wrapAt;
  int m_row = 0;
  int m_col = 0;
  bool m_inTab = false;  // between the blanks of a tab
};

// One cell of the screen.
struct ScreenCell {
  CellKind kind = CellKind::Blank;
  // Narrow, Stray: the byte; WideLeft, WideRight: the character's first
  // byte * 256 + its second.
  std::uint16_t code = ' ';
  bool operator==(const ScreenCell&) const = default;
};

// What a cell shows as GBK bytes, in `buffer` or a constant: a space for a
// blank, the byte of a one-cell character, both bytes of a two-byte
// character in its left cell and nothing in its right one.
std::string_view CellBytes(const ScreenCell& cell, char (&buffer)[2]);

// A two-byte GBK character as a code point; U+FFFD where code page 936 has
// no character.
char32_t GbkCodePoint(unsigned char first, unsigned char second);

// The same code points, looked up inline, for a caller that decodes every
// cell of many frames.
class GbkCodePoints {
 public:
  GbkCodePoints();
  // The character of a WideLeft or WideRight cell's code: GbkCodePoint of
  // its two bytes. Any other code is out of the table.
  char32_t Of(std::uint16_t code) const {
    return m_points[static_cast<std::size_t>((code >> 8) - 0x81) * 191 + (code & 0xFF) - 0x40];
  }

 private:
  const char32_t* m_points;
};

enum class RightEdge {
  Cut,   // a canvas: what does not fit is beyond it
  Wrap,  // a terminal: what does not fit goes to the next row
};

enum class Beyond {
  Report,  // keep every character that falls beyond the screen
  Ignore,  // drop them, and stop at the bottom edge
};

// The cells a frame text leaves on a screen `wide` cells across and `high`
// rows down (0 either way: as large as the text needs).
class ScreenCells {
 public:
  ScreenCells(int wide, int high, RightEdge edge = RightEdge::Cut);

  // Blanks the screen, then prints the text on it.
  void Layout(std::string_view gbk, Beyond beyond = Beyond::Report);

  int Wide() const { return m_wide; }
  int High() const { return m_high; }
  // Rows down to the last one holding a printed cell.
  int Rows() const { return static_cast<int>(m_rowStart.size()); }
  // Cells printed in a row, from its start to the last one printed (blanks
  // a tab or a control character left included).
  int RowExtent(int row) const;
  // A cell; blank outside what was printed.
  const ScreenCell& At(int col, int row) const;
  // The cells of a row printed so far (RowExtent of them).
  std::span<const ScreenCell> RowCells(int row) const;

  // What fell beyond the screen, in the order printed: right of the width
  // (a canvas) or below the height.
  const std::vector<PlacedChar>& BeyondEdge() const { return m_beyond; }

 private:
  bool Fits(const PlacedChar& placed) const;
  // Printing at col of row (the last row opened so far, or one below it,
  // opened down to it): BeginPrint gives room for up to `most` cells from
  // col, blanking the other half of a two-cell character the first of them
  // splits; EndPrint, once `cells` of them are filled in, does the same at
  // their end and makes them part of the row.
  ScreenCell* BeginPrint(int row, int col, std::size_t most);
  void EndPrint(int col, std::size_t cells);
  // The plain characters from where the walk is, up to the first other
  // character or the first one that does not fit the row, printed as
  // FrameWalk::Next would place them one by one.
  void PrintPlainRun(FrameWalk& walk);

  int m_wide;
  int m_high;
  RightEdge m_edge;
  // The console only ever moves down, so each row is printed before the
  // next: the rows' cells one after another in m_cells, row r from
  // m_rowStart[r], up to m_used. Beyond that m_cells holds what earlier
  // layouts left, room that needs no blanking before it is printed on.
  std::vector<ScreenCell> m_cells;
  std::size_t m_used = 0;
  std::vector<std::size_t> m_rowStart;
  std::vector<PlacedChar> m_beyond;
};

}  // namespace document

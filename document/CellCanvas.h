#pragma once
// A frame text being drawn, held as rows of screen cells: what the drawing
// canvas shows and edits. Typing, erasing, blocks, lines, rectangles and
// fills work on cells, with the screen model's rules (a GBK two-byte
// character takes two cells and is never split: printing over either half
// blanks the other).
//
// Rows are the frame's lines (split at each LF; a CR right before it is the
// line's own CR LF). A row nobody changed gives back exactly the bytes it
// was read from, line ending included, so an untouched frame comes out byte
// for byte as it went in; a changed row is written from its cells, ending
// where the last cell anybody placed ends (no padding nobody typed).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/CanvasReach.h"
#include "document/ScreenCells.h"

namespace document {

struct CellPos {
  int row = 0;
  int col = 0;
  bool operator==(const CellPos&) const = default;
};

// A rectangle of cells, both corners included, whatever order they came in.
struct CellRect {
  int top = 0;
  int left = 0;
  int bottom = -1;
  int right = -1;
  static CellRect Spanning(CellPos a, CellPos b);
  bool Empty() const { return bottom < top || right < left; }
  bool Contains(CellPos p) const {
    return p.row >= top && p.row <= bottom && p.col >= left && p.col <= right;
  }
  int Wide() const { return right - left + 1; }
  int High() const { return bottom - top + 1; }
  bool operator==(const CellRect&) const = default;
};

// The lines and rectangles draw with these characters.
enum class LineStyle : std::uint8_t {
  Ascii,  // - | +
  Box,    // the box-drawing characters of GBK, two cells each
};

class CellCanvas {
 public:
  CellCanvas() { SetText({}); }

  // Reads a frame text (GBK bytes); every row untouched.
  void SetText(std::string_view gbk);
  // The frame text: untouched rows as they were read, changed ones from
  // their cells.
  std::string Text() const;
  // Whether anything was changed since SetText.
  bool Touched() const { return m_touched; }
  // Whether a changed row held bytes its cells do not give back (tabs,
  // control characters, a CR printing over the row): such a row is stored
  // as it shows, blanks as spaces.
  bool Reshaped() const { return m_reshaped; }

  int Rows() const { return static_cast<int>(m_rows.size()); }
  // Cells a row holds (0 beyond the last row).
  int RowExtent(int row) const;
  int WidestRow() const;
  // The columns and rows the printed characters reach (blanks do not
  // count), as ReachOf gives for the text.
  TextReach Reach() const;
  // A cell; blank outside what the rows hold.
  const ScreenCell& At(int row, int col) const;
  // Where the character covering a cell starts, and how many cells it takes
  // (a blank beyond a row's end is one cell).
  int CharStart(int row, int col) const;
  int CharCells(int row, int col) const;
  // The character of a cell as GBK bytes (a space for a blank).
  std::string CharAt(int row, int col) const;

  // Typing one character (its GBK bytes: one byte, or a two-byte
  // character) at a cell: over what is there, or pushing the rest of the
  // row right. The rows and blanks needed to reach the cell are added.
  // Returns the cells it takes (0 when the bytes are not one character).
  // exact: at that very cell, even the right half of a two-cell character
  // (whose left half is then blanked), as drawing does.
  int Type(CellPos at, std::string_view glyph, bool insert, bool exact = false);
  // A drawing stroke's character: over what is there, at that very cell.
  int Paint(CellPos at, std::string_view glyph);
  // Del at a cell: overwriting blanks the character there (at a row's end
  // the row just gets shorter); inserting takes it out and pulls the rest
  // of the row left.
  void Erase(CellPos at, bool insert);
  // Enter while inserting: the rest of the row moves to a new row below.
  void BreakRow(CellPos at);
  // Backspace at a row's start while inserting: the row joins the one above.
  // Returns the cell where the joined text begins.
  CellPos JoinWithAbove(int row);

  // Blocks. Copy gives the block's rows as GBK text, rows separated by CR LF
  // and each without its trailing blanks; a character cut by the block's
  // edge is left out.
  std::string CopyBlock(const CellRect& block) const;
  void ClearBlock(const CellRect& block);
  void FillBlock(const CellRect& block, std::string_view glyph);
  // Places text (GBK, lines by LF or CR LF) with its first character at a
  // cell, line under line: over what is there, or pushing each row right.
  // Returns the rectangle it covers.
  CellRect Paste(CellPos at, std::string_view gbk, bool insert);
  // Moves a block's cells, blanks included, so its top left lands at `to`.
  void MoveBlock(const CellRect& block, CellPos to);

  // Drawing. A line goes along the row or the column, whichever is longer.
  void DrawLine(CellPos from, CellPos to, LineStyle style);
  void DrawRect(const CellRect& box, LineStyle style);
  // Fills the region of cells showing the same character as `at`, joined
  // side by side or above and below, within `wide` x `high` cells.
  void FloodFill(CellPos at, std::string_view glyph, int wide, int high);

 private:
  enum class Ending : std::uint8_t { None, Lf, CrLf };
  struct Row {
    std::vector<ScreenCell> cells;
    std::string source;  // the bytes it was read from, without the ending
    Ending ending = Ending::None;
    bool touched = false;
  };

  Row& Touch(int row);
  void Reach(int row);
  void Place(int row, int col, std::span<const ScreenCell> cells);
  void InsertCells(int row, int col, std::span<const ScreenCell> cells);
  void TrimBlanks(Row& row);
  std::vector<ScreenCell> CellsOf(std::string_view gbk);
  std::vector<ScreenCell> BlockCells(const CellRect& block) const;

  std::vector<Row> m_rows;
  bool m_touched = false;
  bool m_reshaped = false;
  ScreenCells m_layout{0, 1};
};

// The GBK bytes of the characters the lines and rectangles draw with.
std::string_view LineGlyph(LineStyle style, bool vertical);

}  // namespace document

#pragma once
// What the console shows of one frame, cell by cell, for the writers that
// draw an animation outside a console (web page, GIF, terminal recording).
//
// A frame is laid out on the canvas by the console's rules, the screen model
// every player and writer shares (document/ScreenCells.h): a GBK two-byte
// character takes two cells, CR goes back to the start of the row, LF
// starts the next row, a tab writes blanks up to the next multiple of 8.
// What falls outside the canvas is cut off rather than wrapped, so every
// frame keeps the canvas size; a two-byte character that would straddle the
// right edge is left out.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/Animation.h"
#include "document/Screen.h"
#include "document/ScreenCells.h"
#include "platform/Cp936.h"
#include "platform/SafeFile.h"

namespace output {

namespace formats {

// The cell right of a two-byte character holds this instead of a character.
inline constexpr char32_t kWideTail = 0;

// A canvas larger than this either way (only a hand-edited project can ask
// for one) is cut to it.
inline constexpr int kMaxCanvasCells = 1000;

class FrameCanvas {
 public:
  FrameCanvas(int wide, int high);

  int Wide() const { return m_wide; }
  int High() const { return m_high; }

  // Blanks the canvas, then prints the GBK frame text on it.
  void Layout(std::string_view gbk);

  // The character of a cell: a code point, ' ' for blank, kWideTail for the
  // right half of a two-byte character.
  char32_t At(int col, int row) const {
    return m_cells[static_cast<std::size_t>(row) * m_wide + col];
  }
  static bool IsWide(char32_t ch) { return ch >= 0x80; }
  // Every cell's character, row after row.
  const std::vector<char32_t>& Cells() const { return m_cells; }

  // Row text in UTF-8 without the blanks at its end.
  std::string RowUtf8(int row) const;
  // Cells of the row up to its last non-blank one.
  int RowLength(int row) const;

  bool operator==(const FrameCanvas& other) const { return m_cells == other.m_cells; }

 private:
  int m_wide;
  int m_high;
  document::ScreenCells m_screen;  // the cells as the console leaves them
  std::vector<char32_t> m_cells;   // each shown as a character
  document::GbkCodePoints m_codePoints;
};

// What a writer draws in a cell: the character, ' ' for a blank, '?' for a
// byte that starts no character, kWideTail for a right half.
char32_t ShownChar(const document::ScreenCell& cell);

// "#RRGGBB" of a console colour index (document/Screen.h has the palette).
std::string CssColor(int index);

// The rate the writers play at: document::PlayRate of the animation's.
int PlayRate(const document::Animation& animation);

// A GBK text (the animation's name) as a title in UTF-8, each character as
// the canvas shows it: a control character as a blank, a byte that starts
// no character as '?'. No title carries a control to a player or a browser.
std::string TitleUtf8(std::string_view gbk);

// Appends a code point as UTF-8.
using platform::cp936::AppendUtf8;

// Appends a UTF-8 text as a JSON string. Besides what JSON needs, '<', '>',
// '&', U+2028 and U+2029 are escaped, so the result can stand inside an HTML
// script block.
void AppendJsonString(std::string& out, std::string_view utf8);

// Writes a file by way of a temporary beside it, so that a failed or
// abandoned export leaves whatever was at path before untouched. A file
// already at path is replaced only with Replace::Yes.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // False with *error set (UTF-8 message) when the file cannot be made.
  bool Open(const std::string& path, std::string* error,
            platform::Replace replace = platform::Replace::No);
  std::FILE* Stream() const { return m_file; }
  void Write(std::string_view bytes);
  // Closes the temporary and moves it to path. False with *error set when
  // any write, the close or the move failed, or something is at path that
  // may not be replaced.
  bool Commit(std::string* error);

 private:
  std::string m_path;
  platform::Replace m_replace = platform::Replace::No;
  std::string m_temp;
  std::FILE* m_file = nullptr;
  int m_writeErrno = 0;
  std::vector<char> m_buffer;
};

}  // namespace formats

}  // namespace output

#include "document/ScreenCells.h"

#include <algorithm>
#include <string>

#include "platform/Cp936.h"

namespace document {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The bytes of a GBK two-byte character, as platform::cp936::CharLength
// reads them (inline here: the walk tests every byte of every frame).
bool IsFirstByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsSecondByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Every two-byte GBK character as a code point, decoded once: converting
// character by character through iconv would cost more than the drawing.
class GbkTable {
 public:
  GbkTable() : m_points(126 * 191, kReplacement) {
    for (int first = 0x81; first <= 0xFE; ++first) {
      for (int second = 0x40; second <= 0xFE; ++second) {
        if (second == 0x7F) continue;
        const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
        const std::string utf8 = platform::cp936::ToUtf8(std::string_view(pair, 2));
        m_points[Index(first, second)] = SingleCodePoint(utf8);
      }
    }
  }
  char32_t At(unsigned char first, unsigned char second) const {
    return m_points[Index(first, second)];
  }
  // Laid out as GbkCodePoints reads it.
  const char32_t* Data() const { return m_points.data(); }

 private:
  static std::size_t Index(int first, int second) {
    return static_cast<std::size_t>(first - 0x81) * 191 + static_cast<std::size_t>(second - 0x40);
  }
  // The code point of a text holding exactly one character, or U+FFFD: pairs
  // the converter does not know come back as two raw-byte stand-ins.
  static char32_t SingleCodePoint(const std::string& utf8) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t len = 0;
    char32_t cp = 0;
    if (utf8.empty()) return kReplacement;
    if (s[0] < 0x80) {
      len = 1, cp = s[0];
    } else if ((s[0] & 0xE0) == 0xC0) {
      len = 2, cp = s[0] & 0x1F;
    } else if ((s[0] & 0xF0) == 0xE0) {
      len = 3, cp = s[0] & 0x0F;
    } else {
      len = 4, cp = s[0] & 0x07;
    }
    if (len != utf8.size()) return kReplacement;
    for (std::size_t i = 1; i < len; ++i) cp = (cp << 6) | (s[i] & 0x3F);
    // ASCII or a raw-byte stand-in would break the two-cells rule.
    if (cp < 0x80 || cp >= 0x10FF00) return kReplacement;
    return cp;
  }
  std::vector<char32_t> m_points;
};

const GbkTable& Table() {
  static const GbkTable table;
  return table;
}

const ScreenCell kBlankCell{};

}  // namespace

char32_t GbkCodePoint(unsigned char first, unsigned char second) {
  if (!IsFirstByte(first) || !IsSecondByte(second)) return kReplacement;
  return Table().At(first, second);
}

GbkCodePoints::GbkCodePoints() : m_points(Table().Data()) {}

std::string_view CellBytes(const ScreenCell& cell, char (&buffer)[2]) {
  switch (cell.kind) {
    case CellKind::Blank:
      return " ";
    case CellKind::Narrow:
    case CellKind::Stray:
      buffer[0] = static_cast<char>(cell.code);
      return std::string_view(buffer, 1);
    case CellKind::WideLeft:
      buffer[0] = static_cast<char>(cell.code >> 8);
      buffer[1] = static_cast<char>(cell.code & 0xFF);
      return std::string_view(buffer, 2);
    case CellKind::WideRight:
      break;
  }
  return {};
}

// ---- the walk -----------------------------------------------------------------

FrameWalk::FrameWalk(std::string_view gbk, int wrapAt) : m_text(gbk), m_wrapAt(wrapAt) {}

bool FrameWalk::Next(PlacedChar& placed) {
  // Puts a character of `cells` cells at the cursor, on the next row when
  // it does not fit in a wrapping row.
  const auto place = [&](CellKind kind, int cells, std::size_t offset, std::size_t size) {
    if (m_wrapAt > 0 && m_col + cells > m_wrapAt) ++m_row, m_col = 0;
    placed = PlacedChar{m_row, m_col, cells, kind, offset, size};
    m_col += cells;
    return true;
  };
  if (m_inTab) {
    // The tab's blanks go on to the next multiple of 8, and stop at the end
    // of a wrapping row.
    if (m_col % 8 != 0 && (m_wrapAt <= 0 || m_col < m_wrapAt))
      return place(CellKind::Blank, 1, m_pos - 1, 1);
    m_inTab = false;
  }
  while (m_pos < m_text.size()) {
    const std::size_t at = m_pos;
    const auto b = static_cast<unsigned char>(m_text[at]);
    switch (b) {
      case '\r':
        m_col = 0, ++m_pos;
        continue;
      case '\n':
        ++m_row, m_col = 0, ++m_pos;
        continue;
      case '\b':
        if (m_col > 0) --m_col;
        ++m_pos;
        continue;
      case '\a':
        ++m_pos;
        continue;
      case '\t':
        // At least one blank, even from a multiple of 8.
        m_inTab = true, ++m_pos;
        return place(CellKind::Blank, 1, at, 1);
      default:
        break;
    }
    if (IsFirstByte(b) && at + 1 < m_text.size() &&
        IsSecondByte(static_cast<unsigned char>(m_text[at + 1]))) {
      m_pos += 2;
      return place(CellKind::WideLeft, 2, at, 2);
    }
    ++m_pos;
    const CellKind kind = b >= 0x80               ? CellKind::Stray
                          : b < 0x20 || b == 0x7F ? CellKind::Blank
                                                  : CellKind::Narrow;
    return place(kind, 1, at, 1);
  }
  return false;
}

// ---- the screen ---------------------------------------------------------------

ScreenCells::ScreenCells(int wide, int high, RightEdge edge)
    : m_wide(wide > 0 ? wide : 0), m_high(high > 0 ? high : 0), m_edge(edge) {
  // Room for a screen full of cells up front (within reason), so that a
  // screen made for one frame need not grow.
  constexpr std::size_t kRoomUpFront = 1 << 16;
  if (m_high > 0) m_rowStart.reserve(std::min(static_cast<std::size_t>(m_high), kRoomUpFront));
  if (m_wide > 0 && m_high > 0)
    m_cells.reserve(std::min(static_cast<std::size_t>(m_wide) * static_cast<std::size_t>(m_high),
                             kRoomUpFront));
}

bool ScreenCells::Fits(const PlacedChar& placed) const {
  // A character wider than a whole terminal row still gets a row of its own.
  return (m_high == 0 || placed.row < m_high) &&
         (m_wide == 0 || placed.col + placed.cells <= m_wide ||
          (m_edge == RightEdge::Wrap && placed.col == 0));
}

namespace {

// The cell a placed character leaves (its left cell, for a two-byte one).
ScreenCell CellOf(const PlacedChar& placed, std::string_view text) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(text[placed.offset + i]));
  };
  if (placed.kind == CellKind::WideLeft)
    return ScreenCell{CellKind::WideLeft, static_cast<std::uint16_t>(byte(0) << 8 | byte(1))};
  if (placed.kind == CellKind::Blank) return ScreenCell{};
  return ScreenCell{placed.kind, byte(0)};
}

}  // namespace

ScreenCell* ScreenCells::BeginPrint(int row, int col, std::size_t most) {
  while (static_cast<int>(m_rowStart.size()) <= row) m_rowStart.push_back(m_used);
  const std::size_t base = m_rowStart.back();
  const std::size_t from = base + static_cast<std::size_t>(col);
  if (m_cells.size() < from + most) m_cells.resize(from + most);
  // Printing over half of a two-cell character blanks its other half.
  if (from < m_used && from > base && m_cells[from].kind == CellKind::WideRight)
    m_cells[from - 1] = ScreenCell{};
  return &m_cells[from];
}

void ScreenCells::EndPrint(int col, std::size_t cells) {
  const std::size_t base = m_rowStart.back();
  const std::size_t from = base + static_cast<std::size_t>(col);
  const std::size_t end = from + cells;
  if (end < m_used && m_cells[end].kind == CellKind::WideRight) m_cells[end] = ScreenCell{};
  if (m_used < from) std::fill(m_cells.begin() + m_used, m_cells.begin() + from, ScreenCell{});
  m_used = std::max(m_used, end);
}

void ScreenCells::PrintPlainRun(FrameWalk& walk) {
  const int row = walk.m_row;
  const int col = walk.m_col;
  if (m_high > 0 && row >= m_high) return;
  const std::string_view text = walk.m_text;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  const std::size_t from = walk.m_pos;
  // A plain character takes as many cells as it has bytes, so the room
  // left in the row bounds the bytes of the run. What would reach past the
  // edge (cut or wrapped) is the walk's to place.
  std::size_t last = size;
  if (m_wide > 0) {
    if (col >= m_wide) return;
    last = std::min(size, from + static_cast<std::size_t>(m_wide - col));
  }
  // The cells of the plain character at `at`: 0 for any other, or for a
  // two-byte one without room.
  const auto plainCells = [&](std::size_t at) {
    const unsigned char b = s[at];
    if (b >= 0x20 && b < 0x7F) return 1;
    return IsFirstByte(b) && at + 1 < size && IsSecondByte(s[at + 1]) && at + 2 <= last ? 2 : 0;
  };
  if (from >= last || plainCells(from) == 0) return;  // nothing to print: no row to open
  ScreenCell* cell = BeginPrint(row, col, last - from);
  std::size_t to = from;
  while (to < last) {
    const int cells = plainCells(to);
    if (cells == 0) break;
    const unsigned char b = s[to];
    if (cells == 1) {
      *cell++ = ScreenCell{CellKind::Narrow, b};
    } else {
      const auto code = static_cast<std::uint16_t>(b << 8 | s[to + 1]);
      *cell++ = ScreenCell{CellKind::WideLeft, code};
      *cell++ = ScreenCell{CellKind::WideRight, code};
    }
    to += static_cast<std::size_t>(cells);
  }
  EndPrint(col, to - from);
  walk.m_pos = to;
  walk.m_col = col + static_cast<int>(to - from);
}

void ScreenCells::Layout(std::string_view gbk, Beyond beyond) {
  m_used = 0;
  m_rowStart.clear();
  m_beyond.clear();
  FrameWalk walk(gbk, m_edge == RightEdge::Wrap ? m_wide : 0);
  PlacedChar placed;
  for (;;) {
    if (!walk.m_inTab) PrintPlainRun(walk);
    if (!walk.Next(placed)) break;
    if (!Fits(placed)) {
      if (beyond == Beyond::Report)
        m_beyond.push_back(placed);
      else if (m_high > 0 && placed.row >= m_high)
        break;  // nothing comes back up from below the screen
      continue;
    }
    const auto cells = static_cast<std::size_t>(placed.cells);
    ScreenCell* cell = BeginPrint(placed.row, placed.col, cells);
    cell[0] = CellOf(placed, gbk);
    if (cells == 2) cell[1] = ScreenCell{CellKind::WideRight, cell[0].code};
    EndPrint(placed.col, cells);
  }
}

int ScreenCells::RowExtent(int row) const { return static_cast<int>(RowCells(row).size()); }

std::span<const ScreenCell> ScreenCells::RowCells(int row) const {
  if (row < 0 || row >= Rows()) return {};
  const std::size_t r = static_cast<std::size_t>(row);
  const std::size_t end = r + 1 < m_rowStart.size() ? m_rowStart[r + 1] : m_used;
  return std::span<const ScreenCell>(m_cells).subspan(m_rowStart[r], end - m_rowStart[r]);
}

const ScreenCell& ScreenCells::At(int col, int row) const {
  const std::span<const ScreenCell> line = RowCells(row);
  return col >= 0 && static_cast<std::size_t>(col) < line.size()
             ? line[static_cast<std::size_t>(col)]
             : kBlankCell;
}

}  // namespace document

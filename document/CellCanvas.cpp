#include "document/CellCanvas.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace document {
namespace {

const ScreenCell kBlank{};

bool IsBlank(const ScreenCell& c) {
  return c.kind == CellKind::Blank || (c.kind == CellKind::Narrow && c.code == ' ');
}

// Whether two cells show the same character (either half of a two-cell one).
bool SameCharacter(const ScreenCell& a, const ScreenCell& b) {
  if (IsBlank(a) || IsBlank(b)) return IsBlank(a) && IsBlank(b);
  const bool wideA = a.kind == CellKind::WideLeft || a.kind == CellKind::WideRight;
  const bool wideB = b.kind == CellKind::WideLeft || b.kind == CellKind::WideRight;
  return wideA == wideB && a.code == b.code;
}

}  // namespace

CellRect CellRect::Spanning(CellPos a, CellPos b) {
  return CellRect{std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row),
                  std::max(a.col, b.col)};
}

void CellCanvas::SetText(std::string_view gbk) {
  m_rows.clear();
  m_touched = false;
  m_reshaped = false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = gbk.find('\n', start);
    Row row;
    std::string_view line =
        gbk.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    if (lf != std::string_view::npos) {
      row.ending = Ending::Lf;
      if (!line.empty() && line.back() == '\r') {
        row.ending = Ending::CrLf;
        line.remove_suffix(1);
      }
    }
    row.source.assign(line);
    m_layout.Layout(line);
    const auto cells = m_layout.Rows() > 0 ? m_layout.RowCells(0) : std::span<const ScreenCell>{};
    row.cells.assign(cells.begin(), cells.end());
    m_rows.push_back(std::move(row));
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
}

std::string CellCanvas::Text() const {
  std::string out;
  for (const Row& row : m_rows) {
    if (!row.touched) {
      out += row.source;
    } else {
      char buffer[2];
      for (const ScreenCell& cell : row.cells) out += CellBytes(cell, buffer);
    }
    if (row.ending == Ending::CrLf) out += "\r\n";
    if (row.ending == Ending::Lf) out += '\n';
  }
  return out;
}

int CellCanvas::RowExtent(int row) const {
  if (row < 0 || row >= Rows()) return 0;
  return static_cast<int>(m_rows[static_cast<std::size_t>(row)].cells.size());
}

int CellCanvas::WidestRow() const {
  int widest = 0;
  for (const Row& row : m_rows) widest = std::max(widest, static_cast<int>(row.cells.size()));
  return widest;
}

TextReach CellCanvas::Reach() const {
  TextReach reach;
  for (std::size_t r = 0; r < m_rows.size(); ++r) {
    const auto& cells = m_rows[r].cells;
    int last = static_cast<int>(cells.size());
    while (last > 0 && ShowsNothing(cells[static_cast<std::size_t>(last - 1)])) --last;
    if (last == 0) continue;
    reach.cols = std::max(reach.cols, last);
    reach.rows = static_cast<int>(r) + 1;
  }
  return reach;
}

const ScreenCell& CellCanvas::At(int row, int col) const {
  if (row < 0 || row >= Rows() || col < 0) return kBlank;
  const auto& cells = m_rows[static_cast<std::size_t>(row)].cells;
  return col < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(col)] : kBlank;
}

int CellCanvas::CharStart(int row, int col) const {
  return At(row, col).kind == CellKind::WideRight && col > 0 ? col - 1 : std::max(col, 0);
}

int CellCanvas::CharCells(int row, int col) const {
  return At(row, CharStart(row, col)).kind == CellKind::WideLeft ? 2 : 1;
}

std::string CellCanvas::CharAt(int row, int col) const {
  char buffer[2];
  std::string_view bytes = CellBytes(At(row, CharStart(row, col)), buffer);
  return std::string(bytes.empty() ? std::string_view(" ") : bytes);
}

CellCanvas::Row& CellCanvas::Touch(int row) {
  Reach(row);
  Row& r = m_rows[static_cast<std::size_t>(row)];
  if (!r.touched) {
    // A row whose bytes its cells do not give back (a tab, a control
    // character, a CR printing over it) is stored as it shows from now on.
    std::string shown;
    char buffer[2];
    for (const ScreenCell& cell : r.cells) shown += CellBytes(cell, buffer);
    if (shown != r.source) m_reshaped = true;
  }
  r.touched = true;
  m_touched = true;
  return r;
}

void CellCanvas::Reach(int row) {
  while (Rows() <= row) {
    // The last row so far gets a line ending; its own bytes stay as read.
    if (m_rows.back().ending == Ending::None) m_rows.back().ending = Ending::CrLf;
    Row added;
    added.touched = true;
    m_rows.push_back(std::move(added));
    m_touched = true;
  }
}

// Puts cells over a row from col, blanking the other half of any two-cell
// character they cut at either end, and blanks up to col if the row is short.
void CellCanvas::Place(int row, int col, std::span<const ScreenCell> cells) {
  if (cells.empty() || col < 0) return;
  // Blanks below the last row add nothing.
  if (row >= Rows() && std::all_of(cells.begin(), cells.end(),
                                   [](const ScreenCell& c) { return c.kind == CellKind::Blank; }))
    return;
  auto& v = Touch(row).cells;
  const std::size_t from = static_cast<std::size_t>(col);
  const std::size_t to = from + cells.size();
  if (v.size() < to) v.resize(to, kBlank);
  if (v[from].kind == CellKind::WideRight && from > 0) v[from - 1] = kBlank;
  if (to < v.size() && v[to].kind == CellKind::WideRight) v[to] = kBlank;
  std::copy(cells.begin(), cells.end(), v.begin() + static_cast<std::ptrdiff_t>(from));
  TrimBlanks(m_rows[static_cast<std::size_t>(row)]);
}

void CellCanvas::InsertCells(int row, int col, std::span<const ScreenCell> cells) {
  if (cells.empty() || col < 0) return;
  col = CharStart(row, col);
  auto& v = Touch(row).cells;
  const std::size_t at = static_cast<std::size_t>(col);
  if (v.size() < at) v.resize(at, kBlank);
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(at), cells.begin(), cells.end());
  TrimBlanks(m_rows[static_cast<std::size_t>(row)]);
}

// Blanks left at a row's end by erasing are not kept: only what was typed
// is. A typed space is a character, not a blank, and stays.
void CellCanvas::TrimBlanks(Row& row) {
  while (!row.cells.empty() && row.cells.back().kind == CellKind::Blank) row.cells.pop_back();
}

std::vector<ScreenCell> CellCanvas::CellsOf(std::string_view gbk) {
  m_layout.Layout(gbk);
  if (m_layout.Rows() == 0) return {};
  const auto cells = m_layout.RowCells(0);
  return {cells.begin(), cells.end()};
}

int CellCanvas::Type(CellPos at, std::string_view glyph, bool insert, bool exact) {
  if (at.row < 0 || at.col < 0) return 0;
  const std::vector<ScreenCell> cells = CellsOf(glyph);
  // One character only: a printable byte or a two-byte character.
  const bool one = (cells.size() == 1 &&
                    (cells[0].kind == CellKind::Narrow || cells[0].kind == CellKind::Stray)) ||
                   (cells.size() == 2 && cells[0].kind == CellKind::WideLeft);
  if (!one || m_layout.Rows() != 1) return 0;
  const int col = exact ? at.col : CharStart(at.row, at.col);
  if (insert)
    InsertCells(at.row, col, cells);
  else
    Place(at.row, col, cells);
  return static_cast<int>(cells.size());
}

int CellCanvas::Paint(CellPos at, std::string_view glyph) { return Type(at, glyph, false, true); }

void CellCanvas::Erase(CellPos at, bool insert) {
  if (at.row < 0 || at.row >= Rows() || at.col >= RowExtent(at.row)) return;
  const int col = CharStart(at.row, at.col);
  const int cells = CharCells(at.row, at.col);
  auto& v = Touch(at.row).cells;
  const auto first = v.begin() + col;
  const auto last = v.begin() + std::min<int>(col + cells, static_cast<int>(v.size()));
  if (insert || last == v.end())
    v.erase(first, last);
  else
    std::fill(first, last, kBlank);
  TrimBlanks(m_rows[static_cast<std::size_t>(at.row)]);
}

void CellCanvas::BreakRow(CellPos at) {
  if (at.row < 0 || at.col < 0) return;
  Reach(at.row);
  const int col = std::min(CharStart(at.row, at.col), RowExtent(at.row));
  Row& upper = Touch(at.row);
  Row lower;
  lower.touched = true;
  lower.cells.assign(upper.cells.begin() + col, upper.cells.end());
  upper.cells.resize(static_cast<std::size_t>(col));
  lower.ending = upper.ending;
  upper.ending = Ending::CrLf;
  TrimBlanks(upper);
  m_rows.insert(m_rows.begin() + at.row + 1, std::move(lower));
}

CellPos CellCanvas::JoinWithAbove(int row) {
  if (row <= 0 || row >= Rows()) return {std::max(row, 0), 0};
  Row& upper = Touch(row - 1);
  const int col = static_cast<int>(upper.cells.size());
  Row& lower = m_rows[static_cast<std::size_t>(row)];
  upper.cells.insert(upper.cells.end(), lower.cells.begin(), lower.cells.end());
  upper.ending = lower.ending;
  m_rows.erase(m_rows.begin() + row);
  TrimBlanks(m_rows[static_cast<std::size_t>(row - 1)]);
  return {row - 1, col};
}

std::vector<ScreenCell> CellCanvas::BlockCells(const CellRect& block) const {
  std::vector<ScreenCell> out;
  if (block.Empty()) return out;
  out.reserve(static_cast<std::size_t>(block.Wide()) * static_cast<std::size_t>(block.High()));
  for (int r = block.top; r <= block.bottom; ++r) {
    for (int c = block.left; c <= block.right; ++c) {
      ScreenCell cell = At(r, c);
      // Half a character at the block's edge does not travel with it.
      if ((cell.kind == CellKind::WideRight && c == block.left) ||
          (cell.kind == CellKind::WideLeft && c == block.right))
        cell = kBlank;
      out.push_back(cell);
    }
  }
  return out;
}

std::string CellCanvas::CopyBlock(const CellRect& block) const {
  std::string out;
  if (block.Empty()) return out;
  const std::vector<ScreenCell> cells = BlockCells(block);
  const std::size_t wide = static_cast<std::size_t>(block.Wide());
  for (int r = 0; r < block.High(); ++r) {
    if (r > 0) out += "\r\n";
    auto first = cells.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(r) * wide);
    auto last = first + static_cast<std::ptrdiff_t>(wide);
    while (last != first && IsBlank(*(last - 1))) --last;
    char buffer[2];
    for (auto it = first; it != last; ++it) {
      const std::string_view bytes = CellBytes(*it, buffer);
      out += it->kind == CellKind::Blank ? std::string_view(" ") : bytes;
    }
  }
  return out;
}

void CellCanvas::ClearBlock(const CellRect& block) {
  if (block.Empty()) return;
  const std::vector<ScreenCell> blanks(static_cast<std::size_t>(block.Wide()), kBlank);
  for (int r = block.top; r <= std::min(block.bottom, Rows() - 1); ++r) {
    if (block.left >= RowExtent(r)) continue;
    Place(r, block.left, blanks);
  }
}

void CellCanvas::FillBlock(const CellRect& block, std::string_view glyph) {
  if (block.Empty()) return;
  const std::vector<ScreenCell> one = CellsOf(glyph);
  if (one.empty() || one.size() > 2) return;
  std::vector<ScreenCell> row;
  while (row.size() + one.size() <= static_cast<std::size_t>(block.Wide()))
    row.insert(row.end(), one.begin(), one.end());
  row.resize(static_cast<std::size_t>(block.Wide()), ScreenCell{CellKind::Narrow, ' '});
  for (int r = block.top; r <= block.bottom; ++r) Place(r, block.left, row);
}

CellRect CellCanvas::Paste(CellPos at, std::string_view gbk, bool insert) {
  CellRect covered{at.row, at.col, at.row - 1, at.col - 1};
  if (at.row < 0 || at.col < 0) return covered;
  int row = at.row;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = gbk.find('\n', start);
    std::string_view line = gbk.substr(start, lf == std::string_view::npos ? gbk.npos : lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<ScreenCell> cells = CellsOf(line);
    if (insert)
      InsertCells(row, at.col, cells);
    else
      Place(row, at.col, cells);
    if (cells.empty()) Reach(row);
    covered.bottom = row;
    covered.right = std::max(covered.right, at.col + static_cast<int>(cells.size()) - 1);
    if (lf == std::string_view::npos || lf + 1 == gbk.size()) break;
    start = lf + 1;
    ++row;
  }
  return covered;
}

void CellCanvas::MoveBlock(const CellRect& block, CellPos to) {
  if (block.Empty() || to.row < 0 || to.col < 0) return;
  const std::vector<ScreenCell> cells = BlockCells(block);
  ClearBlock(block);
  const std::size_t wide = static_cast<std::size_t>(block.Wide());
  for (int r = 0; r < block.High(); ++r) {
    std::span<const ScreenCell> row(cells.data() + static_cast<std::size_t>(r) * wide, wide);
    Place(to.row + r, to.col, row);
  }
}

std::string_view LineGlyph(LineStyle style, bool vertical) {
  if (style == LineStyle::Ascii) return vertical ? "|" : "-";
  return vertical ? "\xA9\xA6" : "\xA9\xA4";  // │ ─
}

void CellCanvas::DrawLine(CellPos from, CellPos to, LineStyle style) {
  if (from.row < 0 || from.col < 0 || to.row < 0 || to.col < 0) return;
  const bool vertical = std::abs(to.row - from.row) > std::abs(to.col - from.col);
  const std::vector<ScreenCell> glyph = CellsOf(LineGlyph(style, vertical));
  if (vertical) {
    for (int r = std::min(from.row, to.row); r <= std::max(from.row, to.row); ++r)
      Place(r, from.col, glyph);
    return;
  }
  const int step = static_cast<int>(glyph.size());
  const int last = std::max(from.col, to.col);
  for (int c = std::min(from.col, to.col); c + step - 1 <= last; c += step)
    Place(from.row, c, glyph);
}

void CellCanvas::DrawRect(const CellRect& box, LineStyle style) {
  if (box.Empty() || box.top < 0 || box.left < 0) return;
  if (style == LineStyle::Ascii) {
    DrawLine({box.top, box.left}, {box.top, box.right}, style);
    DrawLine({box.bottom, box.left}, {box.bottom, box.right}, style);
    for (int r = box.top + 1; r < box.bottom; ++r) {
      Paint({r, box.left}, "|");
      Paint({r, box.right}, "|");
    }
    for (const CellPos corner : {CellPos{box.top, box.left}, CellPos{box.top, box.right},
                                 CellPos{box.bottom, box.left}, CellPos{box.bottom, box.right}})
      Paint(corner, "+");
    return;
  }
  // Two cells a character: the width is rounded up to an even number of
  // cells, four at least.
  const int right = box.left + std::max(2, (box.Wide() + 1) / 2 * 2 - 2);
  const int bottom = std::max(box.bottom, box.top + 1);
  for (int c = box.left + 2; c < right; c += 2) {
    Paint({box.top, c}, "\xA9\xA4");
    Paint({bottom, c}, "\xA9\xA4");
  }
  for (int r = box.top + 1; r < bottom; ++r) {
    Paint({r, box.left}, "\xA9\xA6");
    Paint({r, right}, "\xA9\xA6");
  }
  Paint({box.top, box.left}, "\xA9\xB0");  // ┌
  Paint({box.top, right}, "\xA9\xB4");     // ┐
  Paint({bottom, box.left}, "\xA9\xB8");   // └
  Paint({bottom, right}, "\xA9\xBC");      // ┘
}

void CellCanvas::FloodFill(CellPos at, std::string_view glyph, int wide, int high) {
  if (at.row < 0 || at.col < 0 || at.row >= high || at.col >= wide) return;
  const std::vector<ScreenCell> fill = CellsOf(glyph);
  if (fill.empty() || fill.size() > 2) return;
  const ScreenCell target = At(at.row, at.col);
  if (fill.size() == 1 && SameCharacter(target, fill[0])) return;
  if (fill.size() == 2 && SameCharacter(target, fill[0])) return;
  std::vector<bool> in(static_cast<std::size_t>(wide) * static_cast<std::size_t>(high), false);
  auto index = [wide](int r, int c) {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(wide) +
           static_cast<std::size_t>(c);
  };
  std::vector<CellPos> todo{at};
  in[index(at.row, at.col)] = true;
  while (!todo.empty()) {
    const CellPos p = todo.back();
    todo.pop_back();
    const CellPos next[] = {
        {p.row - 1, p.col}, {p.row + 1, p.col}, {p.row, p.col - 1}, {p.row, p.col + 1}};
    for (const CellPos n : next) {
      if (n.row < 0 || n.col < 0 || n.row >= high || n.col >= wide) continue;
      if (in[index(n.row, n.col)] || !SameCharacter(At(n.row, n.col), target)) continue;
      in[index(n.row, n.col)] = true;
      todo.push_back(n);
    }
  }
  // Row by row, left to right: a two-cell character where two cells of the
  // region sit side by side, a space where one is left alone.
  const ScreenCell space{CellKind::Narrow, ' '};
  for (int r = 0; r < high; ++r) {
    for (int c = 0; c < wide; ++c) {
      if (!in[index(r, c)]) continue;
      if (fill.size() == 2 && (c + 1 >= wide || !in[index(r, c + 1)])) {
        Place(r, c, std::span<const ScreenCell>(&space, 1));
        continue;
      }
      Place(r, c, fill);
      c += static_cast<int>(fill.size()) - 1;
    }
  }
}

}  // namespace document

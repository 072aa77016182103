#include "document/CanvasReach.h"

#include <algorithm>
#include <cstring>

#include "document/Animation.h"
#include "document/ScreenCells.h"
#include "res/Texts.h"

namespace document {

bool ShowsNothing(const ScreenCell& cell) {
  return cell.kind == CellKind::Blank || (cell.kind == CellKind::Narrow && cell.code == ' ');
}

TextReach ReachOf(std::string_view gbk) {
  ScreenCells screen(0, 0);
  screen.Layout(gbk);
  TextReach reach;
  for (int row = 0; row < screen.Rows(); ++row) {
    const auto cells = screen.RowCells(row);
    // The last cell showing something; blanks and spaces do not count.
    int last = static_cast<int>(cells.size());
    while (last > 0 && ShowsNothing(cells[static_cast<std::size_t>(last - 1)])) --last;
    if (last == 0) continue;
    reach.cols = std::max(reach.cols, last);
    reach.rows = row + 1;
  }
  return reach;
}

bool FitsCanvas(std::string_view gbk, int wide, int high) {
  // Each byte takes at most one cell, except a tab: a text with no tab, no
  // more lines than rows and no line longer than the width fits without a
  // closer look.
  if (gbk.find('\t') == std::string_view::npos) {
    int lines = 0;
    bool fits = true;
    for (std::size_t start = 0;;) {
      const std::size_t lf = gbk.find('\n', start);
      const std::size_t end = lf == std::string_view::npos ? gbk.size() : lf;
      if (++lines > high || end - start > static_cast<std::size_t>(wide)) {
        fits = false;
        break;
      }
      if (lf == std::string_view::npos) break;
      start = lf + 1;
    }
    if (fits) return true;
  }
  const TextReach reach = ReachOf(gbk);
  return reach.cols <= wide && reach.rows <= high;
}

FramesBeyond FramesBeyondCanvas(const Animation& animation, std::size_t most) {
  FramesBeyond beyond;
  long long number = 0;
  for (const FrameNode& node : animation.m_frames) {
    ++number;
    if (FitsCanvas(node.Text(), animation.m_nAnimWide, animation.m_nAnimHigh)) continue;
    if (beyond.first.size() < most) beyond.first.push_back(number);
    ++beyond.count;
  }
  return beyond;
}

std::string FramesBeyondNote(const FramesBeyond& beyond) {
  if (beyond.count == 0) return {};
  std::string numbers;
  for (const long long n : beyond.first) {
    if (!numbers.empty()) numbers += "、";
    numbers += std::to_string(n);
  }
  if (beyond.count > static_cast<long long>(beyond.first.size())) numbers += "等";
  return res::Format(res::kFramesBeyondCanvas, {numbers, std::to_string(beyond.count)});
}

}  // namespace document

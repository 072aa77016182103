#include "playback/TerminalPicture.h"

#include "document/Screen.h"
#include "document/ScreenCells.h"
#include "platform/Cp936.h"

namespace playback {

namespace {

constexpr std::string_view kHideCursor = "\033[?25l";
constexpr std::string_view kShowCursor = "\033[?25h";
constexpr std::string_view kResetColours = "\033[0m";
constexpr std::string_view kClearLine = "\033[K";
constexpr std::string_view kClearBelow = "\033[J";

std::string MoveTo(int row) {  // row from 0, column 0
  return row == 0 ? std::string("\033[H") : "\033[" + std::to_string(row + 1) + ";1H";
}

}  // namespace

Picture LayOutFrame(std::string_view gbk, const platform::TerminalEncoding& encoding, int cols,
                    int rows) {
  document::ScreenCells screen(cols, rows, document::RightEdge::Wrap);
  screen.Layout(gbk, document::Beyond::Ignore);
  Picture picture(static_cast<std::size_t>(screen.Rows()));
  char buffer[2];
  for (int r = 0; r < screen.Rows(); ++r) {
    ScreenRow& row = picture[static_cast<std::size_t>(r)];
    row.width = screen.RowExtent(r);
    for (int c = 0; c < row.width; ++c) {
      const std::string_view character = document::CellBytes(screen.At(c, r), buffer);
      if (!character.empty()) encoding.AppendChar(character, row.bytes);
    }
  }
  return picture;
}

std::string DrawPicture(const Picture* shown, const Picture& next, int cols, int rows) {
  std::string out;
  const auto fills = [cols](const ScreenRow& row) { return cols > 0 && row.width >= cols; };
  int cursorRow = -1;  // the row whose end the cursor is at, when known and not past the edge
  for (std::size_t i = 0; i < next.size(); ++i) {
    if (shown && i < shown->size() && (*shown)[i] == next[i]) continue;
    const int row = static_cast<int>(i);
    if (cursorRow >= 0 && cursorRow == row - 1)
      out += "\r\n";
    else
      out += MoveTo(row);
    out += next[i].bytes;
    // At the last column "clear to end of line" would take the character
    // under the cursor; a full row has nothing to clear anyway.
    if (fills(next[i])) {
      cursorRow = -1;
    } else {
      out += kClearLine;
      cursorRow = row;
    }
  }
  const std::size_t below = shown ? shown->size() : std::string::npos;
  const bool roomBelow = rows <= 0 || static_cast<int>(next.size()) < rows;
  if (below > next.size() && roomBelow) {
    const int row = static_cast<int>(next.size());
    if (cursorRow != row - 1 || row == 0) out += MoveTo(row);
    out += kClearBelow;
  }
  return out;
}

std::string ColorSequence(std::string_view code) {
  const auto colors = document::ReadColorCode(code);
  return colors ? document::ColorSgr(*colors) : std::string();
}

std::string EnterSequence(std::string_view colorCode) {
  return std::string(kHideCursor) + ColorSequence(colorCode);
}

std::string LeaveSequence(const Picture& shown, int statusRow) {
  std::string out(kResetColours);
  if (statusRow >= 0) out += MoveTo(statusRow) + std::string(kClearLine);
  if (!shown.empty())
    out += MoveTo(static_cast<int>(shown.size()) - 1) + "\r\n";
  else if (statusRow >= 0)
    out += MoveTo(0);
  out += kShowCursor;
  return out;
}

std::string PlainFrame(std::string_view gbk, const platform::TerminalEncoding& encoding) {
  std::string out;
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c == '\r' || c == '\n') {
      i += (c == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') ? 2 : 1;
      out += '\n';
      continue;
    }
    if ((c < 0x20 && c != '\t') || c == 0x7F) {
      ++i;
      continue;
    }
    const std::size_t n = platform::cp936::CharLength(gbk, i);
    encoding.AppendChar(gbk.substr(i, n), out);
    i += n;
  }
  if (!gbk.empty()) out += '\n';
  return out;
}

}  // namespace playback

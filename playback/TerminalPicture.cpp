#include "playback/TerminalPicture.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

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

// The terminal's bytes for the two-byte characters of one frame, kept by
// character: a frame repeats few characters many times, and converting one
// costs far more than finding it again.
class WideChars {
 public:
  explicit WideChars(const platform::TerminalEncoding& encoding) : m_encoding(encoding) {}

  // What encoding.AppendChar makes of the character of a WideLeft cell.
  void Append(std::uint16_t code, std::string& out) {
    const char gbk[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    if (m_encoding.PassesBytes()) {  // a GBK terminal takes the pair as it is
      out.append(gbk, 2);
      return;
    }
    Slot& slot = m_slots[(code ^ (code >> 8)) % m_slots.size()];
    if (slot.code != code) {
      m_converted.clear();
      m_encoding.AppendChar(std::string_view(gbk, 2), m_converted);
      if (m_converted.size() > sizeof slot.bytes) {  // too long to keep: no encoding here
        out += m_converted;
        return;
      }
      slot.code = code;
      slot.size = static_cast<std::uint8_t>(m_converted.size());
      std::copy(m_converted.begin(), m_converted.end(), slot.bytes);
    }
    out.append(slot.bytes, slot.size);
  }

 private:
  struct Slot {
    std::uint16_t code = 0;  // no character's: a first byte is 0x81 or more
    std::uint8_t size = 0;
    char bytes[8] = {};
  };
  const platform::TerminalEncoding& m_encoding;
  std::array<Slot, 256> m_slots{};
  std::string m_converted;
};

}  // namespace

Picture LayOutFrame(std::string_view gbk, const platform::TerminalEncoding& encoding, int cols,
                    int rows) {
  document::ScreenCells screen(cols, rows, document::RightEdge::Wrap);
  screen.Layout(gbk, document::Beyond::Ignore);
  Picture picture(static_cast<std::size_t>(screen.Rows()));
  WideChars wide(encoding);
  char buffer[2];
  for (int r = 0; r < screen.Rows(); ++r) {
    ScreenRow& row = picture[static_cast<std::size_t>(r)];
    const std::span<const document::ScreenCell> cells = screen.RowCells(r);
    row.width = static_cast<int>(cells.size());
    row.bytes.reserve(cells.size() * 3 / 2);  // two cells of Chinese are three bytes of UTF-8
    for (const document::ScreenCell& cell : cells) {
      // What encoding.AppendChar makes of CellBytes(cell): printable ASCII
      // and a blank's space as they are.
      switch (cell.kind) {
        case document::CellKind::Blank:
          row.bytes += ' ';
          break;
        case document::CellKind::Narrow:
          row.bytes += static_cast<char>(cell.code);
          break;
        case document::CellKind::WideLeft:
          wide.Append(cell.code, row.bytes);
          break;
        case document::CellKind::WideRight:
          break;
        case document::CellKind::Stray:
          encoding.AppendChar(document::CellBytes(cell, buffer), row.bytes);
          break;
      }
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

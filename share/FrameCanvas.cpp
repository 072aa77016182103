#include "share/FrameCanvas.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/Cp936.h"
#include "platform/SafeFile.h"
#include "share/AnimationFormats.h"

using document::Animation;

namespace output {

namespace formats {

FrameCanvas::FrameCanvas(int wide, int high)
    : m_wide(std::clamp(wide, 1, kMaxCanvasCells)),
      m_high(std::clamp(high, 1, kMaxCanvasCells)),
      m_screen(m_wide, m_high, document::RightEdge::Cut),
      m_cells(static_cast<std::size_t>(m_wide) * m_high, U' ') {}

char32_t ShownChar(const document::ScreenCell& cell) {
  switch (cell.kind) {
    case document::CellKind::Blank:
      return U' ';
    case document::CellKind::Narrow:
      return cell.code;
    case document::CellKind::Stray:
      return U'?';
    case document::CellKind::WideLeft:
      return document::GbkCodePoint(static_cast<unsigned char>(cell.code >> 8),
                                    static_cast<unsigned char>(cell.code & 0xFF));
    case document::CellKind::WideRight:
      break;
  }
  return kWideTail;
}

void FrameCanvas::Layout(std::string_view gbk) {
  m_screen.Layout(gbk, document::Beyond::Ignore);
  const document::GbkCodePoints codePoints = m_codePoints;  // kept out of memory in the loop
  char32_t* line = m_cells.data();
  for (int row = 0; row < m_high; ++row, line += m_wide) {
    char32_t* shown = line;
    // ShownChar, with the table looked up inline.
    for (const document::ScreenCell& cell : m_screen.RowCells(row)) {
      switch (cell.kind) {
        case document::CellKind::Narrow:
          *shown++ = cell.code;
          break;
        case document::CellKind::WideLeft:
          *shown++ = codePoints.Of(cell.code);
          break;
        case document::CellKind::WideRight:
          *shown++ = kWideTail;
          break;
        default:
          *shown++ = ShownChar(cell);
      }
    }
    std::fill(shown, line + m_wide, U' ');
  }
}

int FrameCanvas::RowLength(int row) const {
  const char32_t* line = &m_cells[static_cast<std::size_t>(row) * m_wide];
  int len = m_wide;
  while (len > 0 && line[len - 1] == U' ') --len;
  return len;
}

std::string FrameCanvas::RowUtf8(int row) const {
  std::string out;
  const char32_t* line = &m_cells[static_cast<std::size_t>(row) * m_wide];
  const int len = RowLength(row);
  out.reserve(static_cast<std::size_t>(len) * 2);
  for (int c = 0; c < len; ++c) {
    if (line[c] == kWideTail) continue;
    if (line[c] < 0x80)
      out += static_cast<char>(line[c]);  // as AppendUtf8 writes it, without the call
    else
      AppendUtf8(out, line[c]);
  }
  return out;
}

std::string CssColor(int index) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X",
                document::kConsoleRgb[static_cast<std::size_t>(index & 15)]);
  return buf;
}

int PlayRate(const Animation& animation) { return document::PlayRate(animation.m_nRate); }

std::string TitleUtf8(std::string_view gbk) {
  std::string out;
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    const unsigned char b = s[i];
    if (platform::cp936::CharLength(gbk, i) == 2)
      AppendUtf8(out, document::GbkCodePoint(b, s[++i]));
    else
      out += b < 0x20 || b == 0x7F ? ' ' : b >= 0x80 ? '?' : static_cast<char>(b);
  }
  return out;
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  // The bytes that go out as they are, which is most of them.
  static constexpr auto kPlain = [] {
    std::array<bool, 256> plain{};
    for (int b = 0x20; b < 256; ++b)
      plain[static_cast<std::size_t>(b)] =
          b != '"' && b != '\\' && b != '<' && b != '>' && b != '&' && b != 0xE2;
    return plain;
  }();
  out += '"';
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    std::size_t run = i;
    while (run < utf8.size() && kPlain[static_cast<unsigned char>(utf8[run])]) ++run;
    if (run > i) {
      out.append(utf8.substr(i, run - i));
      i = run - 1;
      continue;
    }
    const auto b = static_cast<unsigned char>(utf8[i]);
    switch (b) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      // Nothing in the script block may read as markup: "</script>" or
      // "<!--" would end or change it.
      case '<':
        out += "\\u003c";
        break;
      case '>':
        out += "\\u003e";
        break;
      case '&':
        out += "\\u0026";
        break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out += kHex[b >> 4];
          out += kHex[b & 15];
        } else if (b == 0xE2 && i + 2 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(utf8[i + 2]) == 0xA8 ||
                    static_cast<unsigned char>(utf8[i + 2]) == 0xA9)) {
          // U+2028 and U+2029 end a line in older script parsers.
          out += static_cast<unsigned char>(utf8[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
          i += 2;
        } else {
          out += static_cast<char>(b);
        }
    }
  }
  out += '"';
}

OutputFile::~OutputFile() {
  if (m_file) {
    std::fclose(m_file);
    platform::RemoveFile(m_temp);
  }
}

bool OutputFile::Open(const std::string& path, std::string* error, platform::Replace replace) {
  m_path = path;
  m_replace = replace;
  m_file = platform::CreateTempBeside(path, &m_temp);
  if (!m_file) {
    if (error) *error = std::string(kFormatCannotCreate) + path + "\n" + std::strerror(errno);
    return false;
  }
  // Frames go out in many small pieces; a large buffer keeps that cheap.
  m_buffer.resize(1 << 20);
  std::setvbuf(m_file, m_buffer.data(), _IOFBF, m_buffer.size());
  return true;
}

void OutputFile::Write(std::string_view bytes) {
  if (bytes.empty() || m_writeErrno) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
    m_writeErrno = errno ? errno : EIO;
}

bool OutputFile::Commit(std::string* error) {
  std::FILE* f = m_file;
  m_file = nullptr;
  if (std::ferror(f) && !m_writeErrno) m_writeErrno = EIO;
  const int closeErrno = std::fclose(f) == 0 ? 0 : errno;
  if (m_writeErrno || closeErrno != 0 || !platform::PlaceFile(m_temp, m_path, m_replace)) {
    const int err = m_writeErrno ? m_writeErrno : closeErrno ? closeErrno : errno;
    platform::RemoveFile(m_temp);
    if (error)
      *error = err == EEXIST && !m_writeErrno && !closeErrno
                   ? res::Format(res::kExportTargetExists, {m_path})
                   : std::string(kFormatWriteFailed) + m_path + "\n" + std::strerror(err);
    return false;
  }
  return true;
}

}  // namespace formats

}  // namespace output

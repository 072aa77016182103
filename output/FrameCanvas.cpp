#include "output/FrameCanvas.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "output/AnimationFormats.h"
#include "platform/Cp936.h"
#include "platform/SafeFile.h"

using document::Animation;

namespace output {

namespace formats {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Every two-byte GBK character as a code point, decoded once: converting
// character by character through iconv would cost more than the drawing.
class GbkTable {
 public:
  GbkTable() : m_cells(126 * 191, kReplacement) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const std::string utf8 = platform::cp936::ToUtf8(std::string_view(pair, 2));
        m_cells[Index(lead, trail)] = SingleCodePoint(utf8);
      }
    }
  }
  char32_t At(unsigned char lead, unsigned char trail) const { return m_cells[Index(lead, trail)]; }

 private:
  static std::size_t Index(int lead, int trail) {
    return static_cast<std::size_t>(lead - 0x81) * 191 + static_cast<std::size_t>(trail - 0x40);
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
  std::vector<char32_t> m_cells;
};

const GbkTable& Table() {
  static const GbkTable table;
  return table;
}

}  // namespace

FrameCanvas::FrameCanvas(int wide, int high)
    : m_wide(std::clamp(wide, 1, kMaxCanvasCells)),
      m_high(std::clamp(high, 1, kMaxCanvasCells)),
      m_cells(static_cast<std::size_t>(m_wide) * m_high, U' ') {}

void FrameCanvas::Put(int col, int row, char32_t ch, int width) {
  char32_t* line = &m_cells[static_cast<std::size_t>(row) * m_wide];
  // Printing over half of a two-byte character blanks its other half.
  if (line[col] == kWideTail && col > 0) line[col - 1] = U' ';
  const int end = col + width;  // one past the last cell written
  if (end < m_wide && line[end] == kWideTail) line[end] = U' ';
  line[col] = ch;
  if (width == 2) line[col + 1] = kWideTail;
}

void FrameCanvas::Layout(std::string_view gbk) {
  std::fill(m_cells.begin(), m_cells.end(), U' ');
  const GbkTable& table = Table();
  int row = 0;
  int col = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  for (std::size_t i = 0; i < n && row < m_high;) {
    const unsigned char b = s[i];
    if (b == '\n') {
      ++row, col = 0, ++i;
      continue;
    }
    if (b == '\r') {
      col = 0, ++i;
      continue;
    }
    if (b == '\t') {
      col = (col / 8 + 1) * 8;
      ++i;
      continue;
    }
    char32_t ch;
    int width = 1;
    if (b >= 0x81 && b <= 0xFE && i + 1 < n && IsTrailByte(s[i + 1])) {
      ch = table.At(b, s[i + 1]);
      width = 2;
      i += 2;
    } else {
      // Control characters show as blanks; a byte that starts no character
      // (0x80, a lead byte without its second byte) as a question mark.
      ch = b < 0x20 || b == 0x7F ? U' ' : b >= 0x80 ? U'?' : b;
      ++i;
    }
    if (col + width <= m_wide) Put(col, row, ch, width);
    col += width;
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
  for (int c = 0; c < len; ++c)
    if (line[c] != kWideTail) AppendUtf8(out, line[c]);
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
    if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size() && IsTrailByte(s[i + 1]))
      AppendUtf8(out, Table().At(b, s[++i]));
    else
      out += b < 0x20 || b == 0x7F ? ' ' : b >= 0x80 ? '?' : static_cast<char>(b);
  }
  return out;
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t i = 0; i < utf8.size(); ++i) {
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

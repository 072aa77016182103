#include "platform/ProfileLines.h"

#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/Cp936.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

char FoldByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Section header "[name]": the name between '[' and the last ']' (or the line
// end), trimmed. Returns false when the line is not a header.
bool ParseHeader(std::string_view line, std::string_view* name) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return false;
  std::string_view inner = t.substr(1);
  const std::size_t close = cp936::FindLast(inner, ']');
  if (close != std::string_view::npos) inner = inner.substr(0, close);
  *name = Trim(inner);
  return true;
}

}  // namespace

ProfileLine ClassifyProfileLine(std::string_view line) {
  ProfileLine out;
  if (ParseHeader(line, &out.name)) {
    out.kind = ProfileLine::kSection;
    return out;
  }
  const std::string_view t = Trim(line);
  out.blank = t.empty();
  if (out.blank || t.front() == ';') return out;
  const std::size_t eq = cp936::FindFirst(line, '=');
  if (eq == std::string_view::npos) return out;
  out.kind = ProfileLine::kKey;
  out.name = ProfileKeyName(line, eq);
  out.value = ProfileKeyValue(line, eq);
  out.equals = eq;
  return out;
}

std::string_view ProfileKeyName(std::string_view line, std::size_t equals) {
  return Trim(line.substr(0, equals));
}

std::string_view ProfileKeyValue(std::string_view line, std::size_t equals) {
  return Unquote(Trim(line.substr(equals + 1)));
}

// Names are GBK: only single-byte characters are folded, so a trail byte
// that happens to be an ASCII letter never makes two characters equal.
bool ProfileNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t len = cp936::CharLength(a, i);
    if (len == 1 ? FoldByte(a[i]) != FoldByte(b[i]) : a.compare(i, 2, b.substr(i, 2)) != 0)
      return false;
    i += len;
  }
  return true;
}

std::string FoldProfileName(std::string_view name) {
  std::string out(name);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = cp936::CharLength(out, i);
    if (len == 1) out[i] = FoldByte(out[i]);
    i += len;
  }
  return out;
}

std::uint32_t ProfileNameHash(std::string_view name) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t len = cp936::CharLength(name, i);
    h = (h ^ static_cast<unsigned char>(len == 1 ? FoldByte(name[i]) : name[i])) * 1099511628211ull;
    if (len == 2) h = (h ^ static_cast<unsigned char>(name[i + 1])) * 1099511628211ull;
    i += len;
  }
  h ^= h >> 33;  // spread FNV's weak low bits over the slot index
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return static_cast<std::uint32_t>(h);
}

int ParseProfileInt(std::string_view value, int def) {
  std::string_view v = Trim(value);
  if (v.empty()) return def;
  bool negative = false;
  if (v.front() == '-') {
    negative = true;
    v.remove_prefix(1);
  }
  // Accumulate as a negative number so INT_MIN fits.
  long long acc = 0;
  for (char c : v) {
    if (c < '0' || c > '9') break;
    acc = acc * 10 - (c - '0');
    if (acc < static_cast<long long>(INT_MIN))
      acc = static_cast<long long>(INT_MIN) - 1;  // stays out of range, never overflows
  }
  if (negative) return acc < INT_MIN ? INT_MIN : static_cast<int>(acc);
  return -acc > INT_MAX ? INT_MAX : static_cast<int>(-acc);
}

LineReader::LineReader(int fd, std::size_t bufferBytes)
    : m_fd(fd), m_buffer(bufferBytes < 16 ? 16 : bufferBytes) {}

// Moves the unread bytes to the front (or makes room for a longer line) and
// reads more after them. False when nothing more could be read.
bool LineReader::Fill() {
  if (m_eof) return false;
  if (m_begin > 0) {
    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
    m_end -= m_begin;
    m_scanned -= m_begin;
    m_begin = 0;
  }
  if (m_end == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
  for (;;) {
    const ssize_t n = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (n > 0) {
      m_end += static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) m_failed = true;
    m_eof = true;
    return false;
  }
}

bool LineReader::Next(std::string_view* line) {
  for (;;) {
    const void* lf = std::memchr(m_buffer.data() + m_scanned, '\n', m_end - m_scanned);
    std::size_t stop;
    if (lf) {
      stop = static_cast<std::size_t>(static_cast<const char*>(lf) - m_buffer.data());
    } else {
      m_scanned = m_end;  // the bytes read so far hold no LF
      if (Fill()) continue;
      if (m_begin == m_end) return false;  // the last line ended with LF
      stop = m_end;
    }
    const char* base = m_buffer.data();
    std::size_t length = stop - m_begin;
    if (length > 0 && base[stop - 1] == '\r') --length;
    *line = std::string_view(base + m_begin, length);
    m_begin = m_scanned = lf ? stop + 1 : m_end;
    return true;
  }
}

}  // namespace platform

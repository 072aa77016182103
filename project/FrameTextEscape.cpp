#include "project/FrameTextEscape.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Cp936.h"

namespace output {

namespace cp936 = platform::cp936;

bool NeedsOctal(std::string_view s, std::size_t pos, std::size_t length) {
  if (length == 2) return s[pos + 1] == '\\';
  return cp936::IsLeadByte(static_cast<unsigned char>(s[pos]));
}

void AppendOctal(std::string& out, std::string_view bytes) {
  for (unsigned char b : bytes) {
    out += '\\';
    out += static_cast<char>('0' + (b >> 6));
    out += static_cast<char>('0' + ((b >> 3) & 7));
    out += static_cast<char>('0' + (b & 7));
  }
}

namespace {

// The one-line form of a frame. For the printf argument the text must also
// survive the compiler and printf itself; the project file keeps it plain.
// What each byte is to the escaping: copied as it is, escaped, or the lead
// byte of a two-byte character.
enum : unsigned char { kCopy, kEscape, kLead };

constexpr std::array<unsigned char, 256> MakeByteClasses() {
  std::array<unsigned char, 256> c{};
  for (char e : {'\\', '"', '\'', '\r', '\n', '%'}) c[static_cast<unsigned char>(e)] = kEscape;
  for (int b = 0x81; b <= 0xFE; ++b) c[b] = kLead;
  return c;
}
constexpr std::array<unsigned char, 256> kByteClass = MakeByteClasses();

// A lead byte that starts no character, right before a byte the escaping
// turns into a backslash sequence: stored raw, a reader would take the two
// for one character and lose the escape.
bool StrayBeforeEscape(std::string_view text, std::size_t i) {
  return i + 1 < text.size() && kByteClass[static_cast<unsigned char>(text[i + 1])] == kEscape &&
         text[i + 1] != '%';
}

// The first byte at or after i that is an escape or not ASCII, looking at
// sixteen bytes at a time; may stop short of it within the last fifteen.
// Pictures are mostly blanks and drawing characters: this is where a
// long export spends its time.
std::size_t SkipAscii(std::string_view text, std::size_t i) {
#if defined(__SSE2__)
  const __m128i specials[] = {_mm_set1_epi8('\\'), _mm_set1_epi8('"'),  _mm_set1_epi8('\''),
                              _mm_set1_epi8('\r'), _mm_set1_epi8('\n'), _mm_set1_epi8('%')};
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    __m128i hit = v;  // the sign bit marks bytes from 0x80 on
    for (const __m128i& c : specials) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, c));
    if (const int mask = _mm_movemask_epi8(hit))
      return i + static_cast<unsigned>(__builtin_ctz(mask));
  }
#endif
  return i;
}

// Bytes from i on that go out unchanged: most of a picture, copied in one go.
std::size_t PlainRun(std::string_view text, std::size_t i, bool forPrintf) {
  const std::size_t start = i;
  while (i < text.size()) {
    i = SkipAscii(text, i);
    if (i >= text.size()) break;
    const unsigned char kind = kByteClass[static_cast<unsigned char>(text[i])];
    if (kind == kCopy) {
      ++i;
      continue;
    }
    if (kind == kEscape) break;
    const std::size_t length = cp936::CharLength(text, i);
    if (forPrintf && NeedsOctal(text, i, length)) break;
    if (!forPrintf && length == 1 && StrayBeforeEscape(text, i)) break;
    i += length;
  }
  return i - start;
}

std::string EscapeFrame(std::string_view text, bool forPrintf) {
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 8);
  for (std::size_t i = 0; i < text.size();) {
    if (const std::size_t run = PlainRun(text, i, forPrintf)) {
      out.append(text.substr(i, run));
      i += run;
      continue;
    }
    const std::size_t length = cp936::CharLength(text, i);
    if (forPrintf && NeedsOctal(text, i, length)) {
      AppendOctal(out, text.substr(i, length));
      i += length;
      continue;
    }
    if (length == 2) {
      out.append(text.substr(i, 2));
      i += 2;
      continue;
    }
    if (!forPrintf && length == 1 && cp936::IsLeadByte(static_cast<unsigned char>(text[i])) &&
        StrayBeforeEscape(text, i)) {
      out += '?';  // the one byte that cannot be stored as it is
      ++i;
      continue;
    }
    const char c = text[i++];
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\'':
        out += "\\'";
        break;
      // In the program, raw line-end bytes would break the C literal.
      case '\r':
        if (i < text.size() && text[i] == '\n') {
          out += "\\n";
          ++i;
        } else {
          out += forPrintf ? "\\r" : "\r";
        }
        break;
      case '\n':
        out += forPrintf ? "\\n" : "\n";
        break;
      case '%':
        out += forPrintf ? "%%" : "%";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The next 0x5C byte at or after from. Escapes come close together (every
// line break of a picture is one), so the search is inline rather than a
// library call per escape.
std::size_t NextBackslashByte(std::string_view s, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i backslash = _mm_set1_epi8('\\');
  for (; i + 16 <= s.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, backslash)))
      return i + static_cast<unsigned>(__builtin_ctz(mask));
  }
#endif
  for (; i < s.size(); ++i)
    if (s[i] == '\\') return i;
  return std::string_view::npos;
}

}  // namespace

std::string EscapeFrameText(std::string_view frameGbk) { return EscapeFrame(frameGbk, false); }

std::string EscapeFrameLiteral(std::string_view frameGbk) { return EscapeFrame(frameGbk, true); }

std::string UnescapeFrameText(std::string_view s) {
  if (s.empty()) return {};
  // Every escape is two bytes and gives at most two: the text never grows.
  // Reserved, not filled: the text is written once, not zeroed first.
  std::string out;
  out.reserve(s.size());
  std::size_t copied = 0;    // s[copied, p) is still to be copied as it is
  std::size_t boundary = 0;  // a character starts here
  while (boundary < s.size()) {
    const std::size_t p = NextBackslashByte(s, boundary);
    if (p == std::string_view::npos) break;
    // Is this 0x5C a backslash or the second byte of a two-byte character?
    // Every lead byte is also a valid second byte, so the run of lead bytes
    // right before it pairs up from its start, which is a character
    // boundary (`boundary`, or the byte after one that is no lead byte and
    // so ends a character); an odd run leaves its last lead byte to pair
    // with the 0x5C. The scan is thus exactly cp936::CharLength's, while
    // the bytes between backslashes are skipped unread.
    std::size_t run = 0;
    while (p - run > boundary && static_cast<unsigned char>(s[p - run - 1]) >= 0x80 &&
           cp936::IsLeadByte(static_cast<unsigned char>(s[p - run - 1])))
      ++run;
    if (run % 2 == 1) {
      boundary = p + 1;
      continue;
    }
    out.append(s.data() + copied, p - copied);
    const char next = p + 1 < s.size() ? s[p + 1] : '\0';
    switch (next) {
      case '\\':
      case '"':
      case '\'':
        out += next;
        break;
      case 'n':
        out.append("\r\n", 2);
        break;
      default:  // not an escape this tool writes: the backslash stays
        out += '\\';
        copied = boundary = p + 1;
        continue;
    }
    copied = boundary = p + 2;
  }
  out.append(s.data() + copied, s.size() - copied);
  return out;
}

}  // namespace output

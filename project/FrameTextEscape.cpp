#include "project/FrameTextEscape.h"

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

bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// The bytes the one-line form escapes; the printf literal adds '%'.
bool IsEscaped(unsigned char b, bool forPrintf) {
  return b == '\\' || b == '"' || b == '\'' || b == '\r' || b == '\n' || (forPrintf && b == '%');
}

// Where the escaping may have work to do: an escaped byte, and, in the
// printf literal, a lead byte that no trail byte follows (it may start no
// character). Everything else is copied as it is.
bool IsCandidate(std::string_view s, std::size_t i, bool forPrintf) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (IsEscaped(b, forPrintf)) return true;
  return forPrintf && IsLead(b) &&
         (i + 1 == s.size() || !IsTrail(static_cast<unsigned char>(s[i + 1])));
}

#if defined(__SSE2__)
// Per byte of v, all ones where it is 0x81..0xFE.
__m128i LeadBytes(__m128i v) {
  return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(0x80))),
                       _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(0xFF))));
}
#endif

// The first candidate at or after i, or the text's size. Sixteen bytes at a
// time: a picture's bytes are almost all copied as they are.
std::size_t NextCandidate(std::string_view s, std::size_t i, bool forPrintf) {
#if defined(__SSE2__)
  const __m128i backslash = _mm_set1_epi8('\\'), quote = _mm_set1_epi8('"'),
                apostrophe = _mm_set1_epi8('\''), cr = _mm_set1_epi8('\r'),
                lf = _mm_set1_epi8('\n'), percent = _mm_set1_epi8(forPrintf ? '%' : '\\');
  const __m128i below40 = _mm_set1_epi8(0x40), del = _mm_set1_epi8(0x7F),
                ff = _mm_set1_epi8(static_cast<char>(0xFF)), minusOne = _mm_set1_epi8(-1);
  for (; i + 17 <= s.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    __m128i hit = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(v, backslash), _mm_cmpeq_epi8(v, quote)),
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, apostrophe), _mm_cmpeq_epi8(v, cr)),
                     _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, percent))));
    if (forPrintf) {
      // A lead byte before a byte that is no trail byte: 0x00..0x3F, 0x7F, 0xFF.
      const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i + 1));
      const __m128i noTrail = _mm_or_si128(
          _mm_and_si128(_mm_cmpgt_epi8(after, minusOne), _mm_cmplt_epi8(after, below40)),
          _mm_or_si128(_mm_cmpeq_epi8(after, del), _mm_cmpeq_epi8(after, ff)));
      hit = _mm_or_si128(hit, _mm_and_si128(LeadBytes(v), noTrail));
    }
    if (const int mask = _mm_movemask_epi8(hit))
      return i + static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  for (; i < s.size(); ++i)
    if (IsCandidate(s, i, forPrintf)) return i;
  return s.size();
}

// How many lead bytes (0x81..0xFE) stand right before p, back to from.
// Every lead byte is also a trail byte, so where such a run starts at a
// character boundary its bytes pair up from the start: an odd run leaves its
// last byte to start the character that p's byte may end. A Chinese row is
// one such run, so it is measured sixteen bytes at a time.
std::size_t LeadRunBefore(std::string_view s, std::size_t from, std::size_t p) {
  std::size_t i = p;
#if defined(__SSE2__)
  while (i >= from + 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i - 16));
    const unsigned lead = static_cast<unsigned>(_mm_movemask_epi8(LeadBytes(v)));
    if (lead != 0xFFFF) return p - i + static_cast<unsigned>(__builtin_clz(~lead & 0xFFFF) - 16);
    i -= 16;
  }
#endif
  while (i > from && IsLead(static_cast<unsigned char>(s[i - 1]))) --i;
  return p - i;
}

// The one-line form of a frame. For the printf argument the text must also
// survive the compiler and printf itself; the project file keeps it plain.
// Bytes between candidates go out in one piece; at each candidate the run
// of lead bytes before it tells which character it belongs to.
std::string EscapeFrame(std::string_view text, bool forPrintf) {
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 8);
  std::size_t copied = 0;  // text[copied, ...) is not written yet
  std::size_t from = 0;    // a character starts here, and no candidate is before it
  for (;;) {
    const std::size_t p = NextCandidate(text, from, forPrintf);
    if (p >= text.size()) break;
    const auto b = static_cast<unsigned char>(text[p]);
    const bool afterLead = p > from && IsLead(static_cast<unsigned char>(text[p - 1])) &&
                           LeadRunBefore(text, from, p) % 2 == 1;
    if (!IsEscaped(b, forPrintf)) {
      // A lead byte no trail byte follows: the second byte of a character,
      // or a byte that starts none, which the compiler must see in octal.
      if (!afterLead) {
        out.append(text, copied, p - copied);
        AppendOctal(out, text.substr(p, 1));
        copied = p + 1;
      }
      from = p + 1;
      continue;
    }
    if (afterLead && b == '\\') {
      // The second byte of a two-byte character: kept single in the
      // project file, octal for the compiler.
      if (forPrintf) {
        out.append(text, copied, p - 1 - copied);
        AppendOctal(out, text.substr(p - 1, 2));
        copied = p + 1;
      }
      from = p + 1;
      continue;
    }
    if (afterLead) {
      // A lead byte that starts no character, right before an escape:
      // stored raw, a reader would take the two for one character and
      // lose the escape.
      out.append(text, copied, p - 1 - copied);
      if (forPrintf)
        AppendOctal(out, text.substr(p - 1, 1));
      else
        out += '?';
    } else {
      out.append(text, copied, p - copied);
    }
    std::size_t next = p + 1;
    switch (b) {
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
        if (next < text.size() && text[next] == '\n') {
          out += "\\n";
          ++next;
        } else {
          out += forPrintf ? "\\r" : "\r";
        }
        break;
      case '\n':
        out += forPrintf ? "\\n" : "\n";
        break;
      default:  // '%', in the printf literal
        out += "%%";
    }
    copied = from = next;
  }
  out.append(text, copied, text.size() - copied);
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
    if (p > boundary && IsLead(static_cast<unsigned char>(s[p - 1])) &&
        LeadRunBefore(s, boundary, p) % 2 == 1) {
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

#include "platform/Cp936.h"

#include <iconv.h>
#include <cerrno>

namespace platform::cp936 {
namespace {

constexpr char32_t kRawBase = 0x10FF00;  // raw byte b travels as U+10FF00 + b
constexpr char32_t kEuro = 0x20AC;       // single byte 0x80 in code page 936
constexpr char32_t kReplacement = 0xFFFD;
const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Opening a converter loads a gconv module and costs far more than converting
// a short frame text, so each thread keeps its pair open.
struct Converters {
  iconv_t toUtf8 = kNoHandle;
  iconv_t toGbk = kNoHandle;
  Converters() {
    // glibc knows both names for the same table; CP936 first, GBK as fallback.
    for (const char* name : {"CP936", "GBK"}) {
      if (toUtf8 == kNoHandle) toUtf8 = iconv_open("UTF-8", name);
      if (toGbk == kNoHandle) toGbk = iconv_open(name, "UTF-8");
    }
  }
  ~Converters() {
    if (toUtf8 != kNoHandle) iconv_close(toUtf8);
    if (toGbk != kNoHandle) iconv_close(toGbk);
  }
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;
};

Converters& ThreadConverters() {
  thread_local Converters converters;
  return converters;
}

// Decodes one well-formed UTF-8 sequence at s[pos]; returns its length, or 0
// when the byte there does not start one (overlong forms, surrogates and
// values past U+10FFFF are not well-formed).
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  std::size_t len;
  char32_t v;
  char32_t min;
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, v = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, v = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, v = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - pos < len) return 0;
  for (std::size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    v = (v << 6) | (b & 0x3F);
  }
  if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *cp = v;
  return len;
}

// Runs iconv over the input, appending to out. Returns the number of input
// bytes consumed; *err is 0 on success or the errno that stopped the
// conversion (EILSEQ / EINVAL) there. Output goes through a fixed buffer so
// that text with many bad bytes, which restarts here once per bad byte,
// costs only what it converts.
std::size_t RunIconv(iconv_t cd, std::string_view in, std::string& out, int* err) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  *err = 0;
  char buf[4096];
  while (inLeft > 0) {
    char* outPtr = buf;
    std::size_t outLeft = sizeof buf;
    const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const int e = errno;
    out.append(buf, sizeof buf - outLeft);
    if (r != static_cast<std::size_t>(-1)) break;
    if (e != E2BIG) {
      *err = e;
      break;
    }
  }
  return in.size() - inLeft;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

std::size_t CharLength(std::string_view s, std::size_t pos) {
  // A lead byte whose follower cannot be a trail byte stands alone, so a
  // stray lead byte never swallows a line end or a delimiter.
  if (pos + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[pos])) &&
      IsTrailByte(static_cast<unsigned char>(s[pos + 1])))
    return 2;
  return 1;
}

std::size_t FindFirst(std::string_view s, char c, std::size_t from) {
  for (std::size_t i = from; i < s.size();) {
    const std::size_t len = CharLength(s, i);
    if (len == 1 && s[i] == c) return i;
    i += len;
  }
  return std::string_view::npos;
}

std::size_t FindLast(std::string_view s, char c) {
  // Character boundaries are only known scanning forwards.
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = CharLength(s, i);
    if (len == 1 && s[i] == c) found = i;
    i += len;
  }
  return found;
}

std::string ToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  const iconv_t cd = ThreadConverters().toUtf8;
  std::size_t pos = 0;
  while (pos < gbk.size()) {
    // Plain ASCII needs no converter.
    std::size_t run = pos;
    while (run < gbk.size() && static_cast<unsigned char>(gbk[run]) < 0x80) ++run;
    out.append(gbk.data() + pos, run - pos);
    pos = run;
    if (pos == gbk.size()) break;

    if (cd != kNoHandle) {
      int err = 0;
      pos += RunIconv(cd, gbk.substr(pos), out, &err);
      if (err == 0) break;
    }
    // The byte at pos starts nothing iconv accepts.
    const auto b = static_cast<unsigned char>(gbk[pos]);
    if (b == 0x80) {
      AppendUtf8(out, kEuro);
      ++pos;
      continue;
    }
    const std::size_t len = CharLength(gbk, pos);
    for (std::size_t i = 0; i < len; ++i)
      AppendUtf8(out, kRawBase + static_cast<unsigned char>(gbk[pos + i]));
    pos += len;
  }
  return out;
}

GbkResult ToGbk(std::string_view utf8) {
  GbkResult result;
  result.bytes.reserve(utf8.size());
  const iconv_t cd = ThreadConverters().toGbk;

  // Converts utf8[from, to), which holds only well-formed characters that
  // need the table; characters GBK lacks are reported one by one.
  auto convertRun = [&](std::size_t from, std::size_t to) {
    while (from < to) {
      if (cd != kNoHandle) {
        int err = 0;
        from += RunIconv(cd, utf8.substr(from, to - from), result.bytes, &err);
        if (err == 0 || from >= to) break;
      }
      char32_t cp = 0;
      std::size_t len = DecodeUtf8(utf8, from, &cp);
      if (len == 0) len = 1;  // cannot happen: the run was checked
      if (cp == kEuro)
        result.bytes += static_cast<char>(0x80);
      else
        result.unmappable.push_back(cp);
      from += len;
    }
  };

  std::size_t pos = 0;
  std::size_t runStart = 0;
  while (pos < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      if (runStart == pos) {
        result.bytes += static_cast<char>(b);
        runStart = ++pos;
      } else {
        ++pos;  // ASCII inside a run: iconv copies it
      }
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = DecodeUtf8(utf8, pos, &cp);
    if (len != 0 && cp < kRawBase) {
      pos += len;
      continue;
    }
    convertRun(runStart, pos);
    if (len == 0) {
      result.unmappable.push_back(kReplacement);
      pos += 1;
    } else {
      result.bytes += static_cast<char>(cp - kRawBase);
      pos += len;
    }
    runStart = pos;
  }
  convertRun(runStart, pos);
  return result;
}

}  // namespace platform::cp936

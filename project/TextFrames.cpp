#include "project/TextFrames.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "document/AnimationFiles.h"
#include "platform/Cp936.h"
#include "platform/SafeFile.h"
#include "project/ProjectStream.h"
#include "project/StampClaim.h"
#include "res/Printable.h"
#include "res/Texts.h"

using document::Animation;
using document::AnimationPaths;
using document::EmptyFrameText;
using document::FrameText;
using document::MakeCreationStamp;
using document::MakeFrameText;

namespace output {

namespace {

constexpr char32_t kBadByteBase = 0x10FF00;  // how cp936::ToUtf8 carries a stray byte
constexpr std::size_t kReadBuffer = 64 << 10;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string CancelledText() { return res::Format(res::kJobCancelled, {res::kJobImportText}); }

// Bytes that end a run of plain text: the C0 controls and DEL. None of them
// is ever the second byte of a GBK character, so the split is the same in
// both encodings.
constexpr bool IsSpecial(unsigned char c) { return c < 0x20 || c == 0x7F; }

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

std::uint64_t Word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// Whether any of eight bytes is special: below 0x20 (the borrow trick is
// exact for "any") or equal to 0x7F.
bool AnySpecial(std::uint64_t w) {
  const std::uint64_t below = (w - kOnes * 0x20) & ~w & kHighs;
  const std::uint64_t del = w ^ (kOnes * 0x7F);
  return (below | ((del - kOnes) & ~del & kHighs)) != 0;
}

// Where the next special byte is, from i on; n when there is none.
std::size_t NextSpecial(std::string_view s, std::size_t i) {
  const std::size_t n = s.size();
  while (i + 8 <= n && !AnySpecial(Word(s.data() + i))) i += 8;
  while (i < n && !IsSpecial(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

std::string Where(std::uint64_t line, std::uint64_t column) {
  return res::Format(res::kTextWhere, {std::to_string(line), std::to_string(column)});
}

// Why a line (UTF-8) cannot become a frame's GBK: the first control
// character, the first character GBK cannot hold, or, in a text read as GBK,
// the first byte that starts no GBK character. firstColumn is the column of
// the line's first character.
std::string LineProblem(std::string_view line, std::uint64_t lineNumber, std::uint64_t firstColumn,
                        bool readAsGbk) {
  std::uint64_t column = firstColumn;
  for (std::size_t i = 0; i < line.size(); ++column) {
    char32_t cp = 0;
    std::size_t n = res::DecodeUtf8Char(line, i, &cp);
    if (n == 0) n = 1, cp = 0xFFFD;  // cannot happen in a text checked to be UTF-8
    const bool carried = cp >= kBadByteBase && cp <= kBadByteBase + 0xFF;
    if (readAsGbk && carried) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(cp - kBadByteBase));
      return res::Format(res::kTextNotText, {Where(lineNumber, column), hex});
    }
    if (cp != '\t' && (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F))) {
      return res::Format(res::kTextControl, {Where(lineNumber, column), res::CodePointName(cp)});
    }
    if (!readAsGbk && (carried || !platform::cp936::ToGbk(line.substr(i, n)).ok())) {
      return res::Format(res::kTextNotGbk,
                         {Where(lineNumber, column), res::Printable(line.substr(i, n))});
    }
    i += n;
  }
  return {};
}

// The first problem of a frame's text (UTF-8), lines split at CR LF.
std::string FrameProblem(std::string_view frame, std::uint64_t line, std::uint64_t column,
                         bool readAsGbk) {
  for (std::size_t pos = 0;; ++line, column = 1) {
    const std::size_t end = frame.find("\r\n", pos);
    const std::string_view text = frame.substr(pos, end == frame.npos ? frame.npos : end - pos);
    std::string problem = LineProblem(text, line, column, readAsGbk);
    if (!problem.empty() || end == frame.npos) return problem;
    pos = end + 2;
  }
}

// A C1 control (U+0080..U+009F) in UTF-8 is C2 followed by 80..9F.
bool HasC1(std::string_view utf8) {
  for (std::size_t i = utf8.find('\xC2'); i != utf8.npos; i = utf8.find('\xC2', i + 1))
    if (i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) return true;
  return false;
}

}  // namespace

std::string ByteSize(std::uint64_t bytes) {
  const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  while (unit < 4 && bytes >= 1024 && bytes % 1024 == 0) bytes /= 1024, ++unit;
  return std::to_string(bytes) + " " + units[unit];
}

TextFrameReader::TextFrameReader(TextFrameOptions options) : m_options(std::move(options)) {
  // A form feed breaks the frame before a line could equal "\f".
  m_matchSeparator = m_options.blockHeight <= 0 && m_options.separator != "\f";
  const platform::cp936::GbkResult gbk = platform::cp936::ToGbk(m_options.separator);
  if (gbk.ok() && gbk.bytes != m_options.separator) m_separatorGbk = gbk.bytes;
}

void TextFrameReader::Refuse(std::string message) {
  m_error = std::move(message);
  // What was kept is no use now: give the memory back at once.
  std::vector<std::string>().swap(m_frames);
  std::vector<Place>().swap(m_starts);
  std::string().swap(m_frame);
}

std::uint64_t TextFrameReader::CharsOf(std::string_view bytes) const {
  std::uint64_t n = 0;
  if (m_utf8) {
    for (const char c : bytes) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  } else {
    for (std::size_t i = 0; i < bytes.size(); ++n) i += platform::cp936::CharLength(bytes, i);
  }
  return n;
}

// The column the next character of the current line would be in.
std::uint64_t TextFrameReader::Column() const {
  return m_columnsBefore + CharsOf(std::string_view(m_frame).substr(m_lineStart)) + 1;
}

bool TextFrameReader::Feed(std::string_view bytes) {
  if (!m_error.empty()) return false;
  try {
    m_read += bytes.size();
    if (m_read > m_options.maxTextBytes) {
      Refuse(res::Format(res::kTextTooLarge, {ByteSize(m_options.maxTextBytes)}));
      return false;
    }
    if (!m_headDone) {
      // The byte-order mark may come split over several pieces.
      while (!bytes.empty() && m_head.size() < kByteOrderMark.size() &&
             bytes[0] == kByteOrderMark[m_head.size()]) {
        m_head += bytes[0];
        bytes.remove_prefix(1);
      }
      if (m_head.size() == kByteOrderMark.size()) {
        m_headDone = true;
      } else if (!bytes.empty()) {
        m_headDone = true;
        Take(m_head);
      }
      if (!m_headDone) return true;
    }
    Take(bytes);
  } catch (const std::bad_alloc&) {
    Refuse(res::kTextOutOfMemory);
  }
  return m_error.empty();
}

void TextFrameReader::TakeUtf8State(std::string_view bytes) {
  if (!m_utf8) return;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  // A character cut off by the end of the last piece first.
  for (; m_utf8Due > 0 && i < n; ++i) {
    if (p[i] < m_utf8Low || p[i] > m_utf8High) {
      m_utf8 = false;
      return;
    }
    m_utf8Low = 0x80, m_utf8High = 0xBF;
    --m_utf8Due;
  }
  const auto follows = [&](std::size_t k) { return (p[k] & 0xC0) == 0x80; };
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      // Plain ASCII runs go eight bytes at a time.
      ++i;
      while (i + 8 <= n && (Word(bytes.data() + i) & kHighs) == 0) i += 8;
      continue;
    }
    // Whole characters, the ranges of the second byte checked where they
    // narrow (no overlong form, no surrogate, nothing past U+10FFFF).
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      m_utf8 = false;
      return;
    }
    if (i + length > n) {
      // Cut off: what is there must fit, the rest is due with the next piece.
      std::size_t k = i + 1;
      if (k < n && (p[k] < low || p[k] > high)) {
        m_utf8 = false;
        return;
      }
      for (++k; k < n; ++k)
        if (!follows(k)) {
          m_utf8 = false;
          return;
        }
      m_utf8Due = static_cast<int>(i + length - n);
      const bool secondDue = i + 1 == n;
      m_utf8Low = secondDue ? low : 0x80;
      m_utf8High = secondDue ? high : 0xBF;
      return;
    }
    bool ok = p[i + 1] >= low && p[i + 1] <= high;
    for (std::size_t k = 2; k < length; ++k) ok = ok && follows(i + k);
    if (!ok) {
      m_utf8 = false;
      return;
    }
    i += length;
  }
}

void TextFrameReader::Take(std::string_view bytes) {
  m_text += bytes.size();
  TakeUtf8State(bytes);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n && m_error.empty();) {
    const std::size_t j = NextSpecial(bytes, i);
    if (j > i) AppendText(bytes.substr(i, j - i));
    if (j == n || !m_error.empty()) break;
    const char c = bytes[j];
    i = j + 1;
    if (c == '\n' && m_afterCr) {
      m_afterCr = false;  // the LF of a CR LF
    } else if (c == '\n' || c == '\r') {
      EndLine();
      m_afterCr = c == '\r';
    } else if (c == '\f') {
      FormFeed();
    } else if (c == '\t') {
      AppendText("\t");
    } else {
      Refuse(res::Format(res::kTextControl, {Where(m_line, Column()),
                                             res::CodePointName(static_cast<unsigned char>(c))}));
    }
  }
}

void TextFrameReader::AppendText(std::string_view text) {
  if (m_frame.empty() && m_frameLines == 0) m_start = {m_line, m_columnsBefore + 1};
  m_afterCr = m_afterFormFeed = false;
  m_lineBytes += text.size();
  if (m_lineBytes > m_options.maxLineBytes) {
    Refuse(res::Format(res::kTextLineTooLong,
                       {std::to_string(m_line), ByteSize(m_options.maxLineBytes)}));
    return;
  }
  if (m_frame.size() + text.size() > m_options.maxFrameBytes) {
    Refuse(res::Format(res::kTextFrameTooLarge,
                       {std::to_string(m_frames.size() + 1), std::to_string(m_start.line),
                        ByteSize(m_options.maxFrameBytes)}));
    return;
  }
  m_frame.append(text);
}

void TextFrameReader::EndLine() {
  const bool partOfBreak = m_afterFormFeed;
  m_afterFormFeed = false;
  m_lineBytes = 0;
  m_columnsBefore = 0;
  ++m_line;
  if (partOfBreak) return;
  if (m_frame.empty() && m_frameLines == 0) m_start = {m_line - 1, 1};
  const std::string_view line = std::string_view(m_frame).substr(m_lineStart);
  if (m_matchSeparator &&
      (line == m_options.separator || (!m_separatorGbk.empty() && line == m_separatorGbk))) {
    m_frame.resize(m_lineStart);
    FinishFrame();
    return;
  }
  if (m_frame.size() + 2 > m_options.maxFrameBytes) {
    Refuse(res::Format(res::kTextFrameTooLarge,
                       {std::to_string(m_frames.size() + 1), std::to_string(m_start.line),
                        ByteSize(m_options.maxFrameBytes)}));
    return;
  }
  m_frame += "\r\n";
  m_lineStart = m_frame.size();
  ++m_frameLines;
  if (m_options.blockHeight > 0 && m_frameLines == m_options.blockHeight) FinishFrame();
}

void TextFrameReader::FormFeed() {
  m_afterCr = false;
  const bool lineHasText = m_frame.size() > m_lineStart;
  m_columnsBefore = Column();  // the form feed takes a column of its own
  ++m_lineBytes;
  // A block that has not begun is not cut: form feed lines between blocks
  // of --play's output change nothing.
  if (m_options.blockHeight <= 0 || m_frameLines > 0 || lineHasText) FinishFrame();
  m_afterFormFeed = true;
}

void TextFrameReader::FinishFrame() {
  if (m_error.empty() && m_frames.size() >= static_cast<std::size_t>(m_options.maxFrames)) {
    Refuse(res::Format(res::kTextTooManyFrames, {std::to_string(m_options.maxFrames)}));
    return;
  }
  // The line break after the last whole line is no part of the frame.
  if (m_frame.size() == m_lineStart && m_frameLines > 0) m_frame.resize(m_frame.size() - 2);
  // A copy of the exact size: the buffer keeps its room for the next frame.
  m_frames.emplace_back(m_frame);
  m_starts.push_back(m_start);
  m_frame.clear();
  m_frameLines = 0;
  m_lineStart = 0;
  m_start = {m_line, m_columnsBefore + 1};
}

bool TextFrameReader::ConvertFrame(std::size_t index, document::FrameText* out) {
  std::string& raw = m_frames[index];
  const Place start = m_starts[index];
  if (raw.empty()) {
    *out = document::EmptyFrameText();
    return true;
  }
  if (m_utf8) {
    platform::cp936::GbkResult gbk = platform::cp936::ToGbk(raw);
    // The private code points stand for stray bytes in a GBK text; typed
    // into a UTF-8 text they would sneak such bytes into the frame.
    if (!gbk.ok() || HasC1(raw) || raw.find("\xF4\x8F") != raw.npos) {
      std::string problem = FrameProblem(raw, start.line, start.column, false);
      if (!problem.empty()) {
        Refuse(std::move(problem));
        return false;
      }
    }
    *out = document::MakeFrameText(std::move(gbk.bytes));
  } else {
    const std::string utf8 = platform::cp936::ToUtf8(raw);
    if (utf8.find("\xF4\x8F") != utf8.npos) {
      std::string problem = FrameProblem(utf8, start.line, start.column, true);
      if (!problem.empty()) {
        Refuse(std::move(problem));
        return false;
      }
    }
    *out = document::MakeFrameText(std::move(raw));
  }
  std::string().swap(raw);
  return true;
}

TextFramesResult TextFrameReader::Finish(platform::JobProgress* progress) {
  TextFramesResult result;
  try {
    if (m_error.empty() && !m_headDone) {
      m_headDone = true;
      if (m_head.size() < kByteOrderMark.size()) Take(m_head);
    }
    if (m_error.empty() && m_text == 0) Refuse(res::kTextFramesEmpty);
    if (m_error.empty()) {
      if (m_utf8Due > 0) m_utf8 = false;  // cut off inside a character
      // An unended last line is a line; the last frame follows the last
      // break, even when empty, but a block needs a line.
      if (m_frame.size() > m_lineStart) EndLine();
      if (m_error.empty() && (m_options.blockHeight <= 0 || m_frameLines > 0 || !m_frame.empty()))
        FinishFrame();
    }
    result.utf8 = m_utf8;
    if (m_error.empty()) {
      platform::BeginStage(progress, res::kJobImportText, m_frames.size());
      result.frames.resize(m_frames.size());
      for (std::size_t i = 0; i < m_frames.size() && m_error.empty(); ++i) {
        if (!platform::AdvanceStage(progress, i)) Refuse(CancelledText());
        if (m_error.empty()) ConvertFrame(i, &result.frames[i]);
      }
    }
  } catch (const std::bad_alloc&) {
    result.frames = {};
    Refuse(res::kTextOutOfMemory);
  }
  if (!m_error.empty()) result.frames = {};
  result.error = m_error;
  return result;
}

TextFramesResult SplitTextFrames(std::string_view text, const TextFrameOptions& options) {
  TextFrameReader reader(options);
  reader.Feed(text);
  return reader.Finish();
}

TextFramesResult ReadTextFrames(int fd, const std::string& name, const TextFrameOptions& options,
                                platform::JobProgress* progress) {
  TextFrameReader reader(options);
  std::vector<char> buffer(kReadBuffer);
  platform::BeginStage(progress, res::kJobImportText, 0);
  for (;;) {
    if (!platform::AdvanceStage(progress, reader.FramesRead())) {
      TextFramesResult cancelled;
      cancelled.error = CancelledText();
      return cancelled;
    }
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      TextFramesResult failed;
      failed.error =
          res::Format(res::kTextUnreadable, {res::Printable(name), std::strerror(errno)});
      return failed;
    }
    if (got == 0 || !reader.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(got))))
      break;
  }
  return reader.Finish(progress);
}

TextFramesResult ReadTextFramesFile(const std::string& path, const TextFrameOptions& options,
                                    platform::JobProgress* progress) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    TextFramesResult failed;
    failed.error = res::Format(res::kTextUnreadable, {res::Printable(path), std::strerror(errno)});
    return failed;
  }
  TextFramesResult result = ReadTextFrames(fd, path, options, progress);
  ::close(fd);
  return result;
}

Animation MakeTextAnimation(std::vector<FrameText> frames, Animation animation) {
  animation.m_frames.Reserve(animation.m_frames.Size() + frames.size());
  for (FrameText& text : frames) animation.m_frames.Append(std::move(text));
  return animation;
}

std::string WriteNewProject(const std::string& programFolder, const platform::LocalTime& now,
                            const Animation& animation, std::string* path,
                            platform::JobProgress* progress) {
  std::string claimed;
  if (std::string problem = ClaimNewProject(programFolder, now, &claimed); !problem.empty())
    return problem;
  ProjectResult written;
  try {
    // The claimed file is empty and ours: nothing in it to keep.
    written = WriteNewProjectFile(animation, claimed, progress);
  } catch (const std::bad_alloc&) {
    written.error = res::kTextOutOfMemory;
  }
  if (!written.ok()) {
    platform::RemoveFile(claimed);
    return written.error;
  }
  *path = claimed;
  return {};
}

}  // namespace output

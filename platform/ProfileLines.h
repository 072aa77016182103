#pragma once
// A profile (INI) file line by line: how one line reads, and a reader that
// hands out the lines of a file through a buffer of a fixed size. The
// whole-file profile (platform/ProfileFile) reads its lines by these rules;
// readers and writers that stream a file instead of holding it (a project of
// a million pictures is two gigabytes of text) use them directly.
//
// A line is a section header "[name]" (the name between '[' and the last
// ']', or the line end, trimmed), a comment (';' after blanks), or a key line
// "name=value" split at its first '='. Names and values are trimmed of
// blanks (space, tab); one pair of double or single quotes enclosing the
// whole value is removed. Section and key names match without regard to
// ASCII case. Text is GBK bytes: a second byte is never taken for '=', ']'
// or a letter.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One line of a profile file, as the rules above read it.
struct ProfileLine {
  enum Kind { kOther, kSection, kKey };
  Kind kind = kOther;
  bool blank = false;                           // nothing but blanks
  std::string_view name;                        // section or key name, trimmed
  std::string_view value;                       // a key's value, trimmed and unquoted
  std::size_t equals = std::string_view::npos;  // where a key line's first '=' is
};
// A key line is only a key inside a section; before the first section the
// caller keeps it as it is.
ProfileLine ClassifyProfileLine(std::string_view line);

// A key line's name and value, given its first '=' (ProfileLine::equals):
// the same views ClassifyProfileLine gives.
std::string_view ProfileKeyName(std::string_view line, std::size_t equals);
std::string_view ProfileKeyValue(std::string_view line, std::size_t equals);

// Section and key names compare without regard to ASCII case (GBK aware).
bool ProfileNamesEqual(std::string_view a, std::string_view b);

// The name with its ASCII letters made small: names ProfileNamesEqual finds
// equal fold to the same string.
std::string FoldProfileName(std::string_view name);

// A hash of the folded name, without folding it first: names
// ProfileNamesEqual finds equal hash alike.
std::uint32_t ProfileNameHash(std::string_view name);

// A value's number (already trimmed and unquoted): leading decimal digits
// after an optional '-', held to the range of int; def when the value is
// empty; 0 when it starts with no digit.
int ParseProfileInt(std::string_view value, int def);

// Hands out the lines of a file (without LF, or CR LF) through one buffer of
// a fixed size; only a line longer than the buffer makes it grow.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBuffer = std::size_t{1} << 20;
  explicit LineReader(int fd, std::size_t bufferBytes = kDefaultBuffer);
  // The next line, valid until the next call; false at the end of the file
  // or on a read error.
  bool Next(std::string_view* line);
  bool Failed() const { return m_failed; }

 private:
  bool Fill();
  int m_fd;
  std::vector<char> m_buffer;
  std::size_t m_begin = 0;  // the unread bytes are [m_begin, m_end)
  std::size_t m_end = 0;
  std::size_t m_scanned = 0;  // no LF in [m_begin, m_scanned)
  bool m_eof = false;
  bool m_failed = false;
};

}  // namespace platform

#pragma once
// INI profile files, read and written the way the classic Windows profile
// functions do, so project and settings files stay interchangeable with them.
//
// Reading: section and key names match without regard to ASCII case; values
// are trimmed of blanks; one pair of double or single quotes enclosing the
// whole value is removed; a missing key gives the caller's default; the first
// of duplicate sections/keys wins; LF and CR LF files are both read.
// Writing: a key's value is replaced in place, every other line is kept; new
// keys go at the end of their section, new sections at the end of the file;
// written lines end with CR LF. Values are bytes: no conversion.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SafeFile.h"

namespace platform {

// Load once, many gets and sets, save once: each lookup and each set is O(1)
// on average, so a project with a key per frame costs one pass over the file.
class ProfileFile {
 public:
  ProfileFile();
  ~ProfileFile();
  ProfileFile(ProfileFile&&) noexcept;
  ProfileFile& operator=(ProfileFile&&) noexcept;

  // Reads the file. A missing file gives an empty profile and returns true
  // (as the classic functions treat it); false only when the file exists but
  // cannot be read.
  bool Load(const std::filesystem::path& path);

  // Parses text held in memory (LF or CR LF lines).
  void Parse(std::string_view text);

  bool HasKey(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key, std::string_view def) const;
  // Leading decimal digits of the trimmed value (an optional '-' first);
  // the default when the key is missing or its value is empty; 0 when the
  // value starts with no digit.
  int GetInt(std::string_view section, std::string_view key, int def) const;

  void SetString(std::string_view section, std::string_view key, std::string_view value);

  // Makes room for about this many bytes of lines to be set, so that many
  // sets grow the store once instead of many times.
  void ReserveForSets(std::size_t bytes);

  // The whole file as it would be written (CR LF line ends).
  std::string Serialize() const;

  // Writes the file atomically: a complete copy is written beside it and then
  // renamed over it, so a failed write never leaves a half-written file.
  // Returns false (with a reason in *error when given) on any failure.
  bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

  struct Impl;  // the parsed lines; defined beside the code

 private:
  std::unique_ptr<Impl> m_impl;
};

// The pieces of the rules above, for readers and writers that stream a file
// line by line instead of holding it (a project of a million pictures is two
// gigabytes of text).

// One line of a profile file, as the rules above read it.
struct ProfileLine {
  enum Kind { kOther, kSection, kKey };
  Kind kind = kOther;
  bool blank = false;      // nothing but blanks
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // a key's value, trimmed and unquoted
};
// A key line is only a key inside a section; before the first section the
// caller keeps it as it is.
ProfileLine ClassifyProfileLine(std::string_view line);

// Section and key names compare without regard to ASCII case (GBK aware).
bool ProfileNamesEqual(std::string_view a, std::string_view b);

// GetInt's reading of a value (already trimmed and unquoted).
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

// A file written beside its place and renamed over it once complete, so a
// failed write never leaves a half-written file; writes go through a buffer.
// A symbolic link is written through (unless Open is told not to: then the
// link itself is replaced), an existing file's mode is kept, and the data
// and the rename are flushed to disk. Without Commit the partial copy is
// removed. With Replace::No, Commit fails with errno EEXIST when anything is
// at the path by then, and leaves it as it is.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False (with a reason in *error when given) when no file can be made.
  bool Open(const std::filesystem::path& path, std::string* error = nullptr,
            bool throughLink = true, Replace replace = Replace::Yes);
  void Write(std::string_view bytes);
  bool Commit(std::string* error = nullptr);

 private:
  bool Drain();
  std::filesystem::path m_target;
  bool m_throughLink = true;
  Replace m_replace = Replace::Yes;
  std::string m_tmpName;
  int m_fd = -1;
  std::string m_buffer;
  int m_err = 0;                // the first write error
  std::size_t m_unflushed = 0;  // bytes written since the last StartWriteback
};

// Asks the system to start writing the file's changed pages to disk now,
// without waiting, so that a later fsync has little left to wait for: a
// long save overlaps its disk writes with making the rest of the text.
void StartWriteback(int fd);

// One-key conveniences with the classic signatures: each loads the file
// (and WritePrivateProfileString saves it) once per call.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::filesystem::path& path);
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::filesystem::path& path);
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& path);

}  // namespace platform

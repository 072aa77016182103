#pragma once
// INI profile files held whole, read and written the way the classic Windows
// profile functions do, so project and settings files stay interchangeable
// with them.
//
// Reading: each line reads by the rules of platform/ProfileLines (names
// match without regard to ASCII case; values trimmed and unquoted); a
// missing key gives the caller's default; the first of duplicate
// sections/keys wins; LF and CR LF files are both read.
// Writing: a key's value is replaced in place, every other line is kept; new
// keys go at the end of their section, new sections at the end of the file;
// written lines end with CR LF. Values are bytes: no conversion.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

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

  // Writes the file atomically (platform/AtomicFileWriter): a complete copy is
  // written beside it and then renamed over it, so a failed write never
  // leaves a half-written file.
  // Returns false (with a reason in *error when given) on any failure.
  bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

  struct Impl;  // the parsed lines; defined beside the code

 private:
  std::unique_ptr<Impl> m_impl;
};

// One-key conveniences with the classic signatures: each loads the file
// (and WritePrivateProfileString saves it) once per call.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::filesystem::path& path);
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::filesystem::path& path);
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& path);

}  // namespace platform

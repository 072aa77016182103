#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Cp936.h"
#include "platform/SafeFile.h"

namespace platform {
namespace {

constexpr std::size_t kNoEquals = std::string::npos;

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

// Names are GBK: only single-byte characters are folded, so a trail byte
// that happens to be an ASCII letter never makes two characters equal.
std::string FoldName(std::string_view name) {
  std::string out(name);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = cp936::CharLength(out, i);
    if (len == 1) out[i] = FoldByte(out[i]);
    i += len;
  }
  return out;
}

// Hash of FoldName(name) without building it.
std::uint32_t FoldedHash(std::string_view name) {
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

bool FoldedEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t len = cp936::CharLength(a, i);
    if (len == 1 ? FoldByte(a[i]) != FoldByte(b[i]) : a.compare(i, 2, b.substr(i, 2)) != 0)
      return false;
    i += len;
  }
  return true;
}

// A line, without its line end, held as a slice of one of the profile's two
// buffers: the text as loaded, or the buffer that changed lines are appended
// to. Lines are never allocated one by one.
struct Line {
  std::size_t offset = 0;
  std::size_t length = 0;
  std::size_t eq = kNoEquals;  // first '=' of a key line inside a section
  bool changed = false;        // in the buffer of changed lines
};

// Key name -> line index of one section. Open addressing over a flat array:
// a node-based map costs an allocation and a cache miss per key, which
// dominates loading a profile with a key per frame. Names are not stored;
// nameOf(i) reads them back from the lines.
class KeyIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  template <class NameOf>
  std::size_t Find(std::string_view key, const NameOf& nameOf) const {
    if (m_slots.empty()) return kNone;
    const std::uint32_t hash = FoldedHash(key);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = m_slots[i];
      if (s.line == 0) return kNone;
      if (s.hash == hash && FoldedEqual(nameOf(s.line - 1), key)) return s.line - 1;
    }
  }

  // Adds line unless a key of the same name is there already (the first one
  // wins). Returns the line holding the key.
  template <class NameOf>
  std::size_t Insert(std::size_t line, const NameOf& nameOf) {
    const std::string_view key = nameOf(line);
    if ((m_count + 1) * 4 > m_slots.size() * 3) Grow();
    const std::uint32_t hash = FoldedHash(key);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& s = m_slots[i];
      if (s.line == 0) {
        s = Slot{hash, static_cast<std::uint32_t>(line + 1)};
        ++m_count;
        return line;
      }
      if (s.hash == hash && FoldedEqual(nameOf(s.line - 1), key)) return s.line - 1;
    }
  }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t line = 0;  // line index + 1; 0 marks a free slot
  };

  void Grow() {
    std::vector<Slot> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& s : old) {
      if (s.line == 0) continue;
      std::size_t i = s.hash & mask;
      while (m_slots[i].line != 0) i = (i + 1) & mask;
      m_slots[i] = s;
    }
  }

  std::vector<Slot> m_slots;
  std::size_t m_count = 0;
};

struct Section {
  Line header;  // the "[name]" line as written
  // body ends with the last key line; new keys are pushed there. tail keeps
  // what follows it (comments, blank lines before the next section).
  std::vector<Line> body;
  std::vector<Line> tail;
  KeyIndex keys;  // over body
};

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

bool IsComment(std::string_view line) {
  const std::string_view t = Trim(line);
  return !t.empty() && t.front() == ';';
}

std::string ErrnoText(const char* what, const std::string& where, int err) {
  return std::string(what) + " " + where + ": " + std::strerror(err);
}

constexpr std::size_t kWriteChunk = std::size_t{1} << 20;
constexpr std::size_t kWritebackStep = std::size_t{8} << 20;

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

struct ProfileFile::Impl {
  std::string loaded;           // the parsed text; lines point into it
  std::string changed;          // lines written by SetString, appended
  std::size_t changedLive = 0;  // bytes of `changed` still referenced
  std::size_t lineCount = 0;

  std::vector<Line> preamble;  // lines before the first section: kept, never looked up
  std::vector<Section> sections;
  std::unordered_map<std::string, std::size_t> index;  // folded name -> first section

  std::string_view Text(const Line& l) const {
    return std::string_view(l.changed ? changed : loaded).substr(l.offset, l.length);
  }
  std::string_view Name(const Line& l) const { return Trim(Text(l).substr(0, l.eq)); }
  std::string_view Value(const Line& l) const { return Unquote(Trim(Text(l).substr(l.eq + 1))); }

  auto NamesOf(const Section& s) const {
    return [this, &s](std::size_t i) { return Name(s.body[i]); };
  }

  void Clear() {
    loaded.clear();
    changed.clear();
    changedLive = 0;
    lineCount = 0;
    preamble.clear();
    sections.clear();
    index.clear();
  }

  void Parse();
  void SplitTail(Section& s) const;
  Line Store(std::string_view text, std::size_t eq);
  void Release(const Line& l);
  void CompactChanged();

  const Line* Find(std::string_view section, std::string_view key) const {
    const auto s = index.find(FoldName(section));
    if (s == index.end()) return nullptr;
    const Section& sec = sections[s->second];
    const std::size_t k = sec.keys.Find(key, NamesOf(sec));
    return k == KeyIndex::kNone ? nullptr : &sec.body[k];
  }
};

void ProfileFile::Impl::Parse() {
  Section* current = nullptr;
  const std::string_view text = loaded;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    Line line{pos, end - pos};
    if (end > pos && text[end - 1] == '\r') --line.length;
    pos = next;
    ++lineCount;

    const std::string_view raw = Text(line);
    std::string_view name;
    if (ParseHeader(raw, &name)) {
      if (current) SplitTail(*current);
      index.emplace(FoldName(name), sections.size());
      current = &sections.emplace_back();
      current->header = line;
      continue;
    }
    if (!current) {
      preamble.push_back(line);
      continue;
    }
    if (!IsComment(raw)) line.eq = cp936::FindFirst(raw, '=');
    current->body.push_back(line);
    if (line.eq != kNoEquals) current->keys.Insert(current->body.size() - 1, NamesOf(*current));
  }
  if (current) SplitTail(*current);
}

// Moves everything after the last key line into tail. A section without keys
// keeps its non-blank lines in body, so new keys follow them.
void ProfileFile::Impl::SplitTail(Section& s) const {
  std::size_t cut = 0;
  for (std::size_t i = s.body.size(); i-- > 0;) {
    if (s.body[i].eq != kNoEquals) {
      cut = i + 1;
      break;
    }
  }
  if (cut == 0) {
    for (std::size_t i = s.body.size(); i-- > 0;) {
      if (!Trim(Text(s.body[i])).empty()) {
        cut = i + 1;
        break;
      }
    }
  }
  s.tail.assign(s.body.begin() + static_cast<std::ptrdiff_t>(cut), s.body.end());
  s.body.resize(cut);
}

Line ProfileFile::Impl::Store(std::string_view text, std::size_t eq) {
  Line line{changed.size(), text.size(), eq, true};
  changed += text;
  changedLive += text.size();
  return line;
}

void ProfileFile::Impl::Release(const Line& l) {
  if (!l.changed) return;
  changedLive -= l.length;
  // Rewriting the same keys over and over must not grow the buffer without
  // bound. Compacting costs a pass over all lines, paid for by the garbage
  // that made it necessary.
  if (changed.size() - changedLive > changedLive + 32 * lineCount + 4096) CompactChanged();
}

void ProfileFile::Impl::CompactChanged() {
  std::string fresh;
  fresh.reserve(changedLive);
  auto move = [&](Line& l) {
    if (!l.changed) return;
    const std::size_t offset = fresh.size();
    fresh.append(changed, l.offset, l.length);
    l.offset = offset;
  };
  for (Line& l : preamble) move(l);
  for (Section& s : sections) {
    move(s.header);
    for (Line& l : s.body) move(l);
    for (Line& l : s.tail) move(l);
  }
  changed.swap(fresh);
}

ProfileFile::ProfileFile() : m_impl(std::make_unique<Impl>()) {}
ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

bool ProfileFile::Load(const std::filesystem::path& path) {
  if (!m_impl) m_impl = std::make_unique<Impl>();  // a moved-from profile is usable again
  m_impl->Clear();
  // Only a regular file: opening a pipe would wait for a writer forever, and
  // a device may never end.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR;
  if (!S_ISREG(info.st_mode)) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return errno == ENOENT || errno == ENOTDIR;
  std::string text;
  struct stat st {};
  if (::fstat(fileno(f), &st) == 0 && st.st_size > 0)
    text.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return false;
  m_impl->loaded = std::move(text);
  m_impl->Parse();
  return true;
}

void ProfileFile::Parse(std::string_view text) {
  if (!m_impl) m_impl = std::make_unique<Impl>();
  m_impl->Clear();
  m_impl->loaded.assign(text);
  m_impl->Parse();
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
  return m_impl->Find(section, key) != nullptr;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
  const Line* line = m_impl->Find(section, key);
  return std::string(line ? m_impl->Value(*line) : def);
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
  const Line* line = m_impl->Find(section, key);
  return line ? ParseProfileInt(m_impl->Value(*line), def) : def;
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

void ProfileFile::ReserveForSets(std::size_t bytes) {
  m_impl->changed.reserve(m_impl->changed.size() + bytes);
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  Impl& d = *m_impl;
  auto [sit, newSection] = d.index.try_emplace(FoldName(section), d.sections.size());
  if (newSection) {
    std::string header;
    header.reserve(section.size() + 2);
    header += '[';
    header += section;
    header += ']';
    Section& s = d.sections.emplace_back();
    s.header = d.Store(header, kNoEquals);
    ++d.lineCount;
  }
  Section& s = d.sections[sit->second];
  const std::size_t found = s.keys.Find(key, d.NamesOf(s));

  // Built aside: the name may live in the buffer that Store appends to.
  std::string text(found == KeyIndex::kNone ? key : d.Name(s.body[found]));
  const std::size_t eq = text.size();
  text += '=';
  text += value;
  const Line line = d.Store(text, eq);

  if (found == KeyIndex::kNone) {
    s.body.push_back(line);
    s.keys.Insert(s.body.size() - 1, d.NamesOf(s));
    ++d.lineCount;
    return;
  }
  const Line old = s.body[found];
  s.body[found] = line;
  d.Release(old);
}

// Hands the file's text to sink piece by piece, in order, CR LF after each line.
template <class Sink>
void ForEachLine(const ProfileFile::Impl& d, Sink&& sink) {
  auto emit = [&](const Line& l) { sink(d.Text(l)); };
  for (const Line& l : d.preamble) emit(l);
  for (const Section& s : d.sections) {
    emit(s.header);
    for (const Line& l : s.body) emit(l);
    for (const Line& l : s.tail) emit(l);
  }
}

std::string ProfileFile::Serialize() const {
  std::size_t total = 0;
  ForEachLine(*m_impl, [&](std::string_view line) { total += line.size() + 2; });
  std::string out;
  out.reserve(total);
  ForEachLine(*m_impl, [&](std::string_view line) {
    out += line;
    out += "\r\n";
  });
  return out;
}

bool ProfileFile::Save(const std::filesystem::path& path, std::string* error) const {
  AtomicFileWriter out;
  if (!out.Open(path, error)) return false;
  ForEachLine(*m_impl, [&](std::string_view line) {
    out.Write(line);
    out.Write("\r\n");
  });
  return out.Commit(error);
}

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
  out.name = Trim(line.substr(0, eq));
  out.value = Unquote(Trim(line.substr(eq + 1)));
  return out;
}

bool ProfileNamesEqual(std::string_view a, std::string_view b) { return FoldedEqual(a, b); }

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

AtomicFileWriter::~AtomicFileWriter() {
  if (m_fd < 0) return;
  ::close(m_fd);
  RemoveFile(m_tmpName);
}

bool AtomicFileWriter::Open(const std::filesystem::path& path, std::string* error, bool throughLink,
                            Replace replace) {
  // Write through a symbolic link rather than replacing the link itself.
  m_target = path;
  // A link that may not be replaced is not written through either.
  m_throughLink = throughLink && replace == Replace::Yes;
  m_replace = replace;
  std::error_code ec;
  if (m_throughLink && std::filesystem::is_symlink(path, ec)) {
    auto resolved = std::filesystem::weakly_canonical(path, ec);
    if (!ec) m_target = resolved;
  }
  const std::filesystem::path folder =
      m_target.has_parent_path() ? m_target.parent_path() : std::filesystem::path(".");

  // O_EXCL with a name of our own (rather than mkstemp) lets the umask give a
  // new file its usual permissions without touching the process-wide umask.
  static std::atomic<unsigned> counter{0};
  std::string tmpName;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    std::string name(".");
    name += m_target.filename().string();
    name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    tmpName = (folder / name).string();
    fd = CreateNewFile(tmpName);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    if (error) *error = ErrnoText("cannot create a temporary file in", folder.string(), errno);
    return false;
  }
  m_fd = fd;
  m_tmpName = std::move(tmpName);
  m_buffer.reserve(kWriteChunk);
  m_err = 0;
  return true;
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (m_buffer.size() + bytes.size() > kWriteChunk && !Drain()) return;
  if (bytes.size() >= kWriteChunk) {
    if (m_err == 0 && !WriteAll(m_fd, bytes)) m_err = errno;
    m_unflushed += bytes.size();
    return;
  }
  m_buffer += bytes;
}

bool AtomicFileWriter::Drain() {
  if (m_err == 0 && !m_buffer.empty() && !WriteAll(m_fd, m_buffer)) m_err = errno;
  m_unflushed += m_buffer.size();
  m_buffer.clear();
  if (m_unflushed >= kWritebackStep) {
    StartWriteback(m_fd);
    m_unflushed = 0;
  }
  return m_err == 0;
}

void StartWriteback(int fd) {
#if defined(__linux__)
  ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;  // the final fsync does it all
#endif
}

bool AtomicFileWriter::Commit(std::string* error) {
  if (m_fd < 0) {
    if (error) *error = "no file open";
    return false;
  }
  int err = 0;
  const char* what = nullptr;
  std::string where = m_tmpName;
  // The mode of the file replaced, not of a link that is replaced.
  struct stat st {};
  const int found = m_throughLink ? ::stat(m_target.c_str(), &st) : ::lstat(m_target.c_str(), &st);
  const bool keepMode = found == 0 && S_ISREG(st.st_mode);
  if (!Drain()) {
    err = m_err, what = "cannot write";
  } else if (keepMode && ::fchmod(m_fd, st.st_mode & 07777) != 0) {
    err = errno, what = "cannot set the permissions of";  // keep the old file's mode
  } else if (::fsync(m_fd) != 0) {
    err = errno, what = "cannot flush";
  }
  if (::close(m_fd) != 0 && !what) err = errno, what = "cannot close";
  m_fd = -1;
  if (!what && !PlaceFile(m_tmpName, m_target.string(), m_replace)) {
    err = errno, what = "cannot replace", where = m_target.string();
  }
  if (what) {
    RemoveFile(m_tmpName);
    if (error) *error = ErrnoText(what, where, err);
    errno = err;
    return false;
  }

  // Make the rename itself durable; the file is already complete either way.
  const std::filesystem::path folder =
      m_target.has_parent_path() ? m_target.parent_path() : std::filesystem::path(".");
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::filesystem::path& path) {
  ProfileFile p;
  p.Load(path);
  return p.GetInt(section, key, def);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::filesystem::path& path) {
  ProfileFile p;
  p.Load(path);
  return p.GetString(section, key, def);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& path) {
  ProfileFile p;
  // An unreadable file must not be replaced by one holding only this key.
  if (!p.Load(path)) return false;
  p.SetString(section, key, value);
  return p.Save(path);
}

}  // namespace platform

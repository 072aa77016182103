#include "platform/ProfileFile.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/ProfileLines.h"

namespace platform {
namespace {

constexpr std::size_t kNoEquals = std::string::npos;

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
    const std::uint32_t hash = ProfileNameHash(key);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = m_slots[i];
      if (s.line == 0) return kNone;
      if (s.hash == hash && ProfileNamesEqual(nameOf(s.line - 1), key)) return s.line - 1;
    }
  }

  // Adds line unless a key of the same name is there already (the first one
  // wins). Returns the line holding the key.
  template <class NameOf>
  std::size_t Insert(std::size_t line, const NameOf& nameOf) {
    const std::string_view key = nameOf(line);
    if ((m_count + 1) * 4 > m_slots.size() * 3) Grow();
    const std::uint32_t hash = ProfileNameHash(key);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& s = m_slots[i];
      if (s.line == 0) {
        s = Slot{hash, static_cast<std::uint32_t>(line + 1)};
        ++m_count;
        return line;
      }
      if (s.hash == hash && ProfileNamesEqual(nameOf(s.line - 1), key)) return s.line - 1;
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
  std::string_view Name(const Line& l) const { return ProfileKeyName(Text(l), l.eq); }
  std::string_view Value(const Line& l) const { return ProfileKeyValue(Text(l), l.eq); }

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
    const auto s = index.find(FoldProfileName(section));
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

    const ProfileLine read = ClassifyProfileLine(Text(line));
    if (read.kind == ProfileLine::kSection) {
      if (current) SplitTail(*current);
      index.emplace(FoldProfileName(read.name), sections.size());
      current = &sections.emplace_back();
      current->header = line;
      continue;
    }
    if (!current) {
      preamble.push_back(line);
      continue;
    }
    if (read.kind == ProfileLine::kKey) line.eq = read.equals;
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
      if (!ClassifyProfileLine(Text(s.body[i])).blank) {
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

void ProfileFile::ReserveForSets(std::size_t bytes) {
  m_impl->changed.reserve(m_impl->changed.size() + bytes);
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  Impl& d = *m_impl;
  auto [sit, newSection] = d.index.try_emplace(FoldProfileName(section), d.sections.size());
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

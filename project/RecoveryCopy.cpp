#include "project/RecoveryCopy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <system_error>
#include <utility>

#include "platform/SafeFile.h"
#include "project/ProjectFile.h"
#include "res/Texts.h"

using document::Animation;
using document::FrameNode;
using document::MakeFrameText;

namespace output {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "Recovery-";
constexpr std::string_view kCopySuffix = ".ini";
constexpr std::string_view kLockSuffix = ".lock";
constexpr std::string_view kJournalSuffix = ".journal";
// A copy being written: the writer appends its own part to this.
constexpr std::string_view kTempPrefix = ".Recovery-";
constexpr std::string_view kTempSuffix = ".ini.tmp";
// The journal being started afresh, renamed over the journal when complete.
constexpr std::string_view kJournalTemp = ".ini.tmp-journal";
// A saved project being linked in as the base.
constexpr std::string_view kLinkTemp = ".ini.tmp-link";

// "<id>" or "<id>-<n>", as the constructor makes them.
bool IsToken(std::string_view t) {
  if (t.empty() || t.front() == '-' || t.back() == '-') return false;
  int dashes = 0;
  for (char c : t) {
    if (c == '-' ? ++dashes > 1 : (c < '0' || c > '9')) return false;
  }
  return true;
}

// The token of a name that is prefix + token + suffix (or, unless whole,
// continues after the suffix); empty for any other name.
std::string TokenOf(std::string_view name, std::string_view prefix, std::string_view suffix,
                    bool whole = true) {
  if (!name.starts_with(prefix)) return {};
  name.remove_prefix(prefix.size());
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view token = name.substr(0, dot);
  const std::string_view rest = name.substr(dot);
  if (!IsToken(token) || !(whole ? rest == suffix : rest.starts_with(suffix))) return {};
  return std::string(token);
}

std::string CopyToken(const fs::path& file) {
  return TokenOf(file.filename().string(), kPrefix, kCopySuffix);
}

fs::path CopyPath(const fs::path& folder, const std::string& token) {
  return folder / (std::string(kPrefix) + token + std::string(kCopySuffix));
}
fs::path LockPath(const fs::path& folder, const std::string& token) {
  return folder / (std::string(kPrefix) + token + std::string(kLockSuffix));
}
fs::path JournalPath(const fs::path& folder, const std::string& token) {
  return folder / (std::string(kPrefix) + token + std::string(kJournalSuffix));
}
fs::path JournalPathOf(const fs::path& copy) {
  return JournalPath(copy.parent_path(), CopyToken(copy));
}

// Whether anything at all, a dangling link included, is under this name.
bool Occupied(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// The lock file opened and locked for this open file description, or -1
// when another one holds it, it cannot be made, or what is under its name
// is no plain file (a link is never followed, so nothing is ever created
// elsewhere through one).
int TakeLock(const fs::path& lock) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    const int fd =
        ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return -1;
    }
    // A tool giving the lock up removes its file while holding it: a lock
    // on a file no longer under that name guards nothing, so look again.
    struct stat named {};
    if (::lstat(lock.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino)
      return fd;
    ::close(fd);
  }
  return -1;
}

// Writes all of bytes at fd's offset.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// All of what fd holds from its start, read in pieces, at most limit bytes.
// A file another process cuts short while it is read gives what was there
// (mapping it instead would fault on the pages cut off); the journal's
// rules then drop a torn end like any other.
std::string ReadWhole(int fd, std::size_t limit) {
  std::string bytes(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::read(fd, bytes.data() + got, std::min<std::size_t>(limit - got, 1u << 24));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

// The journal at path applied to animation, read from the base of that
// identity; a journal that is missing, no plain file or continues another
// base changes nothing.
void ReplayJournalFile(const fs::path& path, const JournalBase& base, Animation& animation) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  // A journal is compacted long before it could grow this large: one that
  // claims to (a damaged or planted file) is not read at all.
  constexpr off_t kLongestJournal = off_t{8} << 30;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
      st.st_size <= kLongestJournal) {
    // Whatever the journal holds, the base is offered rather than nothing.
    try {
      const std::string journal = ReadWhole(fd, static_cast<std::size_t>(st.st_size));
      Animation replayed = animation;
      ReplayJournal(journal, base, replayed);
      animation = std::move(replayed);
    } catch (const std::exception&) {
    }
  }
  ::close(fd);
}

// The identity of the plain file a path leads to (links followed).
std::optional<JournalBase> IdentityOf(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const std::optional<JournalBase> identity = JournalBaseOf(fd);
  ::close(fd);
  return identity;
}

// What Snapshot puts in place of the stored text: nothing when the position
// names no frame or the frame holds that text already.
JournalTyping TypingOf(const Animation& animation, int position, std::string_view text) {
  const FrameNode* node = position >= 0 ? animation.m_frames.At(position) : nullptr;
  if (!node || node->Text() == text) return {};
  return {position, std::string(text)};
}

bool SameTyping(const JournalTyping& kept, const Animation& animation, int position,
                std::string_view text) {
  const FrameNode* node = position >= 0 ? animation.m_frames.At(position) : nullptr;
  if (!node || node->Text() == text) return kept.position < 0;
  return kept.position == position && kept.text == text;
}

// The animation's properties without its frames.
Animation PropertiesOf(const Animation& animation) {
  Animation p;
  p.m_strAnimName = animation.m_strAnimName;
  p.m_nAnimWide = animation.m_nAnimWide;
  p.m_nAnimHigh = animation.m_nAnimHigh;
  p.m_strColor = animation.m_strColor;
  p.m_nRate = animation.m_nRate;
  return p;
}

bool SameProperties(const Animation& a, const Animation& b) {
  return a.m_strAnimName == b.m_strAnimName && a.m_strColor == b.m_strColor &&
         a.m_nAnimWide == b.m_nAnimWide && a.m_nAnimHigh == b.m_nAnimHigh && a.m_nRate == b.m_nRate;
}

}  // namespace

fs::path RecoveryOrphan::Journal() const { return JournalPathOf(m_copy); }

RecoveryOrphan::RecoveryOrphan(fs::path copy, fs::path lock, int lockFd)
    : m_copy(std::move(copy)), m_lock(std::move(lock)), m_lockFd(lockFd) {}

RecoveryOrphan::RecoveryOrphan(RecoveryOrphan&& other) noexcept
    : m_copy(std::move(other.m_copy)),
      m_lock(std::move(other.m_lock)),
      m_lockFd(std::exchange(other.m_lockFd, -1)) {}

RecoveryOrphan& RecoveryOrphan::operator=(RecoveryOrphan&& other) noexcept {
  if (this != &other) {
    if (m_lockFd >= 0) ::close(m_lockFd);
    m_copy = std::move(other.m_copy);
    m_lock = std::move(other.m_lock);
    m_lockFd = std::exchange(other.m_lockFd, -1);
  }
  return *this;
}

RecoveryOrphan::~RecoveryOrphan() {
  if (m_lockFd >= 0) ::close(m_lockFd);
}

RecoveryCopy::RecoveryCopy(fs::path dataFolder, long id) : m_folder(std::move(dataFolder)) {
  // The id is normally free. A copy already under it was left by an earlier
  // process with the same id and waits to be offered; a held lock belongs to
  // another copy of this tool in the same process (tests). Either way the
  // next name is taken.
  std::error_code ec;
  for (int attempt = 1; attempt <= 100 && m_lockFd < 0; ++attempt) {
    std::string token = std::to_string(id);
    // Appended piece by piece: "-" + std::to_string() trips a false -Wrestrict
    // in g++ 12's optimised string code.
    if (attempt > 1) token.append("-").append(std::to_string(attempt));
    const fs::path lock = LockPath(m_folder, token);
    const int fd = TakeLock(lock);
    if (fd < 0) {
      if (!fs::exists(m_folder, ec)) break;
      continue;
    }
    if (Occupied(CopyPath(m_folder, token))) {
      ::close(fd);
      continue;
    }
    m_lockFd = fd;
    m_lock = lock;
    m_copy = CopyPath(m_folder, token);
  }
  if (m_copy.empty()) m_copy = CopyPath(m_folder, std::to_string(id));
  m_journal = JournalPathOf(m_copy);
  if (Active()) RemoveLeftovers();
}

void RecoveryCopy::RemoveLeftovers() {
  // What each token has: half-written copies, and whether a lock file or a
  // journal.
  std::map<std::string, std::vector<fs::path>> leftovers;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string written = TokenOf(name, kTempPrefix, kTempSuffix, false);
    const std::string locked = TokenOf(name, kPrefix, kLockSuffix);
    const std::string journal = TokenOf(name, kPrefix, kJournalSuffix);
    std::error_code typeError;
    if (!written.empty() && it->symlink_status(typeError).type() == fs::file_type::regular)
      leftovers[written].push_back(it->path());
    else if (!locked.empty())
      leftovers[locked];
    else if (!journal.empty())
      leftovers[journal];
  }
  // This tool's own token may have been an earlier process's (ids repeat);
  // nothing is written under it yet, so what is there is that one's.
  const std::string own = CopyToken(m_copy);
  for (const auto& [token, temporaries] : leftovers) {
    // Taken, the lock keeps a tool starting under this token away while
    // its files go; held by another, its tool runs and everything stays.
    const fs::path lock = LockPath(m_folder, token);
    const int fd = token == own ? -1 : TakeLock(lock);
    if (token != own && fd < 0) continue;
    for (const fs::path& temporary : temporaries) ::unlink(temporary.c_str());
    // A journal is read only with the copy it continues; without one it is
    // nothing. (Removing never follows a link: a link there goes itself.)
    const bool copyLeft = Occupied(CopyPath(m_folder, token));
    if (!copyLeft) ::unlink(JournalPath(m_folder, token).c_str());
    if (token == own) continue;
    // A copy beside it is still to be offered.
    if (!copyLeft) ::unlink(lock.c_str());
    ::close(fd);
  }
}

RecoveryCopy::~RecoveryCopy() {
  Wait();
  CloseJournal();
  if (m_lockFd < 0) return;
  std::error_code ec;
  fs::remove(m_lock, ec);
  ::close(m_lockFd);
}

Animation RecoveryCopy::Snapshot(const Animation& animation, int editPosition,
                                 std::string_view editText) {
  Animation s = animation;  // copies the nodes; the texts are shared
  if (editPosition >= 0)
    if (FrameNode* edited = s.m_frames.At(editPosition); edited && edited->Text() != editText)
      edited->pText = MakeFrameText(std::string(editText));
  return s;
}

bool RecoveryCopy::Differs(const Animation& animation, int editPosition,
                           std::string_view editText) const {
  if (!m_written) return true;
  const Animation& w = *m_written;
  if (w.m_strAnimName != animation.m_strAnimName || w.m_strColor != animation.m_strColor ||
      w.m_nAnimWide != animation.m_nAnimWide || w.m_nAnimHigh != animation.m_nAnimHigh ||
      w.m_nRate != animation.m_nRate || w.m_frames.Size() != animation.m_frames.Size())
    return true;
  int position = 0;
  auto written = w.m_frames.begin();
  for (const FrameNode& node : animation.m_frames) {
    if (position++ == editPosition) {
      if (written->Text() != editText) return true;
    } else if (written->pText != node.pText && written->Text() != node.Text()) {
      return true;
    }
    ++written;
  }
  return false;
}

void RecoveryCopy::SetError(std::string error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_error = std::move(error);
}

std::string RecoveryCopy::TakeError() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::exchange(m_error, {});
}

bool RecoveryCopy::WriteNow(const Animation& s) {
  const std::string where = res::Format(res::kCannotWriteRecovery, {m_copy.string()});
  if (!Active()) {
    SetError(where + res::kRecoveryFolderNotWritable);
    return false;
  }
  // The project alone, written beside the copy and renamed over it: nothing
  // of the earlier copy is read, and a link put in its place is replaced.
  const ProjectResult result = WriteNewProjectFile(s, m_copy);
  if (!result.ok()) {
    SetError(result.error + res::kRecoveryStillThere);
    return false;
  }
  // The copy is whole: a journal beside it continued the one before.
  CloseJournal();
  ::unlink(m_journal.c_str());
  return true;
}

void RecoveryCopy::CloseJournal() {
  m_journalOpen.store(false);
  if (m_journalFd >= 0) ::close(m_journalFd);
  m_journalFd = -1;
}

void RecoveryCopy::JournalError() {
  const std::string reason = std::strerror(errno);
  CloseJournal();
  // The changes that did not reach the journal go with the next whole copy.
  m_needWhole.store(true);
  SetError(res::Format(res::kCannotWriteRecovery, {m_journal.string()}) +
           res::Format(res::kFolderNotWritable, {reason}) + res::kRecoveryStillThere);
}

void RecoveryCopy::WriteBase(const Animation& snapshot, const Animation& properties,
                             const JournalTyping& typing, const document::FrameText& stored) {
  // The journal so far continued the base being replaced: nothing more goes
  // onto it, whether or not the new base gets written.
  CloseJournal();
  if (!WriteNow(snapshot)) {
    m_needWhole.store(true);
    return;
  }
  // The base as written: the journal names it, so a journal left beside
  // another base is never read with it.
  const int baseFd = ::open(m_copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  const std::optional<JournalBase> base = baseFd >= 0 ? JournalBaseOf(baseFd) : std::nullopt;
  if (baseFd >= 0) ::close(baseFd);
  if (!base) return JournalError();
  // The base holds the typing in its frame; the journal's frames are the
  // stored ones, so the first record puts the stored text back (and the
  // typing over it again when read).
  std::vector<JournalOp> ops;
  if (typing.position >= 0) {
    JournalOp put{JournalOp::Kind::kSet, static_cast<std::size_t>(typing.position), 1, 0, {}};
    put.runs.push_back(document::TextRun{stored, 1});
    ops.push_back(std::move(put));
  }
  StartJournal(*base, JournalRecord(properties, ops, typing));
}

void RecoveryCopy::StartJournal(const JournalBase& base, const std::string& record) {
  const std::string start = JournalHeader(base) + record;
  // Written whole beside the journal and renamed over it: until then the
  // journal there names the base before, and is not read with this one.
  const fs::path temporary =
      m_folder / (std::string(kTempPrefix) + CopyToken(m_copy) + std::string(kJournalTemp));
  ::unlink(temporary.c_str());
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return JournalError();
  if (!WriteAll(fd, start) || ::fdatasync(fd) != 0 ||
      ::rename(temporary.c_str(), m_journal.c_str()) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    errno = error;
    return JournalError();
  }
  m_journalFd = fd;
  m_baseBytes.store(base.size);
  m_journalBytes.store(start.size());
  m_journalOpen.store(true);
}

void RecoveryCopy::LinkBase(const fs::path& project, const JournalBase& saved,
                            const Animation& properties, const std::vector<JournalOp>& ops,
                            const JournalTyping& typing) {
  CloseJournal();
  // Linked beside the copy (the file the name leads to, not a link on the
  // way), checked to be the file saved, then renamed into place.
  const fs::path temporary =
      m_folder / (std::string(kTempPrefix) + CopyToken(m_copy) + std::string(kLinkTemp));
  ::unlink(temporary.c_str());
  bool linked = Active() && ::linkat(AT_FDCWD, project.c_str(), AT_FDCWD, temporary.c_str(),
                                     AT_SYMLINK_FOLLOW) == 0;
  if (linked) {
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const std::optional<JournalBase> base = fd >= 0 ? JournalBaseOf(fd) : std::nullopt;
    if (fd >= 0) ::close(fd);
    linked = base && *base == saved && ::rename(temporary.c_str(), m_copy.c_str()) == 0;
  }
  if (!linked) {
    // Another file system, or the project changed since: the base is written.
    ::unlink(temporary.c_str());
    m_needWhole.store(true);
    return;
  }
  StartJournal(saved, JournalRecord(properties, ops, typing));
}

void RecoveryCopy::AppendRecord(const std::string& record) {
  if (m_journalFd < 0 || !WriteAll(m_journalFd, record) || ::fdatasync(m_journalFd) != 0)
    return JournalError();
  m_journalBytes.fetch_add(record.size());
}

std::function<void()> RecoveryCopy::PrepareKeep(const Animation& animation, int editPosition,
                                                std::string_view editText) {
  const bool cleared = m_recorder.WasCleared();
  const bool needWhole = m_needWhole.exchange(false);
  if (cleared || needWhole) m_savedProject.clear();
  if (m_known && !cleared && !needWhole && m_recorder.Ops().empty() &&
      SameProperties(m_keptProperties, animation) &&
      SameTyping(m_keptTyping, animation, editPosition, editText))
    return {};
  m_known = true;
  m_keptProperties = PropertiesOf(animation);
  m_keptTyping = TypingOf(animation, editPosition, editText);
  // The journal may grow to the base's size (or a few records' worth, so a
  // tiny animation is not written whole at every save).
  constexpr std::uint64_t kLeast = 16 * 1024;
  const std::uint64_t record = m_recorder.TextBytes() + 64 * m_recorder.Ops().size() +
                               m_keptTyping.text.size() + m_keptProperties.m_strAnimName.size() +
                               256;
  const bool whole = !m_journalOpen.load() || cleared || needWhole ||
                     m_recorder.Count() != animation.m_frames.Size() ||
                     m_journalBytes.load() + record > std::max(m_baseBytes.load(), kLeast);
  if (!whole) {
    // Encoded by the writer: the ops hold the texts, shared, not copied.
    return [this, properties = m_keptProperties, ops = m_recorder.TakeOps(),
            typing = m_keptTyping] { AppendRecord(JournalRecord(properties, ops, typing)); };
  }
  // The project saved last, still as it was, is the base: no snapshot, no
  // animation written; the journal starts with the changes since.
  if (!m_savedProject.empty() && m_recorder.Count() == animation.m_frames.Size()) {
    const std::optional<JournalBase> now = IdentityOf(m_savedProject);
    if (now && *now == m_savedIdentity) {
      const fs::path project = std::exchange(m_savedProject, {});
      return [this, project, saved = m_savedIdentity, properties = m_keptProperties,
              ops = m_recorder.TakeOps(),
              typing = m_keptTyping] { LinkBase(project, saved, properties, ops, typing); };
    }
  }
  m_savedProject.clear();
  m_recorder.Reset(animation.m_frames.Size());
  auto snapshot = std::make_shared<const Animation>(Snapshot(animation, editPosition, editText));
  m_written = snapshot;
  document::FrameText stored;
  if (m_keptTyping.position >= 0) stored = animation.m_frames.At(m_keptTyping.position)->pText;
  return [this, snapshot, properties = m_keptProperties, typing = m_keptTyping, stored] {
    WriteBase(*snapshot, properties, typing, stored);
  };
}

bool RecoveryCopy::Keep(const Animation& animation, int editPosition, std::string_view editText) {
  if (m_busy.load()) return false;
  if (m_writer.joinable()) m_writer.join();
  std::function<void()> job = PrepareKeep(animation, editPosition, editText);
  if (!job) return true;
  m_busy.store(true);
  m_writer = std::thread([this, job = std::move(job)] {
    job();
    m_busy.store(false);
  });
  return true;
}

void RecoveryCopy::KeepNow(const Animation& animation, int editPosition,
                           std::string_view editText) {
  Wait();
  // A second pass when the saved project could not be linked in as the base.
  for (int pass = 0; pass < 2; ++pass) {
    std::function<void()> job = PrepareKeep(animation, editPosition, editText);
    if (!job) return;
    job();
    if (!m_needWhole.load()) return;
  }
}

bool RecoveryCopy::StartWrite(Animation snapshot) {
  if (m_busy.load()) return false;
  if (m_writer.joinable()) m_writer.join();
  auto shared = std::make_shared<const Animation>(std::move(snapshot));
  m_written = shared;
  m_busy.store(true);
  m_writer = std::thread([this, shared] {
    WriteNow(*shared);
    m_busy.store(false);
  });
  return true;
}

void RecoveryCopy::Write(Animation snapshot) {
  Wait();
  auto shared = std::make_shared<const Animation>(std::move(snapshot));
  m_written = shared;
  WriteNow(*shared);
}

void RecoveryCopy::Wait() {
  if (m_writer.joinable()) m_writer.join();
}

void RecoveryCopy::MarkSaved(Animation snapshot, const fs::path& project) {
  Discard();
  if (const std::optional<JournalBase> saved =
          project.empty() ? std::nullopt : IdentityOf(project)) {
    m_savedProject = project;
    m_savedIdentity = *saved;
  }
  // What Keep compares with: these properties, the frames as they are now
  // in the watched history, nothing typed over them.
  m_known = true;
  m_keptProperties = PropertiesOf(snapshot);
  m_keptTyping = {};
  m_recorder.Reset(snapshot.m_frames.Size());
  m_written = std::make_shared<const Animation>(std::move(snapshot));
}

void RecoveryCopy::Discard() {
  Wait();
  CloseJournal();
  std::error_code ec;
  // The copy first: a journal left alone is never read, and goes at the
  // next start.
  if (Active()) {
    fs::remove(m_copy, ec);
    fs::remove(m_journal, ec);
  }
  m_written.reset();
  m_known = false;
  m_savedProject.clear();
  m_needWhole.store(false);
}

bool RecoveryCopy::Exists() {
  Wait();
  std::error_code ec;
  return fs::exists(m_copy, ec);
}

std::vector<RecoveryOrphan> RecoveryCopy::FindOrphans() const {
  std::vector<std::pair<fs::file_time_type, RecoveryOrphan>> found;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path copy = it->path();
    const std::string token = CopyToken(copy);
    std::error_code typeError;
    if (token.empty() || copy == m_copy ||
        it->symlink_status(typeError).type() != fs::file_type::regular)
      continue;
    const fs::path lock = LockPath(m_folder, token);
    const int fd = TakeLock(lock);
    if (fd < 0) continue;  // its tool is running
    RecoveryOrphan orphan(copy, lock, fd);
    // Gone while the lock was taken: its tool ended through the exit question.
    std::error_code timeError;
    fs::file_time_type time = fs::last_write_time(copy, timeError);
    if (timeError) {
      fs::remove(lock, timeError);
      continue;
    }
    // Written last when its journal was.
    std::error_code journalError;
    const fs::file_time_type journalTime = fs::last_write_time(orphan.Journal(), journalError);
    if (!journalError) time = std::max(time, journalTime);
    found.emplace_back(time, std::move(orphan));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<RecoveryOrphan> orphans;
  orphans.reserve(found.size());
  for (auto& [time, orphan] : found) orphans.push_back(std::move(orphan));
  return orphans;
}

bool RecoveryCopy::Adopt(RecoveryOrphan orphan, Animation snapshot) {
  Wait();
  std::error_code ec;
  if (!Active()) return false;
  CloseJournal();
  fs::remove(m_journal, ec);
  fs::rename(orphan.m_copy, m_copy, ec);
  if (ec) return false;
  // Its journal comes along, so the copy still reads as what was offered;
  // it may end in a torn record, so nothing is added to it: the next change
  // writes a base afresh.
  fs::rename(orphan.Journal(), m_journal, ec);
  fs::remove(orphan.m_lock, ec);
  m_known = true;
  m_keptProperties = PropertiesOf(snapshot);
  m_keptTyping = {};
  m_savedProject.clear();
  m_recorder.Reset(snapshot.m_frames.Size());
  m_written = std::make_shared<const Animation>(std::move(snapshot));
  return true;
}

void RecoveryCopy::Remove(RecoveryOrphan orphan) {
  std::error_code ec;
  fs::remove(orphan.m_copy, ec);
  fs::remove(orphan.Journal(), ec);
  fs::remove(orphan.m_lock, ec);
}

ProjectReadResult RecoveryCopy::Read(const RecoveryOrphan& orphan) {
  const int fd = ::open(orphan.m_copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    ProjectReadResult refused;
    refused.error = res::Format(res::kOpenFailed, {res::kProjectNotAFile});
    return refused;
  }
  ProjectReadResult read = ReadProjectFrom(fd);
  const std::optional<JournalBase> base = JournalBaseOf(fd);
  ::close(fd);
  if (read.ok() && base) ReplayJournalFile(orphan.Journal(), *base, read.animation);
  return read;
}

fs::path RecoveryCopy::KeepUnreadable(RecoveryOrphan orphan) {
  const std::string token = CopyToken(orphan.m_copy);
  fs::path kept;
  for (int n = 1; n <= 1000 && !token.empty(); ++n) {
    std::string name = std::string(kPrefix) + token + ".unreadable";
    if (n > 1) name.append("-").append(std::to_string(n));
    name += kCopySuffix;
    const fs::path candidate = orphan.m_copy.parent_path() / name;
    // Never over another file: EEXIST tries the next name.
    if (platform::PlaceFile(orphan.m_copy.string(), candidate.string(), platform::Replace::No)) {
      kept = candidate;
      break;
    }
    if (errno != EEXIST) break;
  }
  std::error_code ec;
  // Without the copy it continues, a journal is nothing to keep.
  if (!kept.empty()) fs::remove(orphan.Journal(), ec);
  fs::remove(orphan.m_lock, ec);
  return kept;
}

}  // namespace output

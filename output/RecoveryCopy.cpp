#include "output/RecoveryCopy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "output/ProjectFile.h"
#include "res/Texts.h"

using document::AnimationDocument;
using document::EmptyFrameText;
using document::FrameNode;
using document::FrameText;
using document::MakeFrameText;

namespace output {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "Recovery-";
constexpr std::string_view kCopySuffix = ".ini";
constexpr std::string_view kLockSuffix = ".lock";

// "Recovery-<token>.ini" gives the token; anything else gives an empty one.
std::string TokenOf(const fs::path& file) {
  const std::string name = file.filename().string();
  if (name.size() <= kPrefix.size() + kCopySuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kCopySuffix))
    return {};
  std::string token =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kCopySuffix.size());
  return token.find('.') == std::string::npos ? token : std::string();
}

fs::path CopyPath(const fs::path& folder, const std::string& token) {
  return folder / (std::string(kPrefix) + token + std::string(kCopySuffix));
}
fs::path LockPath(const fs::path& folder, const std::string& token) {
  return folder / (std::string(kPrefix) + token + std::string(kLockSuffix));
}

// The lock file opened and locked for this open file description, or -1
// when it cannot be made or another one holds it.
int TakeLock(const fs::path& lock) {
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

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
    if (fs::exists(CopyPath(m_folder, token), ec)) {
      ::close(fd);
      continue;
    }
    m_lockFd = fd;
    m_lock = lock;
    m_copy = CopyPath(m_folder, token);
    m_temp = m_folder / std::string(".").append(m_copy.filename().string()).append(".tmp");
  }
  if (m_copy.empty()) m_copy = CopyPath(m_folder, std::to_string(id));
}

RecoveryCopy::~RecoveryCopy() {
  Wait();
  if (m_lockFd < 0) return;
  std::error_code ec;
  fs::remove(m_lock, ec);
  ::close(m_lockFd);
}

RecoverySnapshot RecoveryCopy::Snapshot(const AnimationDocument& doc, int editPosition,
                                        std::string_view editText) {
  RecoverySnapshot s;
  s.name = doc.m_strAnimName;
  s.color = doc.m_strColor;
  s.wide = doc.m_nAnimWide;
  s.high = doc.m_nAnimHigh;
  s.rate = doc.m_nRate;
  s.frames.reserve(doc.m_frames.Size());
  for (const FrameNode* node = doc.m_frames.Head().pNext; node; node = node->pNext)
    s.frames.push_back(node->pText ? node->pText : EmptyFrameText());
  if (editPosition >= 0 && static_cast<std::size_t>(editPosition) < s.frames.size() &&
      *s.frames[static_cast<std::size_t>(editPosition)] != editText)
    s.frames[static_cast<std::size_t>(editPosition)] = MakeFrameText(std::string(editText));
  return s;
}

bool RecoveryCopy::Differs(const AnimationDocument& doc, int editPosition,
                           std::string_view editText) const {
  if (!m_written) return true;
  const RecoverySnapshot& w = *m_written;
  if (w.name != doc.m_strAnimName || w.color != doc.m_strColor || w.wide != doc.m_nAnimWide ||
      w.high != doc.m_nAnimHigh || w.rate != doc.m_nRate || w.frames.size() != doc.m_frames.Size())
    return true;
  int position = 0;
  for (const FrameNode* node = doc.m_frames.Head().pNext; node; node = node->pNext, ++position) {
    const FrameText& written = w.frames[static_cast<std::size_t>(position)];
    if (position == editPosition) {
      if (*written != editText) return true;
    } else if (written != node->pText && *written != node->Text()) {
      return true;
    }
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

void RecoveryCopy::WriteNow(const RecoverySnapshot& s) {
  const std::string where = res::Format(res::kCannotWriteRecovery, {m_copy.string()});
  if (!Active()) {
    SetError(where + res::kRecoveryFolderNotWritable);
    return;
  }
  AnimationDocument doc;
  doc.m_strAnimName = s.name;
  doc.m_strColor = s.color;
  doc.m_nAnimWide = s.wide;
  doc.m_nAnimHigh = s.high;
  doc.m_nRate = s.rate;
  for (const FrameText& text : s.frames) doc.m_frames.Append(text);
  // A fresh file each time: the writer keeps the lines of a file it finds.
  std::error_code ec;
  fs::remove(m_temp, ec);
  const ProjectResult result = WriteProjectFile(doc, m_temp);
  if (!result.ok()) {
    fs::remove(m_temp, ec);
    SetError(result.error + res::kRecoveryStillThere);
    return;
  }
  fs::rename(m_temp, m_copy, ec);
  if (ec) {
    fs::remove(m_temp, ec);
    SetError(where + ec.message() + res::kRecoveryStillThere);
  }
}

bool RecoveryCopy::StartWrite(RecoverySnapshot snapshot) {
  if (m_busy.load()) return false;
  if (m_writer.joinable()) m_writer.join();
  auto shared = std::make_shared<const RecoverySnapshot>(std::move(snapshot));
  m_written = shared;
  m_busy.store(true);
  m_writer = std::thread([this, shared] {
    WriteNow(*shared);
    m_busy.store(false);
  });
  return true;
}

void RecoveryCopy::Write(RecoverySnapshot snapshot) {
  Wait();
  auto shared = std::make_shared<const RecoverySnapshot>(std::move(snapshot));
  m_written = shared;
  WriteNow(*shared);
}

void RecoveryCopy::Wait() {
  if (m_writer.joinable()) m_writer.join();
}

void RecoveryCopy::MarkSaved(RecoverySnapshot snapshot) {
  Discard();
  m_written = std::make_shared<const RecoverySnapshot>(std::move(snapshot));
}

void RecoveryCopy::Discard() {
  Wait();
  std::error_code ec;
  if (Active()) fs::remove(m_copy, ec);
  m_written.reset();
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
    const std::string token = TokenOf(copy);
    if (token.empty() || copy == m_copy || !it->is_regular_file(ec)) continue;
    const fs::path lock = LockPath(m_folder, token);
    const int fd = TakeLock(lock);
    if (fd < 0) continue;  // its tool is running
    RecoveryOrphan orphan(copy, lock, fd);
    // Gone while the lock was taken: its tool ended through the exit question.
    std::error_code timeError;
    const fs::file_time_type time = fs::last_write_time(copy, timeError);
    if (timeError) {
      fs::remove(lock, timeError);
      continue;
    }
    found.emplace_back(time, std::move(orphan));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<RecoveryOrphan> orphans;
  orphans.reserve(found.size());
  for (auto& [time, orphan] : found) orphans.push_back(std::move(orphan));
  return orphans;
}

bool RecoveryCopy::Adopt(RecoveryOrphan orphan, RecoverySnapshot snapshot) {
  Wait();
  std::error_code ec;
  if (!Active()) return false;
  fs::rename(orphan.m_copy, m_copy, ec);
  if (ec) return false;
  fs::remove(orphan.m_lock, ec);
  m_written = std::make_shared<const RecoverySnapshot>(std::move(snapshot));
  return true;
}

void RecoveryCopy::Remove(RecoveryOrphan orphan) {
  std::error_code ec;
  fs::remove(orphan.m_copy, ec);
  fs::remove(orphan.m_lock, ec);
}

}  // namespace output

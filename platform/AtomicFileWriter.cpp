#include "platform/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {
namespace {

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

}  // namespace platform

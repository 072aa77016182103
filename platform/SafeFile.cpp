#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

namespace platform {
namespace {

std::atomic<bool> g_alwaysCopy{false};

// A suffix nobody can guess in advance, so a name cannot be squatted on
// before we try it; EEXIST still guards against the unlikely repeat.
std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937_64 random{std::random_device{}()};
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string s = std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-";
  for (int i = 0; i < 8; ++i) s += kDigits[random() % 36];
  return s;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

// Copies from into a fresh temporary beside to, then renames it over to.
bool CopyIntoPlace(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (in < 0) return false;
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(in);
    errno = error;
    return false;
  }
  std::string temp;
  int out = -1;
  for (int attempt = 0; out < 0 && attempt < 100; ++attempt) {
    temp = to + ".tmp-" + UniqueSuffix();
    out = CreateNewFile(temp, 0600);
    if (out < 0 && errno != EEXIST) break;
  }
  if (out < 0) {
    const int error = errno;
    ::close(in);
    errno = error;
    return false;
  }
  bool ok = true;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(got))) {
      ok = false;
      break;
    }
  }
  ok = ok && ::fchmod(out, st.st_mode & 07777) == 0 && ::fsync(out) == 0;
  int error = ok ? 0 : errno;
  if (::close(out) != 0 && ok) ok = false, error = errno;
  ::close(in);
  if (ok && ::rename(temp.c_str(), to.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    ::unlink(temp.c_str());
    errno = error;
    return false;
  }
  // The copy is safely in place; the source may go now.
  ::unlink(from.c_str());
  return true;
}

}  // namespace

int CreateNewFile(const std::string& path, int mode) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                static_cast<mode_t>(mode));
}

std::FILE* CreateNewFileStream(const std::string& path, const char* mode) {
  const bool update = std::string(mode).find('+') != std::string::npos;
  const int fd = ::open(
      path.c_str(), (update ? O_RDWR : O_WRONLY) | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, mode);
  if (!f) {
    const int error = errno;
    ::close(fd);
    ::unlink(path.c_str());
    errno = error;
  }
  return f;
}

std::FILE* CreateTempBeside(const std::string& target, std::string* tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target + ".tmp-" + UniqueSuffix();
    if (std::FILE* f = CreateNewFileStream(name, "wb")) {
      *tempPath = name;
      return f;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix) {
  std::string pattern = parent + prefix + "XXXXXX";
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

bool MoveFile(const std::string& from, const std::string& to) {
  if (!g_alwaysCopy.load()) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    if (errno != EXDEV) return false;
  }
  return CopyIntoPlace(from, to);
}

void SetMoveFileAlwaysCopiesForTesting(bool always) { g_alwaysCopy.store(always); }

}  // namespace platform

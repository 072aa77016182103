#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "platform/Interrupt.h"

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

// Renames within one file system. Without replacing: a rename that refuses
// an existing target, or where the file system lacks one, a hard link (which
// cannot replace either) and the old name removed; without hard links, a
// plain rename where nothing was found.
bool Rename(const std::string& from, const std::string& to, Replace replace) {
  HoldInterrupts hold;
  struct stat before {};
  const bool existed = ::lstat(to.c_str(), &before) == 0;
  if (replace == Replace::Yes) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
  } else if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
    } else if (errno == EEXIST) {
      return false;
    } else if (existed) {  // no hard links either (FAT, say): look, then rename
      errno = EEXIST;
      return false;
    } else if (::rename(from.c_str(), to.c_str()) != 0) {
      return false;
    }
  }
  ForgetMade(from);
  // A file replaced was there before this run; only a new one is its own.
  if (!existed) NoteMadeFile(to);
  return true;
}

// Copies from into a fresh temporary beside to, then puts it in place.
bool CopyIntoPlace(const std::string& from, const std::string& to, Replace replace) {
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
  if (ok && !Rename(temp, to, replace)) ok = false, error = errno;
  if (!ok) {
    RemoveFile(temp);
    errno = error;
    return false;
  }
  // The copy is safely in place; the source may go now.
  RemoveFile(from);
  return true;
}

}  // namespace

namespace {

int OpenNew(const std::string& path, int access, int mode) {
  HoldInterrupts hold;
  const int fd = ::open(path.c_str(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        static_cast<mode_t>(mode));
  if (fd >= 0) NoteMadeFile(path);
  return fd;
}

}  // namespace

int CreateNewFile(const std::string& path, int mode) { return OpenNew(path, O_WRONLY, mode); }

std::FILE* CreateNewFileStream(const std::string& path, const char* mode) {
  const bool update = std::string(mode).find('+') != std::string::npos;
  const int fd = OpenNew(path, update ? O_RDWR : O_WRONLY, 0666);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, mode);
  if (!f) {
    const int error = errno;
    ::close(fd);
    RemoveFile(path);
    errno = error;
  }
  return f;
}

std::FILE* CreateTempBeside(const std::string& target, std::string* tempPath, const char* mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target + ".tmp-" + UniqueSuffix();
    if (std::FILE* f = CreateNewFileStream(name, mode)) {
      *tempPath = name;
      return f;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix) {
  std::string pattern = parent + prefix + "XXXXXX";
  HoldInterrupts hold;
  if (!::mkdtemp(pattern.data())) return {};
  NoteMadeFolder(pattern);
  return pattern;
}

bool IdentifyFile(const std::string& path, FileId* id) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
               static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec};
  return true;
}

bool PlaceFile(const std::string& from, const std::string& to, Replace replace) {
  if (!g_alwaysCopy.load()) {
    if (Rename(from, to, replace)) return true;
    if (errno != EXDEV) return false;
  }
  return CopyIntoPlace(from, to, replace);
}

bool MoveFile(const std::string& from, const std::string& to) {
  return PlaceFile(from, to, Replace::Yes);
}

void RemoveFile(const std::string& path) {
  HoldInterrupts hold;
  ::unlink(path.c_str());
  ForgetMade(path);
}

void RemoveFolder(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
  // Its name was unique to this run: forgetting after removing is safe.
  ForgetMade(path);
}

void SetMoveFileAlwaysCopiesForTesting(bool always) { g_alwaysCopy.store(always); }

}  // namespace platform

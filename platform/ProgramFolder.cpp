#include "platform/ProgramFolder.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_override;

std::string ReadLink(const char* link) {
  // readlink gives no hint of the length; grow until the result fits.
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = ::readlink(link, buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buf.size())
      return std::string(buf.data(), static_cast<std::size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

std::string FindProgramFolder() {
  std::string exe = ReadLink("/proc/self/exe");
  const std::size_t slash = exe.rfind('/');
  if (slash != std::string::npos) return exe.substr(0, slash + 1);
  // No /proc: the working folder is the best remaining guess.
  std::vector<char> cwd(4096);
  while (!::getcwd(cwd.data(), cwd.size())) {
    if (cwd.size() > (1u << 20)) return "./";
    cwd.resize(cwd.size() * 2);
  }
  std::string folder(cwd.data());
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string ProgramFolder() {
  // The executable does not move while it runs: look it up once.
  static const std::string real = FindProgramFolder();
  std::lock_guard lock(g_mutex);
  return g_override.empty() ? real : g_override;
}

void SetProgramFolderForTesting(const std::string& folder) {
  std::lock_guard lock(g_mutex);
  g_override = folder;
  if (!g_override.empty() && g_override.back() != '/') g_override += '/';
}

namespace {

std::function<bool(const std::string&)> g_writable;

bool IsWritableFolder(const std::string& folder) {
  {
    std::lock_guard lock(g_mutex);
    if (g_writable) return g_writable(folder);
  }
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  // Started without HOME (by a service, say): the account's own entry.
  std::vector<char> buf(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir)
    return found->pw_dir;
  return "/tmp";
}

}  // namespace

std::string UserWorkFolder() {
  // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string data =
      xdg && xdg[0] == '/' ? std::string(xdg) : WithSeparator(HomeFolder()) + ".local/share";
  return WithSeparator(data) + "zoetrix/";
}

std::string ShareFolderFor(const std::string& programFolder) {
  const std::string folder = WithSeparator(programFolder);
  if (IsFolder(folder + "include")) return folder;
  const std::string installed =
      std::filesystem::path(folder + "../share/zoetrix/").lexically_normal().string();
  if (IsFolder(installed + "include")) return WithSeparator(installed);
  return folder;
}

std::string WorkFolderFor(const std::string& programFolder) {
  const std::string folder = WithSeparator(programFolder);
  // An installed tool never works beside itself, not even when it may write
  // there (run by root, say): bin/ is no place for animations.
  if (ShareFolderFor(folder) == folder && IsWritableFolder(folder)) return folder;
  const std::string user = UserWorkFolder();
  std::error_code ec;
  for (const char* sub : {"Code", "Animate", "Project", "data"})
    std::filesystem::create_directories(user + sub, ec);
  return user;
}

std::string WorkFolder() { return WorkFolderFor(ProgramFolder()); }

std::string ShareFolder() { return ShareFolderFor(ProgramFolder()); }

void SetWritableCheckForTesting(std::function<bool(const std::string&)> check) {
  std::lock_guard lock(g_mutex);
  g_writable = std::move(check);
}

}  // namespace platform

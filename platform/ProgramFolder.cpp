#include "platform/ProgramFolder.h"

#include <unistd.h>
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

}  // namespace platform

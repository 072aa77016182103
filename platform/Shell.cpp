#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <vector>

extern char** environ;

namespace platform {
namespace {

std::mutex g_mutex;
std::function<void(const std::string&)> g_hook;

std::vector<std::string> OpenerCandidates() {
  const char* path = std::getenv("PATH");
  std::string_view dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::vector<std::string> out;
  for (;;) {
    const std::size_t colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    if (dir.empty()) dir = ".";  // an empty entry means the working folder
    std::string file(dir);
    file += "/xdg-open";
    out.push_back(std::move(file));
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return out;
}

// Runs in the grandchild: only async-signal-safe calls from here on, since the
// tool may have other threads holding locks at fork time.
[[noreturn]] void ExecOpener(const std::vector<const char*>& candidates, char* const argv[]) {
  ::setsid();
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  ::signal(SIGCHLD, SIG_DFL);
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (null > 2) ::close(null);
  }
  ::close_range(3, ~0u, 0);
  for (const char* file : candidates) ::execve(file, argv, environ);
  ::_exit(127);
}

}  // namespace

void ShellOpen(const std::string& target) {
  {
    std::unique_lock lock(g_mutex);
    if (g_hook) {
      auto hook = g_hook;
      lock.unlock();
      hook(target);
      return;
    }
  }

  // Everything that allocates is prepared before forking.
  const std::vector<std::string> candidates = OpenerCandidates();
  std::vector<const char*> files;
  for (const std::string& c : candidates) files.push_back(c.c_str());
  std::string arg0 = "xdg-open";
  std::string arg1 = target;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};

  // Double fork: the opener is adopted by init, and the short-lived middle
  // child is reaped here, so nothing is left as a zombie.
  const pid_t middle = ::fork();
  if (middle < 0) return;
  if (middle == 0) {
    const pid_t opener = ::fork();
    if (opener == 0) ExecOpener(files, argv);
    ::_exit(opener < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
}

void SetShellOpenHookForTesting(std::function<void(const std::string&)> hook) {
  std::lock_guard lock(g_mutex);
  g_hook = std::move(hook);
}

}  // namespace platform

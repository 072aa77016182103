#include "platform/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <vector>

extern char** environ;

namespace platform {
namespace {

std::mutex g_mutex;
std::function<void(const std::string&)> g_hook;
std::string g_opener;

constexpr int kVerdictWaitMs = 2000;
constexpr int kExecFailed = 127;

std::vector<std::string> OpenerCandidates() {
  {
    std::lock_guard lock(g_mutex);
    if (!g_opener.empty()) return {g_opener};
  }
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
  ::_exit(kExecFailed);
}

// Runs in the watcher: starts the opener, waits for it and writes how it
// ended into the pipe. Async-signal-safe calls only.
[[noreturn]] void WatchOpener(int verdict, const std::vector<const char*>& candidates,
                              char* const argv[]) {
  ::signal(SIGPIPE, SIG_IGN);  // the tool may have stopped listening
  const pid_t opener = ::fork();
  if (opener == 0) {
    ::close(verdict);
    ExecOpener(candidates, argv);
  }
  int status = -1;
  if (opener > 0) {
    int raw = 0;
    while (::waitpid(opener, &raw, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
  }
  ssize_t unused = ::write(verdict, &status, sizeof status);
  (void)unused;
  ::_exit(0);
}

}  // namespace

ShellOpenResult ShellOpen(const std::string& target) {
  {
    std::unique_lock lock(g_mutex);
    if (g_hook) {
      auto hook = g_hook;
      lock.unlock();
      hook(target);
      return ShellOpenResult::Opened;
    }
  }

  // Everything that allocates is prepared before forking.
  const std::vector<std::string> candidates = OpenerCandidates();
  std::vector<const char*> files;
  for (const std::string& c : candidates) files.push_back(c.c_str());
  std::string arg0 = "xdg-open";
  std::string arg1 = target;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};

  int verdict[2];
  if (::pipe2(verdict, O_CLOEXEC) != 0) return ShellOpenResult::OpenerMissing;

  // The middle child only starts the watcher and ends, so it is reaped at
  // once; the watcher and the opener are adopted by init and leave no
  // zombie, however long the opener runs.
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(verdict[0]);
    ::close(verdict[1]);
    return ShellOpenResult::OpenerMissing;
  }
  if (middle == 0) {
    ::close(verdict[0]);
    const pid_t watcher = ::fork();
    if (watcher == 0) WatchOpener(verdict[1], files, argv);
    ::_exit(watcher < 0 ? 1 : 0);
  }
  ::close(verdict[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ::close(verdict[0]);
    return ShellOpenResult::OpenerMissing;
  }

  int opener = -1;
  std::size_t got = 0;
  pollfd p{verdict[0], POLLIN, 0};
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kVerdictWaitMs);
  bool ended = false;
  while (!ended && got < sizeof opener) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t n =
        ::read(verdict[0], reinterpret_cast<char*>(&opener) + got, sizeof opener - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n == 0 || errno != EINTR) {
      ended = true;
    }
  }
  ::close(verdict[0]);
  if (got < sizeof opener) return ended ? ShellOpenResult::OpenerMissing : ShellOpenResult::Opened;
  if (opener == 0) return ShellOpenResult::Opened;
  return opener == kExecFailed || opener < 0 ? ShellOpenResult::OpenerMissing
                                             : ShellOpenResult::OpenerFailed;
}

void SetOpenerForTesting(const std::string& program) {
  std::lock_guard lock(g_mutex);
  g_opener = program;
}

void SetShellOpenHookForTesting(std::function<void(const std::string&)> hook) {
  std::lock_guard lock(g_mutex);
  g_hook = std::move(hook);
}

}  // namespace platform

#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/Interrupt.h"
#include "platform/JobProgress.h"

extern char** environ;

namespace platform {
namespace {

// How long a cancelled program has to end by itself: 16 x 5 ms, within the
// tenth of a second a cancel may take.
constexpr int kTermGraceSteps = 16;

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }
  void Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd;
};

// Errors of a start that say "this program cannot be run", as opposed to
// "no process can be made just now".
bool MeansProgramMissing(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case ENOEXEC:
    case ELOOP:
    case ENAMETOOLONG:
    case EISDIR:
    case ETXTBSY:
      return true;
    default:
      return false;
  }
}

// When to stop waiting for the program: a deadline, a job's cancel, both or
// neither.
struct Stop {
  bool limited = false;
  Clock::time_point deadline;
  const JobProgress* job = nullptr;

  bool Due() const { return (limited && Clock::now() >= deadline) || (job && job->Cancelled()); }
  // Milliseconds for poll(), rounded up; -1 waits forever. A job is looked
  // at every few tens of milliseconds.
  int PollWait() const {
    constexpr long long kLookAtJob = 20;
    long long wait = job ? kLookAtJob : -1;
    if (limited) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      const long long ms = std::max<long long>(0, std::min<long long>(left.count(), 60'000));
      wait = wait < 0 ? ms : std::min(wait, ms);
    }
    return static_cast<int>(wait);
  }
  bool Waits() const { return limited || job; }
};

// Reads what is there until the end of the pipe, a failure, or the stop.
// False when the stop came first.
bool ReadToEnd(int fd, std::string& out, const Stop& stop) {
  char buffer[8192];
  for (;;) {
    if (stop.Due()) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, stop.PollWait());
    if (ready < 0) {
      if (errno == EINTR) continue;
      return true;  // cannot wait on the pipe: stop reading, the wait below still ends the run
    }
    if (ready == 0) continue;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      out.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0) {
      return true;
    } else if (errno != EINTR && errno != EAGAIN) {
      return true;
    }
  }
}

enum class Wait { Reaped, Lost, Stopped };

// Waits for the child, giving up at the stop. Lost: someone else reaped
// it, so how it ended is unknown.
Wait WaitForExit(pid_t pid, int& status, const Stop& stop) {
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, stop.Waits() ? WNOHANG : 0);
    if (done == pid) return Wait::Reaped;
    if (done < 0 && errno != EINTR) return Wait::Lost;
    if (done == 0) {
      if (stop.Due()) return Wait::Stopped;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                         const std::string& workingFolder, const JobProgress* job) {
  ProcessResult result;
  if (argv.empty() || argv[0].empty()) {
    result.programMissing = true;
    return result;
  }

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    result.pipeFailed = true;
    return result;
  }
  Fd readEnd(ends[0]);
  Fd writeEnd(ends[1]);

  // The child: output and errors into the pipe, input from the null device,
  // nothing else of ours open, default signal handling, and a process group
  // of its own so a timeout can stop everything it started.
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
  ::posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 2);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!workingFolder.empty())
    ::posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif

  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &all);
  ::posix_spawnattr_setpgroup(&attributes, 0);
  ::posix_spawnattr_setflags(
      &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> args = argv;  // posix_spawn wants mutable strings
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);

  pid_t pid = -1;
  int error = 0;
  {
    // An interrupted command line stops the program before removing its
    // files: no signal may come between its start and the note of its group,
    // or it would outlive the tool. The child starts with a clean mask
    // (POSIX_SPAWN_SETSIGMASK above), so holding here holds nothing there.
    const HoldInterrupts hold;
    error = ::posix_spawnp(&pid, args[0].c_str(), &actions, &attributes, pointers.data(), environ);
    if (error == 0) NoteRunningGroup(pid);
  }
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attributes);
  // Only the child may hold the write end now, so the end of the pipe is the
  // end of the child and of everything that inherited its output.
  writeEnd.Close();
  if (error != 0) {
    result.programMissing = MeansProgramMissing(error);
    return result;
  }
  result.started = true;

  const Stop stop{timeout.count() > 0, Clock::now() + timeout, job};
  int status = 0;
  Wait wait = Wait::Stopped;
  if (ReadToEnd(readEnd.get(), result.output, stop)) wait = WaitForExit(pid, status, stop);
  if (wait == Wait::Stopped) {
    if (job && job->Cancelled())
      result.cancelled = true;
    else
      result.timedOut = true;
    // Cancelled, a compiler gets a moment to remove its own temporary files
    // (gcc does so on SIGTERM) before the group is killed.
    bool reaped = false;
    if (result.cancelled) {
      ::killpg(pid, SIGTERM);
      for (int i = 0; i < kTermGraceSteps && !reaped; ++i) {
        reaped = ::waitpid(pid, &status, WNOHANG) == pid;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    ::killpg(pid, SIGKILL);  // what is left of the group
    wait = reaped ? Wait::Reaped : WaitForExit(pid, status, Stop{});
    // Keep what the group wrote before it died; a process that left the group
    // and still holds the pipe is not waited for long. A cancelled job wants
    // none of it and no wait.
    if (!result.cancelled)
      ReadToEnd(readEnd.get(), result.output,
                Stop{true, Clock::now() + std::chrono::milliseconds(500), nullptr});
  }

  NoteRunningGroup(0);
  if (wait != Wait::Reaped) return result;
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signaled = true;
    result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace platform

#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/Interrupt.h"

extern char** environ;

namespace platform {
namespace {

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

// Milliseconds for poll() until the deadline, rounded up; -1 waits forever.
int PollWait(bool limited, Clock::time_point deadline) {
  if (!limited) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), 60'000));
}

// Reads what is there until the end of the pipe, a failure, or the deadline.
// False when the deadline came first.
bool ReadToEnd(int fd, std::string& out, bool limited, Clock::time_point deadline) {
  char buffer[8192];
  for (;;) {
    if (limited && Clock::now() >= deadline) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, PollWait(limited, deadline));
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

enum class Wait { Reaped, Lost, Deadline };

// Waits for the child; with a limit, gives up at the deadline. Lost: someone
// else reaped it, so how it ended is unknown.
Wait WaitForExit(pid_t pid, int& status, bool limited, Clock::time_point deadline) {
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, limited ? WNOHANG : 0);
    if (done == pid) return Wait::Reaped;
    if (done < 0 && errno != EINTR) return Wait::Lost;
    if (done == 0) {
      if (Clock::now() >= deadline) return Wait::Deadline;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                         const std::string& workingFolder) {
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

  const bool limited = timeout.count() > 0;
  const Clock::time_point deadline = Clock::now() + timeout;
  int status = 0;
  Wait wait = Wait::Deadline;
  if (ReadToEnd(readEnd.get(), result.output, limited, deadline))
    wait = WaitForExit(pid, status, limited, deadline);
  if (wait == Wait::Deadline) {
    result.timedOut = true;
    ::killpg(pid, SIGKILL);
    wait = WaitForExit(pid, status, false, deadline);
    // Keep what the group wrote before it died; a process that left the group
    // and still holds the pipe is not waited for long.
    ReadToEnd(readEnd.get(), result.output, true, Clock::now() + std::chrono::milliseconds(500));
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

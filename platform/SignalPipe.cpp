#include "platform/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace platform {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Plain storage the handler may read.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;

void OnEndSignal(int sig) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(sig);
  // A full pipe already holds a request to end.
  [[maybe_unused]] const ssize_t put = ::write(g_writeEnd, &number, 1);
  errno = saved;
}

}  // namespace

int CatchEndSignals() {
  if (g_readEnd < 0) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    g_readEnd = ends[0];
    g_writeEnd = ends[1];
  }
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int sig : kEndSignals) sigaddset(&action.sa_mask, sig);
  for (int sig : kEndSignals) {
    struct sigaction old {};
    ::sigaction(sig, nullptr, &old);
    if (old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &action, nullptr);
  }
  return g_readEnd;
}

int TakeEndSignal(int fd) {
  unsigned char number = 0;
  for (;;) {
    const ssize_t got = ::read(fd, &number, 1);
    if (got == 1) return number;
    if (got < 0 && errno == EINTR) continue;
    return 0;
  }
}

void ReleaseEndSignals() {
  for (int sig : kEndSignals) {
    struct sigaction old {};
    ::sigaction(sig, nullptr, &old);
    if (old.sa_handler == OnEndSignal) ::signal(sig, SIG_DFL);
  }
}

void EndAsSignal(int sig) {
  ::signal(sig, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(sig);
}

}  // namespace platform

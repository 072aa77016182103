#include "platform/Interrupt.h"

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <iterator>

#include "platform/SignalPipe.h"

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A run makes a dozen files and folders at most; room for many more.
constexpr std::size_t kSlots = 64;
constexpr std::size_t kPathRoom = 4096;

enum Kind : int { kFree = 0, kFile = 1, kFolder = 2 };

// The kind is written last when a slot is filled and first when it is
// freed, so the handler never reads a path being written.
struct Slot {
  std::atomic<int> kind{kFree};
  char path[kPathRoom];
};

Slot g_slots[kSlots];
std::atomic<int> g_group{0};
std::atomic<bool> g_active{false};
pthread_t g_owner;  // the thread that notes, set before the handler is installed
struct sigaction g_oldActions[std::size(kSignals)];
bool g_installed[std::size(kSignals)];

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler reads these");

void Interrupts(sigset_t* set) {
  sigemptyset(set);
  for (int sig : kSignals) sigaddset(set, sig);
}

void Pause(long nanoseconds) {
  timespec pause{0, nanoseconds};
  ::nanosleep(&pause, nullptr);
}

// The compiler gets a moment to remove its own temporary files (gcc does so
// on SIGTERM), then its whole group is killed.
void StopRunningGroup() {
  const pid_t leader = g_group.load();
  if (leader <= 0) return;
  int status = 0;
  pid_t done = ::waitpid(leader, &status, WNOHANG);
  // Reaped already: its id may belong to someone else by now.
  if (done < 0) return;
  ::killpg(leader, SIGTERM);
  for (int i = 0; done == 0 && i < 200; ++i) {
    Pause(10'000'000);
    done = ::waitpid(leader, &status, WNOHANG);
  }
  ::killpg(leader, SIGKILL);
  if (done == 0) ::waitpid(leader, &status, 0);
}

void OnInterrupt(int sig) {
  // Another thread caught it: the working thread handles it, once it holds
  // interrupts no more.
  if (!pthread_equal(pthread_self(), g_owner)) {
    ::pthread_kill(g_owner, sig);
    return;
  }
  StopRunningGroup();
  // Files first, then the folders that held them, the newest first.
  for (std::size_t i = kSlots; i-- > 0;)
    if (g_slots[i].kind.load() == kFile) ::unlink(g_slots[i].path);
  for (std::size_t i = kSlots; i-- > 0;)
    if (g_slots[i].kind.load() == kFolder) ::rmdir(g_slots[i].path);
  EndAsSignal(sig);
}

void Note(const std::string& path, Kind kind) {
  if (!g_active.load() || path.empty() || path.size() >= kPathRoom) return;
  HoldInterrupts hold;
  Slot* free = nullptr;
  for (Slot& slot : g_slots) {
    const int k = slot.kind.load();
    if (k == kFree) {
      if (!free) free = &slot;
    } else if (k == kind && path == slot.path) {
      return;  // noted already
    }
  }
  if (!free) return;
  std::memcpy(free->path, path.c_str(), path.size() + 1);
  free->kind.store(kind);
}

}  // namespace

InterruptCleanup::InterruptCleanup() {
  sigset_t held, old;
  Interrupts(&held);
  sigprocmask(SIG_BLOCK, &held, &old);
  for (Slot& slot : g_slots) slot.kind.store(kFree);
  g_group.store(0);
  g_owner = pthread_self();
  g_active.store(true);
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    g_installed[i] = false;
    if (::sigaction(kSignals[i], nullptr, &g_oldActions[i]) != 0 ||
        g_oldActions[i].sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_mask = held;
    g_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

InterruptCleanup::~InterruptCleanup() {
  sigset_t held, old;
  Interrupts(&held);
  sigprocmask(SIG_BLOCK, &held, &old);
  for (std::size_t i = 0; i < std::size(kSignals); ++i)
    if (g_installed[i]) ::sigaction(kSignals[i], &g_oldActions[i], nullptr);
  g_active.store(false);
  for (Slot& slot : g_slots) slot.kind.store(kFree);
  g_group.store(0);
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

bool InterruptCleanupActive() { return g_active.load(); }

void NoteMadeFile(const std::string& path) { Note(path, kFile); }

void NoteMadeFolder(const std::string& path) { Note(path, kFolder); }

void ForgetMade(const std::string& path) {
  if (!g_active.load() || path.empty()) return;
  HoldInterrupts hold;
  for (Slot& slot : g_slots) {
    if (slot.kind.load() == kFree) continue;
    const std::size_t n = path.size();
    if (std::strncmp(slot.path, path.c_str(), n) == 0 &&
        (slot.path[n] == '\0' || slot.path[n] == '/' || path.back() == '/'))
      slot.kind.store(kFree);
  }
}

void NoteRunningGroup(int leader) {
  if (g_active.load() || leader == 0) g_group.store(leader);
}

HoldInterrupts::HoldInterrupts() {
  if (!g_active.load()) return;
  sigset_t held;
  Interrupts(&held);
  m_held = sigprocmask(SIG_BLOCK, &held, &m_old) == 0;
}

HoldInterrupts::~HoldInterrupts() {
  if (m_held) sigprocmask(SIG_SETMASK, &m_old, nullptr);
}

}  // namespace platform

// A tool killed (SIGKILL) at any point of a long series of changes, while
// its recovery copy is kept as the window keeps it, leaves a copy that reads
// as a state the user had.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"
#include "tests/RecoverySeries.h"
#include "tests/TestSupport.h"

using output::ProjectReadResult;
using output::RecoveryCopy;
using output::RecoveryOrphan;
using recoveryseries::Hash;
using recoveryseries::Series;

namespace {

void Report(int fd, std::uint64_t hash) {
  const char* p = reinterpret_cast<const char*>(&hash);
  std::size_t left = sizeof hash;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ::_exit(3);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

// The child: changes an animation without end, telling the parent of every
// state before the copy may hold it, and keeping the copy as the window's
// timer does (in the background, skipped while a write is under way). It
// starts from a project it saved, which the copy takes as its base; the
// copy exists once the third state is told.
[[noreturn]] void RunChild(const std::filesystem::path& folder, int fd, std::uint32_t seed) {
  Series series(seed);
  RecoveryCopy copy(folder, 1);
  series.Doc().m_history.Watch(&copy.Watcher());
  const std::filesystem::path saved = folder / "saved.ini";
  if (!output::WriteNewProjectFile(series.Snapshot(), saved).ok()) ::_exit(4);
  copy.MarkSaved(series.Snapshot(), saved);
  const std::uint64_t first = Hash(series.Snapshot());
  Report(fd, first);
  do series.Step();
  while (Hash(series.Snapshot()) == first);
  Report(fd, Hash(series.Snapshot()));
  copy.KeepNow(series.Doc().m_animation, series.Shown(), series.Typed());
  for (;;) {
    series.Step();
    Report(fd, Hash(series.Snapshot()));
    copy.Keep(series.Doc().m_animation, series.Shown(), series.Typed());
  }
}

// The hashes the child reported, read as they come.
struct Reported {
  int fd = -1;
  std::vector<std::uint64_t> hashes;
  std::string pending;

  // Reads until count hashes are in or the child is gone.
  void ReadUntil(std::size_t count) {
    char buffer[4096];
    while (hashes.size() < count) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      pending.append(buffer, static_cast<std::size_t>(n));
      std::size_t at = 0;
      for (; pending.size() - at >= sizeof(std::uint64_t); at += sizeof(std::uint64_t)) {
        std::uint64_t hash = 0;
        std::memcpy(&hash, pending.data() + at, sizeof hash);
        hashes.push_back(hash);
      }
      pending.erase(0, at);
    }
  }
};

}  // namespace

TEST(RecoveryCrash, AKillAtAnyPointRecoversAStateTheUserHad) {
  std::mt19937 random(20261207);
  int advanced = 0;
  constexpr int kRounds = 16;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    testsupport::TempDir dir;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::uint32_t seed = random();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(fds[0]);
      RunChild(dir.path(), fds[1], seed);
    }
    ::close(fds[1]);
    // Killed after a random number of states, at a random moment after that.
    Reported reported;
    reported.fd = fds[0];
    reported.ReadUntil(std::uniform_int_distribution<std::size_t>(3, 1500)(random));
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    reported.ReadUntil(SIZE_MAX);
    ::close(fds[0]);
    const std::vector<std::uint64_t>& states = reported.hashes;
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    ASSERT_GE(states.size(), 3u);

    RecoveryCopy next(dir.path(), 2);
    std::vector<RecoveryOrphan> orphans = next.FindOrphans();
    ASSERT_EQ(orphans.size(), 1u);
    const ProjectReadResult read = RecoveryCopy::Read(orphans[0]);
    ASSERT_TRUE(read.ok()) << read.error;
    const std::uint64_t recovered = Hash(read.animation);
    const std::unordered_set<std::uint64_t> had(states.begin(), states.end());
    EXPECT_TRUE(had.contains(recovered)) << "after " << states.size() << " states";
    if (recovered != states[1]) ++advanced;
  }
  // A copy that never got past the first state kept would pass the rule
  // above.
  // (A write waits for the disk, so a kill soon after the start may come
  // before any record: not every round advances.)
  EXPECT_GT(advanced, kRounds / 4);
}

#pragma once
// How far a long job has come, and a way to stop it.
//
// The job (an export, a compile, opening or importing) runs in one thread
// and reports through Begin and Advance; a watcher in another thread (the
// progress window, the terminal's progress line) reads Read() and may call
// Cancel(). Advance is two relaxed atomic operations, cheap enough for every
// frame.
//
// A job given a JobProgress checks it often (every frame, every few
// milliseconds of work). Once cancelled, it removes every file it had
// started writing, leaves what it was given as it was, and returns; the
// caller tells a cancelled job from a failed one by Cancelled(). A job given
// no JobProgress (nullptr) runs as it always did.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace platform {

class JobProgress {
 public:
  using Clock = std::chrono::steady_clock;

  // A stage begins: what it does, in words for the user (UTF-8; "导出 GIF"),
  // and how many units (frames, usually) it has; 0 when unknown. Done is 0.
  void Begin(const std::string& what, std::uint64_t total);
  // Units done so far in this stage. False once cancelled: stop.
  bool Advance(std::uint64_t done) {
    m_done.store(done, std::memory_order_relaxed);
    if (m_countdown.load(std::memory_order_relaxed) != 0) CountDown();
    return !m_cancelled.load(std::memory_order_relaxed);
  }
  // The stage's total, when it becomes known only as the job runs.
  void SetTotal(std::uint64_t total) { m_total.store(total, std::memory_order_relaxed); }

  // From any thread.
  void Cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
  bool Cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

  // Cancels the job at the count-th call of Advance from now, whatever
  // stage it is in, so a test can stop a job at an exact point; 0 disarms.
  void CancelAtAdvance(std::uint64_t count) { m_countdown.store(count, std::memory_order_relaxed); }

  struct Reading {
    std::string what;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    double seconds = 0;  // since the stage began
  };
  Reading Read() const;

 private:
  void CountDown();

  mutable std::mutex m_mutex;  // m_what and m_started
  std::string m_what;
  Clock::time_point m_started = Clock::now();
  std::atomic<std::uint64_t> m_done{0};
  std::atomic<std::uint64_t> m_total{0};
  std::atomic<bool> m_cancelled{false};
  std::atomic<std::uint64_t> m_countdown{0};  // Advance calls left until the cancel; 0: none
};

// Helpers for the many jobs that take an optional JobProgress.
inline void BeginStage(JobProgress* progress, const std::string& what, std::uint64_t total) {
  if (progress) progress->Begin(what, total);
}
// False when the job was cancelled.
inline bool AdvanceStage(JobProgress* progress, std::uint64_t done) {
  return !progress || progress->Advance(done);
}
inline bool JobCancelled(const JobProgress* progress) { return progress && progress->Cancelled(); }

// Units per second so far, 0 before there is anything to tell.
double UnitsPerSecond(const JobProgress::Reading& reading);
// Seconds left at that speed; negative when it cannot be told yet (no total,
// nothing done, or less than a fifth of a second gone).
double SecondsLeft(const JobProgress::Reading& reading);

}  // namespace platform

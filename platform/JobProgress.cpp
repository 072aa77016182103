#include "platform/JobProgress.h"

namespace platform {

void JobProgress::Begin(const std::string& what, std::uint64_t total) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_what = what;
    m_started = Clock::now();
  }
  m_done.store(0, std::memory_order_relaxed);
  m_total.store(total, std::memory_order_relaxed);
}

void JobProgress::CountDown() {
  if (m_countdown.fetch_sub(1, std::memory_order_relaxed) == 1) Cancel();
}

JobProgress::Reading JobProgress::Read() const {
  Reading reading;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    reading.what = m_what;
    reading.seconds = std::chrono::duration<double>(Clock::now() - m_started).count();
  }
  reading.done = m_done.load(std::memory_order_relaxed);
  reading.total = m_total.load(std::memory_order_relaxed);
  return reading;
}

double UnitsPerSecond(const JobProgress::Reading& reading) {
  if (reading.seconds <= 0 || reading.done == 0) return 0;
  return static_cast<double>(reading.done) / reading.seconds;
}

double SecondsLeft(const JobProgress::Reading& reading) {
  if (reading.total == 0 || reading.done == 0 || reading.seconds < 0.2) return -1;
  if (reading.done >= reading.total) return 0;
  return static_cast<double>(reading.total - reading.done) / UnitsPerSecond(reading);
}

}  // namespace platform

#include "platform/Clock.h"

#include <ctime>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
std::optional<LocalTime> g_fixed;

}  // namespace

LocalTime Now() {
  {
    std::lock_guard lock(g_mutex);
    if (g_fixed) return *g_fixed;
  }
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  LocalTime now;
  if (!::localtime_r(&t, &tm)) {
    // No local time: a date of zeros and a time of -1s, which no real
    // reading gives, so the file names show what happened.
    now.hour = now.minute = now.second = -1;
    return now;
  }
  now.year = tm.tm_year + 1900;
  now.month = tm.tm_mon + 1;
  now.day = tm.tm_mday;
  now.hour = tm.tm_hour;
  now.minute = tm.tm_min;
  now.second = tm.tm_sec;
  return now;
}

void SetClockForTesting(std::optional<LocalTime> fixed) {
  std::lock_guard lock(g_mutex);
  g_fixed = fixed;
}

}  // namespace platform

#pragma once
#include <optional>

namespace platform {

struct LocalTime {
  int year = 0;    // e.g. 2019
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..60
};

// One reading of the local clock.
LocalTime Now();

// Tests fix the clock; std::nullopt restores the real one.
void SetClockForTesting(std::optional<LocalTime> fixed);

}  // namespace platform

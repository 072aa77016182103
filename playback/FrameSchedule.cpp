#include "playback/FrameSchedule.h"

#include <algorithm>
#include <cmath>

#include "document/Screen.h"

namespace playback {

namespace {
std::chrono::nanoseconds PeriodOf(int rate, double speed) {
  const double ns = document::FrameStart(1, document::PlayRate(rate) * speed, 1e9);
  return std::chrono::nanoseconds(std::llround(ns));
}
}  // namespace

FrameSchedule::FrameSchedule(int rate, double speed)
    : m_rate(rate), m_speed(speed), m_period(PeriodOf(rate, speed)) {}

void FrameSchedule::Restart(SteadyTime shown) {
  m_anchor = shown;
  m_count = 1;
}

void FrameSchedule::Advance(SteadyTime now) {
  if (now - Due() > kMaxLag) {
    Restart(now);
    return;
  }
  ++m_count;
}

void FrameSchedule::SetSpeed(double speed, SteadyTime now) {
  // The frame on screen has had (now - shown) of its time; it keeps it.
  const SteadyTime shown = Due() - m_period;
  m_speed = speed;
  m_period = PeriodOf(m_rate, speed);
  Restart(std::min(shown, now));
}

}  // namespace playback

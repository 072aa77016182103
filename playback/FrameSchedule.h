#pragma once
// When the terminal player's frames are due: at the anchor plus whole
// periods of the animation's clock (document/Screen.h) at the chosen speed,
// so the time taken to show each frame never accumulates into drift.
#include <chrono>

namespace playback {

using SteadyTime = std::chrono::steady_clock::time_point;

class FrameSchedule {
 public:
  FrameSchedule(int rate, double speed);
  // The frame on screen was shown at `shown`: the next is due a period later.
  void Restart(SteadyTime shown);
  SteadyTime Due() const { return m_anchor + m_count * m_period; }
  // The due frame has been shown at `now`. More than kMaxLag behind (a
  // stall, a slow terminal), the schedule starts again from now rather than
  // rushing through the frames it missed.
  void Advance(SteadyTime now);
  // A new speed; the frame on screen keeps the time it has already had.
  void SetSpeed(double speed, SteadyTime now);
  std::chrono::nanoseconds Period() const { return m_period; }
  double Speed() const { return m_speed; }

  static constexpr std::chrono::milliseconds kMaxLag{250};

 private:
  int m_rate;
  double m_speed;
  std::chrono::nanoseconds m_period;
  SteadyTime m_anchor{};
  long long m_count = 1;
};

}  // namespace playback

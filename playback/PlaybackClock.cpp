#include "playback/PlaybackClock.h"

#include <algorithm>

#include "document/Screen.h"

namespace playback {

int PlaybackInterval(int rate) {
  return std::max(static_cast<int>(document::WholeFrameLength(document::PlayRate(rate), 1000)), 10);
}

int StepProgress(int value, int minimum, int maximum) {
  const long long next = static_cast<long long>(value) + 1;
  if (next <= maximum) return static_cast<int>(next);
  if (maximum <= minimum) return minimum;
  // Past the end the bar goes on from minimum + 1: the step that follows the
  // restart shows the first frame, which stands one step on from the start.
  return static_cast<int>(minimum + 1 +
                          (next - minimum - 1) % (static_cast<long long>(maximum) - minimum));
}

TickEnd AfterTick(int shown, int frames, bool loop) {
  if (shown < frames) return TickEnd::Advance;
  return loop ? TickEnd::Restart : TickEnd::Stop;
}

void PlaybackSchedule::Start(Clock::time_point now, int intervalMs) {
  m_interval = std::chrono::milliseconds(intervalMs < 1 ? 1 : intervalMs);
  m_next = now + m_interval;
}

int PlaybackSchedule::NextWait(Clock::time_point now) {
  m_next += m_interval;
  if (m_next <= now) {
    m_next += ((now - m_next) / m_interval) * m_interval;  // the latest one due
    return 0;
  }
  // Down to whole milliseconds: the timer itself comes up to one late.
  const auto wait = std::chrono::floor<std::chrono::milliseconds>(m_next - now);
  return static_cast<int>(wait.count());
}

}  // namespace playback

#include "playback/PlaybackClock.h"

#include <algorithm>

int PlaybackInterval(int rate) { return std::max(1000 / (rate < 1 ? 1 : rate), 10); }

int StepProgress(int value, int minimum, int maximum) {
  const long long next = static_cast<long long>(value) + 1;
  if (next <= maximum) return static_cast<int>(next);
  if (maximum <= minimum) return minimum;
  return static_cast<int>(minimum + (next - minimum) % (static_cast<long long>(maximum) - minimum));
}

TickEnd AfterTick(int shown, int frames, bool loop) {
  if (shown < frames) return TickEnd::Advance;
  return loop ? TickEnd::Restart : TickEnd::Stop;
}

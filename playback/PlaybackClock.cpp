#include "playback/PlaybackClock.h"

int PlaybackInterval(int rate) { return 1000 / (rate < 1 ? 1 : rate); }

TickEnd AfterTick(int shown, int frames, bool loop) {
  if (shown < frames) return TickEnd::Advance;
  return loop ? TickEnd::Restart : TickEnd::Stop;
}

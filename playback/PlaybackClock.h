#pragma once
// The pace of playback in the preview area.
#include <chrono>

namespace playback {

// Milliseconds between frames at a rate: 1000 / rate, whole milliseconds (41
// at 24 frames per second). A rate below 1 plays at one frame per second; no
// rate goes faster than a frame every 10 ms.
int PlaybackInterval(int rate);

// The progress bar one step on: past its end it starts over from the start
// of its range, keeping in step with the frames.
int StepProgress(int value, int minimum, int maximum);

// What a tick does after showing frame `shown` of `frames`.
enum class TickEnd {
  Advance,  // more frames follow: move the indicators, go on with the next
  Restart,  // the last frame was shown and playback loops: frame 1 is next
  Stop,     // the last frame was shown: playback ends
};
TickEnd AfterTick(int shown, int frames, bool loop);

// Ticks against deadlines counted from the start of playback, so the time a
// tick takes never adds up: a late tick shortens the wait for the next one.
// After a stall longer than a frame (a message box, a busy machine) the
// missed deadlines are dropped: one tick comes at once, then the old beat.
class PlaybackSchedule {
 public:
  using Clock = std::chrono::steady_clock;

  // Playback starts at now; the first tick is due one interval later.
  void Start(Clock::time_point now, int intervalMs);
  // After a tick at now: whole milliseconds to wait for the next deadline
  // (rounded down, 0 when it has passed).
  int NextWait(Clock::time_point now);
  Clock::time_point NextDeadline() const { return m_next; }

 private:
  Clock::time_point m_next{};
  Clock::duration m_interval = std::chrono::seconds(1);
};

}  // namespace playback

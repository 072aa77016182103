#pragma once
// The terminal player's keys and what they do: which frame is on screen,
// paused or playing, the speed, and when the next frame is due.
#include <optional>
#include <string_view>
#include <vector>

#include "playback/FrameSchedule.h"
#include "playback/PlayArguments.h"

namespace playback {

enum class PlayerKey { Pause, StepBack, StepForward, Faster, Slower, Quit };

// Bytes typed at the terminal to keys: space, q/Q, + (or =), - (or _), and
// the arrows left and right (ESC [ D / ESC [ C, or ESC O D / ESC O C).
// Sequences split across reads are joined; anything else is ignored.
class KeyDecoder {
 public:
  std::vector<PlayerKey> Feed(std::string_view bytes);

 private:
  int m_state = 0;  // 0 plain, 1 after ESC, 2 after ESC [ or ESC O, 3 inside other CSI
};

// What is on screen and what comes next, for keys and deadlines.
class PlayerState {
 public:
  PlayerState(FrameRange range, int rate, double speed, bool loop);

  void Start(SteadyTime now);
  int Frame() const { return m_frame; }
  bool Paused() const { return m_paused; }
  bool Finished() const { return m_finished; }
  double Speed() const { return m_schedule.Speed(); }
  // When the next frame is due; none while paused or finished.
  std::optional<SteadyTime> Deadline() const;

  // Returns true when another frame is to be shown.
  bool OnKey(PlayerKey key, SteadyTime now);
  // The deadline has passed: the next frame, the first again (looping) or
  // the end. Returns true when another frame is to be shown.
  bool OnDeadline(SteadyTime now);
  // The picture was away (a stop): its frame gets a whole period again.
  void Resume(SteadyTime now);

 private:
  FrameRange m_range;
  bool m_loop;
  FrameSchedule m_schedule;
  int m_frame;
  bool m_paused = false;
  bool m_finished = false;
};

}  // namespace playback

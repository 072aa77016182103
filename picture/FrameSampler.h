#pragma once
// The frames a timed sequence of pictures gives at a fixed rate: frame k
// shows the picture on screen at from + k / rate seconds, so a picture that
// lasts longer than a frame is held over several (copies of one frame), and
// pictures shorter than a frame may be skipped. The first picture also
// covers any time before it starts.
namespace picture {

class FrameSampler {
 public:
  // Frames from `from` seconds on, up to but not including `to` (none when
  // `to` is negative).
  FrameSampler(int rate, double from = 0, double to = -1);

  // A picture starts at `start`: how many of the next frames come before it
  // (and before the end), the frames the picture before it fills. Starts
  // given in order; a start within a nanosecond of a frame's time counts as
  // that frame's.
  long long FramesBefore(double start);

  // Whether a picture starting at `start` shows in no frame: at or after the end.
  bool PastEnd(double start) const;

  // Whether a picture shown from `start` until before `end` would be in a
  // frame (the next one's time falls in it, before the end).
  bool Shows(double start, double end) const;

  // Frames given so far.
  long long Taken() const { return m_next; }

 private:
  int m_rate;
  double m_from, m_to;
  long long m_next = 0;
};

}  // namespace picture

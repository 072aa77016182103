#pragma once
// What zoetrix --play may be asked for beyond the animation: which frames
// (--from, --to) and how fast (--speed, and the keys + and -).
#include <optional>
#include <string>

namespace playback {

// Frames first..last, indexes from 0, inclusive.
struct FrameRange {
  int first = 0;
  int last = 0;
  int Count() const { return last - first + 1; }
};

// The frames --from and --to select (numbers from 1, inclusive; not given:
// the first / the last). Empty on success, otherwise the message (UTF-8).
std::string SelectFrames(int frameCount, std::optional<int> from, std::optional<int> to,
                         FrameRange* range);

inline constexpr double kMinPlaySpeed = 0.01;
inline constexpr double kMaxPlaySpeed = 100.0;
// What one press of '+' / '-' does to the speed, within the bounds above.
double FasterSpeed(double speed);
double SlowerSpeed(double speed);

}  // namespace playback

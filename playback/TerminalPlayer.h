#pragma once
// Playing an animation in the terminal the tool runs in (zoetrix --play).
//
// On a terminal the picture is drawn like the compiled program draws it:
// from the top-left corner, over what was there, in the animation's colours,
// GBK converted to the terminal's encoding, the cursor hidden. Only the rows
// that differ from the picture on screen are written, each from its start
// and ended by "clear to end of line"; rows the new picture no longer has are
// cleared with "clear to end of screen". Frames are due at absolute times
// (start + k periods), so the time taken by writing never adds up.
//
// Anything else (a pipe, a file) gets plain frames at once, for reading and
// for scripts: each frame's text in the terminal's encoding with LF line
// ends and, unless empty, one LF after its last line; between two frames a
// line holding only a form feed ("\f\n"); nothing after the last frame. No
// escape sequence, no pacing, no looping.
//
// Both drop control characters other than tab from the frames (the console
// would pass them to the terminal, where an ESC in a project file could
// start any sequence); a line break is CR LF, LF or a lone CR.
//
// On a terminal with a row to spare below the picture, a status row there
// shows whether it plays or is paused, the speed and the keys; it is
// erased when playing ends.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/FrameList.h"
#include "platform/Terminal.h"

namespace playback {

using SteadyTime = std::chrono::steady_clock::time_point;

// ---- which frames -------------------------------------------------------------

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

// ---- speed and pace -----------------------------------------------------------

inline constexpr double kMinPlaySpeed = 0.01;
inline constexpr double kMaxPlaySpeed = 100.0;
// What one press of '+' / '-' does to the speed, within the bounds above.
double FasterSpeed(double speed);
double SlowerSpeed(double speed);

// When frames are due: at the anchor plus whole periods, so the time taken
// to show each frame never accumulates into drift.
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

// ---- keys ---------------------------------------------------------------------

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

// ---- pictures -----------------------------------------------------------------

// One screen row of a frame: the bytes for the terminal, and the columns
// they fill (a GBK double-byte character takes two, as on the console).
struct ScreenRow {
  std::string bytes;
  int width = 0;
  bool operator==(const ScreenRow&) const = default;
};
using Picture = std::vector<ScreenRow>;

// A frame as the screen shows it: lines wrap at `cols` (0: unknown, no
// wrap) the way the terminal wraps them, a double-width character that
// does not fit going to the next row; tabs become spaces up to the next
// multiple of 8; at most `rows` rows (0: all); trailing empty rows dropped.
Picture LayOutFrame(std::string_view gbk, const platform::TerminalEncoding& encoding, int cols,
                    int rows);

// Bytes that turn the screen from `shown` (null: unknown, draw it all) into
// `next`, for a terminal of `cols` x `rows` (0: unknown).
std::string DrawPicture(const Picture* shown, const Picture& next, int cols, int rows);

// The console colour code as a terminal sequence, read by
// document::ReadColorCode; empty where the console would leave the
// terminal's own colours.
std::string ColorSequence(std::string_view code);

// Hides the cursor and sets the colours, at start and after a stop.
std::string EnterSequence(std::string_view colorCode);
// Colours back, the status row (when one is shown, at statusRow) erased,
// the cursor at the start of the row below the picture and visible: what
// is left when playing ends.
std::string LeaveSequence(const Picture& shown, int statusRow = -1);

// One frame for a pipe or a file (see above), without the separator.
std::string PlainFrame(std::string_view gbk, const platform::TerminalEncoding& encoding);
inline constexpr std::string_view kPlainFrameSeparator = "\f\n";

// ---- playing ------------------------------------------------------------------

// What the player needs from a terminal; tests give it a fake one.
class PlayerTerminal {
 public:
  virtual ~PlayerTerminal() = default;
  virtual SteadyTime Now() = 0;
  // Waits until the deadline (none: until something happens); the keys typed.
  virtual std::string Wait(std::optional<SteadyTime> deadline) = 0;
  // True once after anything may have drawn over the picture.
  virtual bool TakeRedraw() = 0;
  virtual platform::TerminalSize Size() = 0;
  virtual bool Write(std::string_view bytes) = 0;
  // What the terminal is to get when playing ends, however it ends.
  virtual void SetLeave(std::string_view bytes) = 0;
};

// A real terminal: writes to `out`, keys from `in`, for as long as it lives
// (see platform::TerminalSession).
class SessionTerminal : public PlayerTerminal {
 public:
  SessionTerminal(int in, int out, std::string_view enter);
  SteadyTime Now() override;
  std::string Wait(std::optional<SteadyTime> deadline) override;
  bool TakeRedraw() override;
  platform::TerminalSize Size() override;
  bool Write(std::string_view bytes) override;
  void SetLeave(std::string_view bytes) override;

 private:
  int m_out;
  platform::TerminalSession m_session;
};

struct PlaySettings {
  FrameRange range;
  int rate = 1;
  double speed = 1.0;
  bool loop = false;
  // The status row: whether there is one, and the canvas height it goes
  // below (a taller frame pushes it down; 0: right below each frame).
  bool statusRow = false;
  int canvasRows = 0;
};

struct PlayCounts {
  bool ok = true;             // false when writing failed
  int error = 0;              // errno of the failed write
  long long framesShown = 0;  // frames drawn (redraws not counted)
  long long bytesWritten = 0;
};

// Plays on a terminal until the end (playing once), `q`, or a failed write.
PlayCounts PlayInTerminal(const std::vector<document::FrameText>& frames,
                          const PlaySettings& settings, const platform::TerminalEncoding& encoding,
                          PlayerTerminal& terminal);

// Writes the frames of the range to fd in the plain form. False when a
// write failed.
bool PlayPlain(const std::vector<document::FrameText>& frames, FrameRange range,
               const platform::TerminalEncoding& encoding, int fd);

// Plays to standard output: on a terminal (keys from standard input, the
// status row as the settings ask) or plainly. Returns the process exit
// status; a failure, and the locale's encoding when it is not used, are
// reported on standard error.
int PlayToStandardOutput(const std::vector<document::FrameText>& frames,
                         const PlaySettings& settings, std::string_view colorCode);

}  // namespace playback

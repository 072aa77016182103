#pragma once
// Playing an animation in the terminal the tool runs in (zoetrix --play):
// the loops. This header also brings in the player's parts: the frames and
// speeds it may be asked for (PlayArguments.h), when frames are due
// (FrameSchedule.h), keys and state (PlayerState.h) and what it draws
// (TerminalPicture.h).
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
// Neither passes a control character of a frame on to the terminal, where
// an ESC in a project file could start any sequence: the picture lays the
// frame out by the console's rules (document/ScreenCells.h), a control
// character a blank, a lone CR back to the start of the row; the plain form
// leaves control characters other than tab out and takes a lone CR for a
// line break.
//
// On a terminal with a row to spare below the picture, a status row there
// shows whether it plays or is paused, the speed and the keys; it is
// erased when playing ends.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "document/Animation.h"
#include "platform/Terminal.h"
#include "playback/FrameSchedule.h"
#include "playback/PlayArguments.h"
#include "playback/PlayerState.h"
#include "playback/TerminalPicture.h"

namespace playback {

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

// How to play, beyond what the animation holds (its rate, colour code and
// canvas height come from the animation).
struct PlaySettings {
  FrameRange range;
  double speed = 1.0;
  bool loop = false;
  // A status row below the canvas (a taller frame pushes it down).
  bool statusRow = false;
};

struct PlayCounts {
  bool ok = true;             // false when writing failed
  int error = 0;              // errno of the failed write
  long long framesShown = 0;  // frames drawn (redraws not counted)
  long long bytesWritten = 0;
};

// Plays the animation's frames on a terminal until the end (playing once),
// `q`, or a failed write.
PlayCounts PlayInTerminal(const document::Animation& animation, const PlaySettings& settings,
                          const platform::TerminalEncoding& encoding, PlayerTerminal& terminal);

// Writes the animation's frames of the range to fd in the plain form.
// False when a write failed.
bool PlayPlain(const document::Animation& animation, FrameRange range,
               const platform::TerminalEncoding& encoding, int fd);

// Plays to standard output: on a terminal (keys from standard input, the
// status row as the settings ask, in the animation's colours) or plainly.
// Returns the process exit status; a failure, and the locale's encoding
// when it is not used, are reported on standard error.
int PlayToStandardOutput(const document::Animation& animation, const PlaySettings& settings);

}  // namespace playback

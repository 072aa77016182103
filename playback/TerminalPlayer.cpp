#include "playback/TerminalPlayer.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Cp936.h"
#include "res/Printable.h"
#include "res/Texts.h"

namespace playback {

namespace {

// Frame i (from 0) of the animation; empty past the end.
std::string_view FrameTextAt(const document::Animation& animation, int i) {
  const document::FrameNode* node = animation.m_frames.At(i);
  return node ? std::string_view(node->Text()) : std::string_view();
}

// The speed as a short number: "1", "1.25", "0.8", "1.56".
std::string SpeedText(double speed) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", speed);
  std::string shown = text;
  while (shown.back() == '0') shown.pop_back();
  if (shown.back() == '.') shown.pop_back();
  return shown;
}

// The status row for the state, in `cols` columns (0: unknown).
ScreenRow StatusRow(const PlayerState& state, const platform::TerminalEncoding& encoding,
                    int cols) {
  const std::string utf8 =
      res::Format(state.Paused() ? res::kPlayStatusPaused : res::kPlayStatusPlaying,
                  {SpeedText(state.Speed()), std::to_string(state.Frame() + 1)});
  // Short of the last column, where a character would leave the cursor
  // waiting to wrap.
  Picture row = LayOutFrame(platform::cp936::ToGbk(utf8).bytes, encoding,
                            cols > 0 ? std::max(cols - 1, 1) : 0, 1);
  return row.empty() ? ScreenRow{} : row[0];
}

}  // namespace

PlayCounts PlayInTerminal(const document::Animation& animation, const PlaySettings& settings,
                          const platform::TerminalEncoding& encoding, PlayerTerminal& terminal) {
  PlayCounts counts;
  PlayerState state(settings.range, animation.m_nRate, settings.speed, settings.loop);
  KeyDecoder decoder;
  Picture frame;   // the frame's own rows
  Picture screen;  // what is on screen: the frame, then the status row below it
  bool screenKnown = false;
  platform::TerminalSize size = terminal.Size();

  auto show = [&](bool count) {
    Picture nextFrame =
        LayOutFrame(FrameTextAt(animation, state.Frame()), encoding, size.cols, size.rows);
    Picture next = nextFrame;
    // The status row goes below the canvas, or below a taller frame, when
    // the terminal has that row.
    int statusRow = std::max(animation.m_nAnimHigh, static_cast<int>(nextFrame.size()));
    if (settings.statusRow && size.rows > 0 && statusRow < size.rows) {
      next.resize(static_cast<std::size_t>(statusRow));
      next.push_back(StatusRow(state, encoding, size.cols));
    } else {
      statusRow = -1;
    }
    const std::string bytes =
        DrawPicture(screenKnown ? &screen : nullptr, next, size.cols, size.rows);
    if (!terminal.Write(bytes)) {
      counts.ok = false;
      counts.error = errno;
      return;
    }
    counts.bytesWritten += static_cast<long long>(bytes.size());
    if (count) ++counts.framesShown;
    frame = std::move(nextFrame);
    screen = std::move(next);
    screenKnown = true;
    terminal.SetLeave(LeaveSequence(frame, statusRow));
  };

  state.Start(terminal.Now());
  show(true);
  while (counts.ok && !state.Finished()) {
    const std::string typed = terminal.Wait(state.Deadline());
    const SteadyTime now = terminal.Now();
    bool newFrame = false;
    const bool paused = state.Paused();
    const double speed = state.Speed();
    for (const PlayerKey key : decoder.Feed(typed)) newFrame |= state.OnKey(key, now);
    if (terminal.TakeRedraw()) {
      // Back from a stop, or a new size: the screen holds anything now.
      size = terminal.Size();
      screenKnown = false;
      state.Resume(now);
    }
    if (const auto due = state.Deadline(); due && now >= *due) newFrame |= state.OnDeadline(now);
    const bool statusChanged =
        settings.statusRow && (state.Paused() != paused || state.Speed() != speed);
    if ((newFrame || statusChanged || !screenKnown) && !state.Finished()) show(newFrame);
  }
  return counts;
}

bool PlayPlain(const document::Animation& animation, FrameRange range,
               const platform::TerminalEncoding& encoding, int fd) {
  std::string out;
  for (int i = range.first; i <= range.last; ++i) {
    if (i > range.first) out += kPlainFrameSeparator;
    out += PlainFrame(FrameTextAt(animation, i), encoding);
    if (out.size() >= (1u << 16)) {
      if (!platform::WriteAll(fd, out)) return false;
      out.clear();
    }
  }
  return platform::WriteAll(fd, out);
}

SessionTerminal::SessionTerminal(int in, int out, std::string_view enter)
    : m_out(out), m_session(in, out, enter, LeaveSequence({})) {}
SteadyTime SessionTerminal::Now() { return std::chrono::steady_clock::now(); }
std::string SessionTerminal::Wait(std::optional<SteadyTime> deadline) {
  return m_session.Wait(deadline);
}
bool SessionTerminal::TakeRedraw() { return m_session.TakeRedraw(); }
platform::TerminalSize SessionTerminal::Size() { return platform::SizeOf(m_out); }
bool SessionTerminal::Write(std::string_view bytes) { return m_session.Write(bytes); }
void SessionTerminal::SetLeave(std::string_view bytes) { m_session.SetLeave(bytes); }

int PlayToStandardOutput(const document::Animation& animation, const PlaySettings& settings) {
  using Fallback = platform::TerminalEncoding::Fallback;
  const platform::TerminalEncoding encoding = platform::TerminalEncoding::FromLocale();
  bool ok;
  int error = 0;
  if (platform::IsTerminal(STDOUT_FILENO)) {
    SessionTerminal terminal(STDIN_FILENO, STDOUT_FILENO, EnterSequence(animation.m_strColor));
    const PlayCounts counts = PlayInTerminal(animation, settings, encoding, terminal);
    ok = counts.ok;
    error = counts.error;
  } else {
    ok = PlayPlain(animation, settings.range, encoding, STDOUT_FILENO);
    error = errno;
  }
  // Afterwards, so that on the terminal it comes below the picture rather
  // than under it.
  if (encoding.Refusal() != Fallback::None) {
    const char* note = encoding.Refusal() == Fallback::Unknown ? res::kPlayEncodingUnknown
                                                               : res::kPlayEncodingUnsafe;
    std::fprintf(stderr, "%s\n",
                 res::Format(note, {res::Printable(encoding.RefusedName())}).c_str());
  }
  if (!ok) {
    std::fprintf(stderr, "%s\n",
                 res::Format(res::kPlayWriteFailed, {std::strerror(error)}).c_str());
    return 1;
  }
  return 0;
}

}  // namespace playback

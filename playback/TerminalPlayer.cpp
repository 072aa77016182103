#include "playback/TerminalPlayer.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "document/Screen.h"
#include "platform/Cp936.h"
#include "res/Printable.h"
#include "res/Texts.h"

using document::FrameText;

namespace playback {

namespace {

constexpr std::string_view kHideCursor = "\033[?25l";
constexpr std::string_view kShowCursor = "\033[?25h";
constexpr std::string_view kResetColours = "\033[0m";
constexpr std::string_view kClearLine = "\033[K";
constexpr std::string_view kClearBelow = "\033[J";

// The second byte of a GBK character; a lead byte followed by anything
// else stands alone, as the console takes it.
bool IsTrailByte(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

std::string MoveTo(int row) {  // row from 0, column 0
  return row == 0 ? std::string("\033[H") : "\033[" + std::to_string(row + 1) + ";1H";
}

}  // namespace

// ---- which frames -------------------------------------------------------------

std::string SelectFrames(int frameCount, std::optional<int> from, std::optional<int> to,
                         FrameRange* range) {
  if (frameCount < 1) return res::kPlayNoFrames;
  const std::string span = res::Format(res::kPlayFrameSpan, {std::to_string(frameCount)});
  if (from && (*from < 1 || *from > frameCount))
    return res::Format(res::kPlayFromOutOfRange, {span});
  if (to && (*to < 1 || *to > frameCount)) return res::Format(res::kPlayToOutOfRange, {span});
  const int first = from.value_or(1), last = to.value_or(frameCount);
  if (last < first) return res::kPlayToBeforeFrom;
  range->first = first - 1;
  range->last = last - 1;
  return {};
}

// ---- speed and pace -----------------------------------------------------------

double FasterSpeed(double speed) { return std::min(speed * 1.25, kMaxPlaySpeed); }
double SlowerSpeed(double speed) { return std::max(speed / 1.25, kMinPlaySpeed); }

namespace {
std::chrono::nanoseconds PeriodOf(int rate, double speed) {
  const double ns = document::FrameStart(1, document::PlayRate(rate) * speed, 1e9);
  return std::chrono::nanoseconds(std::llround(ns));
}
}  // namespace

FrameSchedule::FrameSchedule(int rate, double speed)
    : m_rate(rate), m_speed(speed), m_period(PeriodOf(rate, speed)) {}

void FrameSchedule::Restart(SteadyTime shown) {
  m_anchor = shown;
  m_count = 1;
}

void FrameSchedule::Advance(SteadyTime now) {
  if (now - Due() > kMaxLag) {
    Restart(now);
    return;
  }
  ++m_count;
}

void FrameSchedule::SetSpeed(double speed, SteadyTime now) {
  // The frame on screen has had (now - shown) of its time; it keeps it.
  const SteadyTime shown = Due() - m_period;
  m_speed = speed;
  m_period = PeriodOf(m_rate, speed);
  Restart(std::min(shown, now));
}

// ---- keys ---------------------------------------------------------------------

std::vector<PlayerKey> KeyDecoder::Feed(std::string_view bytes) {
  std::vector<PlayerKey> keys;
  for (const char c : bytes) {
    if (m_state == 1) {
      m_state = (c == '[' || c == 'O') ? 2 : 0;
      if (m_state == 2) continue;
    } else if (m_state == 2 || m_state == 3) {
      // Parameters and intermediates until the final byte.
      if (c >= 0x40 && c <= 0x7E) {
        if (m_state == 2 && c == 'C') keys.push_back(PlayerKey::StepForward);
        if (m_state == 2 && c == 'D') keys.push_back(PlayerKey::StepBack);
        m_state = 0;
      } else {
        m_state = 3;  // something with parameters: not a plain arrow
      }
      continue;
    }
    switch (c) {
      case '\033':
        m_state = 1;
        break;
      case ' ':
        keys.push_back(PlayerKey::Pause);
        break;
      case 'q':
      case 'Q':
        keys.push_back(PlayerKey::Quit);
        break;
      case '+':
      case '=':
        keys.push_back(PlayerKey::Faster);
        break;
      case '-':
      case '_':
        keys.push_back(PlayerKey::Slower);
        break;
      default:
        break;
    }
  }
  return keys;
}

// ---- the player's state -------------------------------------------------------

PlayerState::PlayerState(FrameRange range, int rate, double speed, bool loop)
    : m_range(range), m_loop(loop), m_schedule(rate, speed), m_frame(range.first) {}

void PlayerState::Start(SteadyTime now) {
  m_frame = m_range.first;
  m_schedule.Restart(now);
}

std::optional<SteadyTime> PlayerState::Deadline() const {
  if (m_paused || m_finished) return std::nullopt;
  return m_schedule.Due();
}

bool PlayerState::OnKey(PlayerKey key, SteadyTime now) {
  if (m_finished) return false;
  switch (key) {
    case PlayerKey::Quit:
      m_finished = true;
      return false;
    case PlayerKey::Pause:
      m_paused = !m_paused;
      if (!m_paused) m_schedule.Restart(now);  // the frame on screen gets its whole time
      return false;
    case PlayerKey::Faster:
      m_schedule.SetSpeed(FasterSpeed(m_schedule.Speed()), now);
      return false;
    case PlayerKey::Slower:
      m_schedule.SetSpeed(SlowerSpeed(m_schedule.Speed()), now);
      return false;
    case PlayerKey::StepForward:
    case PlayerKey::StepBack: {
      if (!m_paused) return false;
      const bool forward = key == PlayerKey::StepForward;
      int next = m_frame + (forward ? 1 : -1);
      if (next > m_range.last) next = m_loop ? m_range.first : m_range.last;
      if (next < m_range.first) next = m_loop ? m_range.last : m_range.first;
      if (next == m_frame) return false;
      m_frame = next;
      return true;
    }
  }
  return false;
}

bool PlayerState::OnDeadline(SteadyTime now) {
  if (m_paused || m_finished || now < m_schedule.Due()) return false;
  if (m_frame < m_range.last) {
    ++m_frame;
  } else if (m_loop) {
    m_frame = m_range.first;
  } else {
    m_finished = true;  // the last frame has had its time and stays on screen
    return false;
  }
  m_schedule.Advance(now);
  return true;
}

void PlayerState::Resume(SteadyTime now) {
  if (!m_paused) m_schedule.Restart(now);
}

// ---- pictures -----------------------------------------------------------------

Picture LayOutFrame(std::string_view gbk, const platform::TerminalEncoding& encoding, int cols,
                    int rows) {
  Picture picture(1);
  auto newRow = [&] { picture.emplace_back(); };
  auto put = [&](std::string_view character, int width) {
    if (cols > 0 && picture.back().width + width > cols) newRow();  // the terminal wraps
    encoding.AppendChar(character, picture.back().bytes);
    picture.back().width += width;
  };
  for (std::size_t i = 0;
       i < gbk.size() && (rows <= 0 || static_cast<int>(picture.size()) <= rows);) {
    const unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c == '\r' || c == '\n') {
      i += (c == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') ? 2 : 1;
      newRow();
      continue;
    }
    if (c == '\t') {
      do put(" ", 1);
      while (picture.back().width % 8 != 0 && (cols <= 0 || picture.back().width < cols));
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F) {
      ++i;
      continue;
    }
    const std::size_t n = platform::cp936::CharLength(gbk, i);
    const std::string_view character = gbk.substr(i, n);
    if (n == 2 && !IsTrailByte(character[1])) {
      put(character.substr(0, 1), 1);  // a lead byte without a second: '?' as the console shows it
      ++i;
      continue;
    }
    put(character, static_cast<int>(n));
    i += n;
  }
  if (rows > 0 && static_cast<int>(picture.size()) > rows) picture.resize(rows);
  while (!picture.empty() && picture.back().width == 0 && picture.back().bytes.empty())
    picture.pop_back();
  return picture;
}

std::string DrawPicture(const Picture* shown, const Picture& next, int cols, int rows) {
  std::string out;
  const auto fills = [cols](const ScreenRow& row) { return cols > 0 && row.width >= cols; };
  int cursorRow = -1;  // the row whose end the cursor is at, when known and not past the edge
  for (std::size_t i = 0; i < next.size(); ++i) {
    if (shown && i < shown->size() && (*shown)[i] == next[i]) continue;
    const int row = static_cast<int>(i);
    if (cursorRow >= 0 && cursorRow == row - 1)
      out += "\r\n";
    else
      out += MoveTo(row);
    out += next[i].bytes;
    // At the last column "clear to end of line" would take the character
    // under the cursor; a full row has nothing to clear anyway.
    if (fills(next[i])) {
      cursorRow = -1;
    } else {
      out += kClearLine;
      cursorRow = row;
    }
  }
  const std::size_t below = shown ? shown->size() : std::string::npos;
  const bool roomBelow = rows <= 0 || static_cast<int>(next.size()) < rows;
  if (below > next.size() && roomBelow) {
    const int row = static_cast<int>(next.size());
    if (cursorRow != row - 1 || row == 0) out += MoveTo(row);
    out += kClearBelow;
  }
  return out;
}

std::string ColorSequence(std::string_view code) {
  const auto colors = document::ReadColorCode(code);
  return colors ? document::ColorSgr(*colors) : std::string();
}

std::string EnterSequence(std::string_view colorCode) {
  return std::string(kHideCursor) + ColorSequence(colorCode);
}

std::string LeaveSequence(const Picture& shown, int statusRow) {
  std::string out(kResetColours);
  if (statusRow >= 0) out += MoveTo(statusRow) + std::string(kClearLine);
  if (!shown.empty())
    out += MoveTo(static_cast<int>(shown.size()) - 1) + "\r\n";
  else if (statusRow >= 0)
    out += MoveTo(0);
  out += kShowCursor;
  return out;
}

std::string PlainFrame(std::string_view gbk, const platform::TerminalEncoding& encoding) {
  std::string out;
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c == '\r' || c == '\n') {
      i += (c == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') ? 2 : 1;
      out += '\n';
      continue;
    }
    if ((c < 0x20 && c != '\t') || c == 0x7F) {
      ++i;
      continue;
    }
    std::size_t n = platform::cp936::CharLength(gbk, i);
    if (n == 2 && !IsTrailByte(gbk[i + 1])) n = 1;
    encoding.AppendChar(gbk.substr(i, n), out);
    i += n;
  }
  if (!gbk.empty()) out += '\n';
  return out;
}

// ---- playing ------------------------------------------------------------------

namespace {

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

PlayCounts PlayInTerminal(const std::vector<FrameText>& frames, const PlaySettings& settings,
                          const platform::TerminalEncoding& encoding, PlayerTerminal& terminal) {
  PlayCounts counts;
  PlayerState state(settings.range, settings.rate, settings.speed, settings.loop);
  KeyDecoder decoder;
  Picture frame;   // the frame's own rows
  Picture screen;  // what is on screen: the frame, then the status row below it
  bool screenKnown = false;
  platform::TerminalSize size = terminal.Size();

  auto show = [&](bool count) {
    const FrameText& text = frames[static_cast<std::size_t>(state.Frame())];
    Picture nextFrame = LayOutFrame(text ? std::string_view(*text) : std::string_view(), encoding,
                                    size.cols, size.rows);
    Picture next = nextFrame;
    // The status row goes below the canvas, or below a taller frame, when
    // the terminal has that row.
    int statusRow = std::max(settings.canvasRows, static_cast<int>(nextFrame.size()));
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

bool PlayPlain(const std::vector<FrameText>& frames, FrameRange range,
               const platform::TerminalEncoding& encoding, int fd) {
  std::string out;
  for (int i = range.first; i <= range.last; ++i) {
    if (i > range.first) out += kPlainFrameSeparator;
    const FrameText& text = frames[static_cast<std::size_t>(i)];
    out += PlainFrame(text ? std::string_view(*text) : std::string_view(), encoding);
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

int PlayToStandardOutput(const std::vector<FrameText>& frames, const PlaySettings& settings,
                         std::string_view colorCode) {
  using Fallback = platform::TerminalEncoding::Fallback;
  const platform::TerminalEncoding encoding = platform::TerminalEncoding::FromLocale();
  bool ok;
  int error = 0;
  if (platform::IsTerminal(STDOUT_FILENO)) {
    SessionTerminal terminal(STDIN_FILENO, STDOUT_FILENO, EnterSequence(colorCode));
    const PlayCounts counts = PlayInTerminal(frames, settings, encoding, terminal);
    ok = counts.ok;
    error = counts.error;
  } else {
    ok = PlayPlain(frames, settings.range, encoding, STDOUT_FILENO);
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

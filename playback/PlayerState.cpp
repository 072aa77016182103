#include "playback/PlayerState.h"

namespace playback {

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

}  // namespace playback

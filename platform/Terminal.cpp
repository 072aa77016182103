#include "platform/Terminal.h"

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Cp936.h"
#include "platform/SignalPipe.h"

namespace platform {

// ---- encoding ---------------------------------------------------------------

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

std::string Lower(std::string_view s) {
  std::string plain;
  for (char c : s)
    if (c != '-' && c != '_') plain += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return plain;
}

bool IsGbkFamily(std::string_view codeset) {
  const std::string plain = Lower(codeset);
  for (const char* name : {"gbk", "cp936", "ms936", "windows936", "gb18030"})
    if (plain == name) return true;
  return false;
}

bool IsControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

enum class Conversion { Done, Lacks, Shifts };

// Converts `in` from the initial state and brings the state back to it.
// Shifts when that return writes anything: a shift state, which a terminal
// would keep until told otherwise.
Conversion ConvertWhole(iconv_t cd, std::string_view in, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[512];
  char* from = const_cast<char*>(in.data());
  char* to = buffer;
  std::size_t inLeft = in.size(), outLeft = sizeof buffer;
  if (iconv(cd, &from, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return Conversion::Lacks;
  }
  out.assign(buffer, sizeof buffer - outLeft);
  const std::size_t before = outLeft;
  iconv(cd, nullptr, nullptr, &to, &outLeft);
  return outLeft == before ? Conversion::Done : Conversion::Shifts;
}

bool HasControl(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char b) { return IsControl(static_cast<unsigned char>(b)); });
}

// ASCII-compatible and stateless: ASCII comes out as itself, and characters
// from several scripts come out without control bytes (the escapes and
// shifts of ISO-2022, the zero bytes of UTF-16) and without a shift state.
bool SafeForTerminal(iconv_t cd) {
  std::string ascii = "\t\n\r", out;
  for (char c = 0x20; c < 0x7F; ++c) ascii += c;
  if (ConvertWhole(cd, ascii, out) != Conversion::Done || out != ascii) return false;
  for (const char* probe : {"中", "é", "Ж", "あ", "가", "·"}) {
    const Conversion result = ConvertWhole(cd, probe, out);
    if (result == Conversion::Shifts || (result == Conversion::Done && HasControl(out)))
      return false;
  }
  return true;
}

}  // namespace

TerminalEncoding TerminalEncoding::FromLocale() {
  return FromLocaleVariables([](const char* name) { return std::getenv(name); });
}

TerminalEncoding TerminalEncoding::FromLocaleVariables(
    const std::function<const char*(const char*)>& get) {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    value = get(name);
    if (value && *value) break;
  }
  std::string_view codeset;
  if (value && *value) {
    const std::string_view v = value;
    if (const std::size_t dot = v.find('.'); dot != std::string_view::npos) {
      codeset = v.substr(dot + 1);
      codeset = codeset.substr(0, codeset.find('@'));
    }
  }
  return ForCodeset(codeset);
}

TerminalEncoding TerminalEncoding::ForCodeset(std::string_view codeset) {
  if (codeset.empty() || Lower(codeset) == "utf8") return TerminalEncoding(Kind::Utf8, nullptr);
  if (IsGbkFamily(codeset)) return TerminalEncoding(Kind::Gbk, nullptr);
  const iconv_t cd = iconv_open(std::string(codeset).c_str(), "UTF-8");
  if (cd != kNoIconv && SafeForTerminal(cd))
    return TerminalEncoding(Kind::Other, reinterpret_cast<void*>(cd));
  if (cd != kNoIconv) iconv_close(cd);
  TerminalEncoding utf8(Kind::Utf8, nullptr);
  utf8.m_fallback = cd == kNoIconv ? Fallback::Unknown : Fallback::Unsafe;
  utf8.m_refused = std::string(codeset);
  return utf8;
}

TerminalEncoding::TerminalEncoding(TerminalEncoding&& other) noexcept
    : m_kind(other.m_kind),
      m_handle(std::exchange(other.m_handle, nullptr)),
      m_fallback(other.m_fallback),
      m_refused(std::move(other.m_refused)) {}

TerminalEncoding& TerminalEncoding::operator=(TerminalEncoding&& other) noexcept {
  if (this != &other) {
    if (m_handle) iconv_close(reinterpret_cast<iconv_t>(m_handle));
    m_kind = other.m_kind;
    m_handle = std::exchange(other.m_handle, nullptr);
    m_fallback = other.m_fallback;
    m_refused = std::move(other.m_refused);
  }
  return *this;
}

TerminalEncoding::~TerminalEncoding() {
  if (m_handle) iconv_close(reinterpret_cast<iconv_t>(m_handle));
}

void TerminalEncoding::AppendChar(std::string_view gbk, std::string& out) const {
  if (gbk.empty()) return;
  const auto first = static_cast<unsigned char>(gbk[0]);
  if (first < 0x80) {
    out += IsControl(first) && first != '\t' ? '?' : gbk[0];
    return;
  }
  const std::string unknown(gbk.size(), '?');
  // Only a lead byte with its second byte is a character; alone (a stray
  // lead byte, 0x80, 0xFF) it would reach a GBK terminal as a C1 control,
  // and a GB18030 one would pair it with the bytes after it.
  const bool pair = gbk.size() == 2 && cp936::CharLength(gbk, 0) == 2;
  if (m_kind == Kind::Gbk) {
    out += pair ? std::string(gbk) : unknown;
    return;
  }
  if (!pair && first != 0x80) {
    out += unknown;
    return;
  }
  const std::string utf8 = cp936::ToUtf8(gbk);
  const auto byte = [&utf8](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  // One character came out, and it is not a C1 control (U+0080..U+009F).
  const bool one = (utf8.size() == 2 && byte(0) >= 0xC2 && byte(0) <= 0xDF) ||
                   (utf8.size() == 3 && byte(0) >= 0xE0 && byte(0) <= 0xEF) ||
                   (utf8.size() == 4 && byte(0) >= 0xF0 && byte(0) < 0xF4);
  if (!one || (byte(0) == 0xC2 && byte(1) < 0xA0)) {
    out += unknown;
    return;
  }
  if (m_kind == Kind::Utf8) {
    out += utf8;
    return;
  }
  std::string converted;
  const bool ok =
      ConvertWhole(reinterpret_cast<iconv_t>(m_handle), utf8, converted) == Conversion::Done &&
      !HasControl(converted);
  out += ok ? converted : unknown;
}

// ---- size and writing ---------------------------------------------------------

TerminalSize SizeOf(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0) return {};
  return {size.ws_col, size.ws_row};
}

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t n = bytes.size();
  while (n > 0) {
    const ssize_t done = ::write(fd, p, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd wait{fd, POLLOUT, 0};
        ::poll(&wait, 1, 100);
        continue;
      }
      return false;
    }
    p += done;
    n -= static_cast<std::size_t>(done);
  }
  return true;
}

// ---- the session --------------------------------------------------------------

namespace {

// What the signal handlers need, in plain storage they may read.
struct SessionState {
  int in = -1, out = -1;
  volatile sig_atomic_t keys = 0;
  termios saved{};
  termios quiet{};
  char enter[256] = {};
  std::size_t enterLen = 0;
  char leave[256] = {};
  std::size_t leaveLen = 0;
  int wake[2] = {-1, -1};
  volatile sig_atomic_t redraw = 0;
};
SessionState g_session;

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kAllSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT, SIGWINCH};
struct sigaction g_oldActions[std::size(kAllSignals)];
bool g_installed[std::size(kAllSignals)];

void HeldSignals(sigset_t* set) {
  sigemptyset(set);
  for (int sig : kAllSignals) sigaddset(set, sig);
}

bool Foreground() { return g_session.in >= 0 && ::tcgetpgrp(g_session.in) == ::getpgrp(); }

// Async-signal-safe: the handlers use both.
void SetModes(const termios& modes) {
  // From the background this would stop the program: let it through.
  sigset_t tty, old;
  sigemptyset(&tty);
  sigaddset(&tty, SIGTTOU);
  sigprocmask(SIG_BLOCK, &tty, &old);
  ::tcsetattr(g_session.in, TCSANOW, &modes);
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

void Leave() {
  WriteAll(g_session.out, std::string_view(g_session.leave, g_session.leaveLen));
  if (g_session.keys) SetModes(g_session.saved);
}

void Enter() {
  if (g_session.keys && Foreground()) ::tcsetattr(g_session.in, TCSANOW, &g_session.quiet);
  WriteAll(g_session.out, std::string_view(g_session.enter, g_session.enterLen));
}

void Wake() {
  if (g_session.wake[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_session.wake[1], &byte, 1);
  }
}

void Install(int sig, void (*handler)(int));

void OnEndSignal(int sig) {
  Leave();
  EndAsSignal(sig);
}

// Ctrl+Z: the shell gets its terminal back while we are stopped.
void OnStop(int sig) {
  const int savedErrno = errno;
  Leave();
  ::signal(sig, SIG_DFL);
  sigset_t self;
  sigemptyset(&self);
  sigaddset(&self, sig);
  sigprocmask(SIG_UNBLOCK, &self, nullptr);
  ::raise(sig);
  // Going on again; SIGCONT, held back until we return, takes it from here.
  sigprocmask(SIG_BLOCK, &self, nullptr);
  Install(sig, OnStop);
  errno = savedErrno;
}

void OnContinue(int) {
  const int savedErrno = errno;
  Enter();
  g_session.redraw = 1;
  Wake();
  errno = savedErrno;
}

void OnResize(int) {
  const int savedErrno = errno;
  g_session.redraw = 1;
  Wake();
  errno = savedErrno;
}

void Install(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  HeldSignals(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(sig, &action, nullptr);
}

void CopyInto(char* buffer, std::size_t size, std::size_t* length, std::string_view bytes) {
  *length = std::min(bytes.size(), size);
  std::memcpy(buffer, bytes.data(), *length);
}

}  // namespace

TerminalSession::TerminalSession(int in, int out, std::string_view enter, std::string_view leave)
    : m_in(in), m_out(out) {
  g_session.in = in;
  g_session.out = out;
  g_session.redraw = 0;
  CopyInto(g_session.enter, sizeof g_session.enter, &g_session.enterLen, enter);
  CopyInto(g_session.leave, sizeof g_session.leave, &g_session.leaveLen, leave);
  if (::pipe2(g_session.wake, O_CLOEXEC | O_NONBLOCK) != 0) g_session.wake[0] = -1;

  sigset_t held, old;
  HeldSignals(&held);
  sigprocmask(SIG_BLOCK, &held, &old);
  m_keys = IsTerminal(in) && Foreground() && ::tcgetattr(in, &g_session.saved) == 0;
  if (m_keys) {
    g_session.quiet = g_session.saved;
    g_session.quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    g_session.quiet.c_cc[VMIN] = 1;
    g_session.quiet.c_cc[VTIME] = 0;
  }
  g_session.keys = m_keys;
  // Handlers only where the signal would otherwise end or stop us: a
  // program started with one ignored (nohup) keeps ignoring it.
  for (std::size_t i = 0; i < std::size(kAllSignals); ++i) {
    const int sig = kAllSignals[i];
    g_installed[i] = false;
    if (::sigaction(sig, nullptr, &g_oldActions[i]) != 0) continue;
    const bool ends =
        std::find(std::begin(kEndSignals), std::end(kEndSignals), sig) != std::end(kEndSignals);
    if ((ends || sig == SIGTSTP) && g_oldActions[i].sa_handler != SIG_DFL) continue;
    Install(sig, ends             ? OnEndSignal
                 : sig == SIGTSTP ? OnStop
                 : sig == SIGCONT ? OnContinue
                                  : OnResize);
    g_installed[i] = true;
  }
  Enter();
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

TerminalSession::~TerminalSession() {
  sigset_t held, old;
  HeldSignals(&held);
  sigprocmask(SIG_BLOCK, &held, &old);
  Leave();
  for (std::size_t i = 0; i < std::size(kAllSignals); ++i)
    if (g_installed[i]) ::sigaction(kAllSignals[i], &g_oldActions[i], nullptr);
  g_session.keys = 0;
  for (int& fd : g_session.wake) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

void TerminalSession::SetLeave(std::string_view leave) {
  sigset_t held, old;
  HeldSignals(&held);
  sigprocmask(SIG_BLOCK, &held, &old);
  CopyInto(g_session.leave, sizeof g_session.leave, &g_session.leaveLen, leave);
  sigprocmask(SIG_SETMASK, &old, nullptr);
}

bool TerminalSession::Write(std::string_view bytes) {
  sigset_t held, old;
  HeldSignals(&held);
  sigprocmask(SIG_BLOCK, &held, &old);
  const bool ok = WriteAll(m_out, bytes);
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return ok;
}

std::string TerminalSession::Wait(std::optional<std::chrono::steady_clock::time_point> deadline) {
  std::string keys;
  pollfd fds[2];
  nfds_t n = 0;
  if (g_session.wake[0] >= 0) fds[n++] = {g_session.wake[0], POLLIN, 0};
  const bool readKeys = m_keys && Foreground();
  if (readKeys) fds[n++] = {m_in, POLLIN, 0};
  timespec timeout{};
  timespec* limit = nullptr;
  if (deadline) {
    const auto left = std::max(*deadline - std::chrono::steady_clock::now(),
                               std::chrono::steady_clock::duration::zero());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
    timeout.tv_nsec = static_cast<long>(ns % 1000000000);
    limit = &timeout;
  }
  if (::ppoll(fds, n, limit, nullptr) <= 0) return keys;
  for (nfds_t i = 0; i < n; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buffer[256];
    const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
    if (fds[i].fd == m_in) {
      if (got > 0)
        keys.append(buffer, static_cast<std::size_t>(got));
      else if (got == 0 || (errno != EINTR && errno != EAGAIN))
        m_keys = false;  // the keyboard is gone; play on without it
    }
  }
  return keys;
}

bool TerminalSession::TakeRedraw() {
  if (!g_session.redraw) return false;
  g_session.redraw = 0;
  return true;
}

}  // namespace platform

#include "app/ProgressLine.h"

#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

#include "res/Texts.h"

namespace {

constexpr auto kRedraw = std::chrono::milliseconds(100);
constexpr const char* kEraseLine = "\r\033[K";

// Cells a character takes: two for the wide scripts of East Asia.
int Cells(char32_t cp) {
  const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                    (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                    (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                    (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000;
  return wide ? 2 : 1;
}

int TerminalColumns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;  // a terminal gone away: nothing more to show
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string FitColumns(const std::string& text, int columns) {
  int used = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    if (used + Cells(cp) > columns || i + length > text.size()) break;
    used += Cells(cp);
    i += length;
  }
  return text.substr(0, i);
}

bool ProgressLine::Wanted(bool quiet) { return !quiet && ::isatty(STDERR_FILENO) == 1; }

ProgressLine::ProgressLine(const platform::JobProgress& job, bool shown, int fd)
    : m_job(job), m_fd(fd) {
  if (!shown) return;
  // The watcher inherits this mask: the signals stay with the working thread.
  sigset_t held, old;
  sigemptyset(&held);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, sig);
  ::pthread_sigmask(SIG_BLOCK, &held, &old);
  m_watcher = std::thread([this] { Watch(); });
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

ProgressLine::~ProgressLine() { Stop(); }

void ProgressLine::Say(std::FILE* to, const std::string& text) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Erase();
  std::fprintf(to, "%s\n", text.c_str());
  std::fflush(to);
}

void ProgressLine::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_all();
  if (m_watcher.joinable()) m_watcher.join();
  std::lock_guard<std::mutex> lock(m_mutex);
  Erase();
}

void ProgressLine::Watch() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_wake.wait_for(lock, kRedraw, [this] { return m_stopping; }))
    Draw(ProgressText(m_job.Read()));
}

void ProgressLine::Draw(const std::string& text) {
  // One cell spare: a line filling the last column would wrap on some terminals.
  const std::string shown = FitColumns(text, TerminalColumns(m_fd) - 1);
  if (m_drawn && shown == m_last) return;
  WriteAll(m_fd, kEraseLine + shown);
  m_last = shown;
  m_drawn = true;
}

void ProgressLine::Erase() {
  if (!m_drawn) return;
  WriteAll(m_fd, kEraseLine);
  m_drawn = false;
}

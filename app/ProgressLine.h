#pragma once
// One line on standard error telling how far a command's long job has come:
// what it does, frames done of the total, frames per second and the time
// left, redrawn at most ten times a second by a watcher thread and erased at
// the end. Shown only when standard error is a terminal and the user did
// not ask for quiet.
//
// The watcher starts with SIGINT, SIGTERM, SIGHUP and SIGQUIT blocked, so
// those signals still reach the thread doing the work, where an
// InterruptCleanup (platform/Interrupt.h) stops and removes what the run
// made. Everything else the command prints goes through Say (or follows
// Stop), so the line is erased first and never cut into a message.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "document/ProgressText.h"
#include "platform/JobProgress.h"

// The line's text: document::ProgressText, cut to the terminal's width.
using document::ProgressText;

// Cuts a UTF-8 text to at most columns terminal cells, a character of East
// Asia taking two, never in the middle of a character.
std::string FitColumns(const std::string& text, int columns);

class ProgressLine {
 public:
  // Whether the line is wanted: standard error is a terminal, not quiet.
  static bool Wanted(bool quiet);

  // Watches job and draws on fd while shown; otherwise does nothing at all.
  ProgressLine(const platform::JobProgress& job, bool shown, int fd = 2);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Erases the line and prints text and a line feed to `to`, the line
  // coming back below it at the next redraw.
  void Say(std::FILE* to, const std::string& text);
  // Ends the watcher and erases the line for good. Again does nothing.
  void Stop();

 private:
  void Watch();
  void Draw(const std::string& text);  // m_mutex held
  void Erase();                        // m_mutex held

  const platform::JobProgress& m_job;
  int m_fd;
  std::mutex m_mutex;  // the terminal, m_drawn and m_stopping
  std::condition_variable m_wake;
  bool m_stopping = false;
  bool m_drawn = false;  // the line is on the screen
  std::string m_last;    // what was drawn last
  std::thread m_watcher;
};

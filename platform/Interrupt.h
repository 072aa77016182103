#pragma once
// Leaving nothing half-made behind when a command is interrupted.
//
// While an InterruptCleanup lives, SIGINT, SIGTERM and SIGHUP stop the
// program the process is running (its whole process group: the compiler and
// what it started), remove every file and then every folder noted as made by
// this run, and end the process by that same signal, as if it had not been
// caught, so the shell sees the usual status. A signal the process was started
// with ignored (nohup) stays ignored.
//
// The handler only unlinks, removes folders, signals and waits: it reads a
// fixed table filled beforehand. SafeFile notes what it creates and forgets
// what it renames away or removes; Process notes the program it runs.
// Outside an InterruptCleanup noting does nothing, so the window, which has
// signal handling of its own, is not affected.
//
// One thread does the noting, the one the run works in (the one that made
// the InterruptCleanup). Threads of our own (the command line's progress
// line) hold the three signals (and SIGQUIT) blocked from their start; a
// signal that still lands on another thread (a library's workers: picture
// conversion, video decoding, a GIF image encoded in halves) is passed on
// to the working thread, so it is handled there, never between a step and
// its note.
#include <signal.h>

#include <string>

namespace platform {

class InterruptCleanup {
 public:
  InterruptCleanup();
  // Puts the earlier handlers back and forgets every note: what was made
  // stays, the run having ended by itself.
  ~InterruptCleanup();
  InterruptCleanup(const InterruptCleanup&) = delete;
  InterruptCleanup& operator=(const InterruptCleanup&) = delete;
};

// Whether an InterruptCleanup lives.
bool InterruptCleanupActive();

// A file or a folder this run made (or a program it runs will make there).
// Paths that do not fit the table's room (4095 bytes) are not noted.
void NoteMadeFile(const std::string& path);
void NoteMadeFolder(const std::string& path);
// No longer this run's to remove: renamed away, removed, or kept. Anything
// noted inside a forgotten folder is forgotten with it.
void ForgetMade(const std::string& path);

// The process group of the program being run (its leader's id), stopped
// before anything is removed; 0 when none is running.
void NoteRunningGroup(int leader);

// Holds the three signals back in this thread while it lives, so that a step
// and its note (creating a file and noting it, renaming and noting the new
// name) are never cut apart. Holds nothing outside an InterruptCleanup.
class HoldInterrupts {
 public:
  HoldInterrupts();
  ~HoldInterrupts();
  HoldInterrupts(const HoldInterrupts&) = delete;
  HoldInterrupts& operator=(const HoldInterrupts&) = delete;

 private:
  sigset_t m_old;
  bool m_held = false;
};

}  // namespace platform

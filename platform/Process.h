#pragma once
// Running another program and capturing what it writes: how the tool runs
// the C compiler.
//
// The program is started by argument vector, never through a shell, so an
// argument is passed as one string whatever it holds (spaces, quotes, `$`,
// `;`, Chinese). Its standard output and standard error go into one pipe and
// arrive interleaved in the order written; the pipe is read to its end, then
// the program is waited for. Standard input is the null device, so a program
// that reads input cannot stall the tool.
#include <chrono>
#include <string>
#include <vector>

namespace platform {

class JobProgress;

struct ProcessResult {
  bool started = false;         // the program ran (whatever became of it)
  bool pipeFailed = false;      // no pipe could be made; nothing was run
  bool programMissing = false;  // not started: no such program, or it cannot be executed
  int exitStatus = -1;          // exit code, when it ended by itself
  bool signaled = false;        // ended by a signal (ours after a timeout included)
  int signal = 0;               // that signal
  bool timedOut = false;        // stopped by us when the time limit ran out
  bool cancelled = false;       // stopped by us when the job was cancelled
  std::string output;           // standard output and standard error, as written

  // Ran, ended by itself with status 0.
  bool ExitedCleanly() const {
    return started && !signaled && !timedOut && !cancelled && exitStatus == 0;
  }
};

// Runs argv[0] with the arguments argv[1..]. A name without a slash is looked
// up in PATH. With a nonzero timeout the program and every process it started
// in its process group are killed once that much time has passed without the
// run ending, and timedOut is set. A non-empty workingFolder is the
// program's current folder (a folder that cannot be entered counts as a
// program that cannot be started). Blocks until the run is over. Given a
// job, its cancel kills the process group as the time limit does, within a
// few tens of milliseconds, and sets cancelled.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds{0},
                         const std::string& workingFolder = {}, const JobProgress* job = nullptr);

}  // namespace platform

#pragma once
// Ending a window on SIGTERM, SIGINT and SIGHUP in an orderly way. A signal
// handler may do next to nothing, so it only writes the signal's number into
// a pipe; the window watches the pipe's other end like any other input and
// ends from its own event loop.

namespace platform {

// Catches the three signals (a signal ignored when the tool started, as
// under nohup, stays ignored) and returns the pipe's end to watch, or -1
// when no pipe can be made. Calling it again gives the same end.
int CatchEndSignals();

// The signal waiting in the pipe, or 0 when none is.
int TakeEndSignal(int fd);

// The three signals take their default action again; the pipe stays.
void ReleaseEndSignals();

// Ends the process as the signal itself would have (so a shell or a
// session manager sees how the tool ended). Returns only if it does not.
void EndAsSignal(int sig);

}  // namespace platform

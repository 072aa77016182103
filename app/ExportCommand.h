#pragma once
// zoetrix --export PROJECT.ini [--code] [--compile] [--project] [--endless]
//                              [--html] [--gif] [--cast] [--windows]
// Opens the project as a new animation and exports it without a window; the
// sharing options are app/ShareCommand's. zoetrix --play is handed on to
// app/PlayCommand, zoetrix --import to app/ImportCommand.

// True when the arguments ask for the command line rather than the window
// (which takes at most one argument: a project file to open).
bool IsCommandLine(int argc, char** argv);

// Runs the command line; returns the process exit status.
int RunCommandLine(int argc, char** argv);

#pragma once
// The tool's command line, the way in when it runs without a window:
// zoetrix --export (app/ExportCommand), --play (app/PlayCommand), --import
// (app/ImportCommand) and --help for all of them.

// True when the arguments ask for the command line rather than the window
// (which takes at most one argument: a project file to open).
bool IsCommandLine(int argc, char** argv);

// Runs the command line; returns the process exit status.
int RunCommandLine(int argc, char** argv);

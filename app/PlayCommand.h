#pragma once
// zoetrix --play PROJECT.ini [--loop] [--speed FACTOR] [--from N] [--to M]
// Plays a project in the terminal the tool runs in, without a window.

// The usage text of --play, also part of --help.
extern const char* const kPlayUsage;

// True when the arguments ask for --play.
bool IsPlayCommand(int argc, char** argv);

// Runs --play; returns the process exit status (2 for bad arguments).
int RunPlayCommand(int argc, char** argv);

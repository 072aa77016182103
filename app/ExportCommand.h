#pragma once
// zoetrix --export PROJECT.ini [--code] [--compile] [--project] [--endless]
//                              [--html] [--gif] [--cast] [--windows] [--quiet]
// Opens the project as a new animation and exports it without a window; the
// sharing options are app/ShareCommand's. While it works, a progress line
// (app/ProgressLine) shows on standard error when that is a terminal,
// unless --quiet is given. The command line's entry
// (app/CommandLine) hands everything but --play and --import to it.
#include <cstdio>

// Prints the usage of --export, its sharing options included: the head of
// --help.
void PrintExportUsage(std::FILE* to);

// True when the arguments ask for --help, read as --export reads them: a
// wrong argument before --help is reported instead.
bool AsksForHelp(int argc, char** argv);

// Runs --export (for --help it prints its own usage); returns the process
// exit status (2 for bad arguments).
int RunExportCommand(int argc, char** argv);

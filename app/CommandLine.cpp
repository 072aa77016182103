#include "app/CommandLine.h"

#include <cstdio>

#include "app/ExportCommand.h"
#include "app/ImportCommand.h"
#include "app/PlayCommand.h"

bool IsCommandLine(int argc, char** argv) {
  // The window takes one argument, a project file to open; anything else is
  // for the command line, which then needs no display, also to say that it
  // is wrong.
  if (argc == 2 && argv[1] && argv[1][0] != '\0' && argv[1][0] != '-') return false;
  return argc > 1;
}

int RunCommandLine(int argc, char** argv) {
  if (IsPlayCommand(argc, argv)) return RunPlayCommand(argc, argv);
  if (IsImportCommand(argc, argv)) return RunImportCommand(argc, argv);
  if (AsksForHelp(argc, argv)) {
    PrintExportUsage(stdout);
    std::fputs("\n", stdout);
    std::fputs(kPlayUsage, stdout);
    std::fputs("\n", stdout);
    std::fputs(kImportUsage, stdout);
    return 0;
  }
  return RunExportCommand(argc, argv);
}

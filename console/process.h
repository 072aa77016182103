/*
 * process.h for the tool's animation programs on a terminal. They use it for
 * system(), which zoetrix_console.h provides: console commands become
 * terminal sequences, anything else runs as a command.
 */
#ifndef ZOETRIX_PROCESS_H
#define ZOETRIX_PROCESS_H

#include "zoetrix_console.h"

#endif /* ZOETRIX_PROCESS_H */

/*
 * windows.h for the tool's animation programs on a terminal: the few console
 * types and calls they use, on top of zoetrix_console.h.
 */
#ifndef ZOETRIX_WINDOWS_H
#define ZOETRIX_WINDOWS_H

#include "zoetrix_console.h"

typedef void *HANDLE;
typedef unsigned int DWORD; /* 32 bits, as on the desktop */
typedef int BOOL;
typedef short SHORT;
typedef unsigned short WORD;

typedef struct _COORD {
  SHORT X;
  SHORT Y;
} COORD, *PCOORD;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)
#define INVALID_HANDLE_VALUE ((HANDLE)(ptrdiff_t)-1)

/* Something distinct for each standard handle to point at. */
static char zx_std_handles[3];

static inline HANDLE GetStdHandle(DWORD which) {
  if (which == STD_INPUT_HANDLE) return &zx_std_handles[0];
  if (which == STD_OUTPUT_HANDLE) return &zx_std_handles[1];
  if (which == STD_ERROR_HANDLE) return &zx_std_handles[2];
  return INVALID_HANDLE_VALUE;
}

/* Column X, row Y, counted from 0 at the top-left corner. */
static inline BOOL SetConsoleCursorPosition(HANDLE console, COORD position) {
  if (console != &zx_std_handles[1] && console != &zx_std_handles[2]) return FALSE;
  zx_goto(position.X, position.Y);
  return TRUE;
}

/* Shows what has been printed, then waits. */
static inline void Sleep(DWORD milliseconds) { zx_sleep(milliseconds); }

#endif /* ZOETRIX_WINDOWS_H */

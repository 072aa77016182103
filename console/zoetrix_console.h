/*
 * The console of an animation program, played on a terminal.
 *
 * The programs the tool writes talk to a console in the classic desktop way:
 * they move the cursor, print a frame, sleep and clear the screen, and run
 * the console commands `mode con`, `color`, `title` and `cls` through
 * system(). This header, pulled in by our windows.h and process.h, turns all
 * of that into terminal escape sequences. It is compiled into the program
 * itself (everything is static), so nothing but the C library is linked.
 *
 * How a frame reaches the screen without flicker:
 *
 *   - printf() does not write: the text is converted from GBK to the
 *     terminal's encoding and gathered in one buffer, together with the
 *     cursor moves and colour changes around it. Sleep() writes the buffer
 *     with a single write(), so a frame arrives whole.
 *   - `cls` blanks nothing. It is remembered, and the next frame is drawn
 *     over the previous one from the top-left corner instead: every line of
 *     the new frame ends in "clear to end of line", and the frame ends in
 *     "clear to end of screen". The screen then holds exactly what a real
 *     clear followed by the frame would show, but it never shows an empty
 *     screen in between.
 *   - The cursor is hidden and typed keys are not echoed while the program
 *     runs. At the end (return from main, exit(), Ctrl+C, termination,
 *     hang-up) colours, cursor, echo, the size and the window title are put back and
 *     the cursor is left on the line below the picture; Ctrl+Z does the same
 *     before the program stops and undoes it when it goes on. A `cls` still
 *     pending at the end is dropped, so the last picture stays on screen.
 *
 * Any other system() command runs as usual, after the buffered output.
 */
#ifndef ZOETRIX_CONSOLE_H
#define ZOETRIX_CONSOLE_H

#include <errno.h>
#include <iconv.h>
#include <signal.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

typedef struct zx_console {
  int ready;

  /* What the next write() sends. */
  char *out;
  size_t len, cap;

  /* GBK to the terminal's encoding; with convert == 0 bytes pass as they
     are. utf8: the terminal's encoding is UTF-8. */
  iconv_t conv;
  int convert, utf8;
  unsigned char lead; /* first byte of a character split between two printf calls */

  /* The lazy clear. */
  int cls_pending;  /* `cls` asked for, not done yet */
  int repaint;      /* drawing over the last picture since that `cls` */
  int line_cleared; /* the rest of this line has been cleared */

  /* Where output goes: cursor row and column, the lowest row that holds
     text (-1 for none), the terminal width (0 when unknown). */
  int row, col, bottom, cols;
  /* Buffer offset of the character that filled the last column, where the
     closing "clear to end of screen" goes so that it cannot erase it. */
  size_t fill_mark;
  int has_fill_mark;
  /* The same, as of the last write: what the screen really shows. */
  int shown_row, shown_col, shown_bottom;

  int title_saved;
  /* The terminal's size at start (0 when unknown) and whether `mode con`
     asked for another one, which the end undoes. */
  int start_rows, start_cols;
  int size_changed;
  char color[32]; /* the colour sequence in force, to put back after Ctrl+Z */

  int echo_off;
  struct termios saved_termios;
} zx_console;

static zx_console zx_con;

#define ZX_CSI "\033["

/* ---- the output buffer ------------------------------------------------- */

static inline void zx_append(const char *bytes, size_t n) {
  if (zx_con.len + n > zx_con.cap) {
    size_t cap = zx_con.cap ? zx_con.cap : 4096;
    char *grown;
    while (cap < zx_con.len + n) cap *= 2;
    grown = (char *)realloc(zx_con.out, cap);
    if (!grown) return; /* out of memory: this piece is lost, the program goes on */
    zx_con.out = grown;
    zx_con.cap = cap;
  }
  memcpy(zx_con.out + zx_con.len, bytes, n);
  zx_con.len += n;
}

static inline void zx_append_str(const char *s) { zx_append(s, strlen(s)); }

static inline void zx_append_int(int value) {
  char digits[16];
  zx_append(digits, (size_t)snprintf(digits, sizeof digits, "%d", value));
}

static inline void zx_write_all(const char *p, size_t n) {
  while (n > 0) {
    ssize_t done = write(STDOUT_FILENO, p, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        usleep(1000);
        continue;
      }
      return; /* the terminal is gone */
    }
    p += done;
    n -= (size_t)done;
  }
}

/* The signals whose handlers write to the terminal: held back while a
   frame is being written, so their output never lands inside it. */
static inline void zx_terminal_signals(sigset_t *set) {
  sigemptyset(set);
  sigaddset(set, SIGINT);
  sigaddset(set, SIGTERM);
  sigaddset(set, SIGHUP);
  sigaddset(set, SIGQUIT);
  sigaddset(set, SIGPIPE);
  sigaddset(set, SIGTSTP);
}

/* Sends the buffer as it is, in one write. */
static inline void zx_emit(void) {
  sigset_t block, old;
  zx_terminal_signals(&block);
  sigprocmask(SIG_BLOCK, &block, &old);
  fflush(stdout); /* anything the program printed past us goes first */
  zx_write_all(zx_con.out, zx_con.len);
  zx_con.len = 0;
  zx_con.has_fill_mark = 0;
  zx_con.shown_row = zx_con.row;
  zx_con.shown_col = zx_con.col;
  zx_con.shown_bottom = zx_con.bottom;
  sigprocmask(SIG_SETMASK, &old, NULL);
}

/* ---- the lazy clear ---------------------------------------------------- */

static inline void zx_begin_repaint(void) {
  zx_append_str(ZX_CSI "H");
  zx_con.cls_pending = 0;
  zx_con.repaint = 1;
  zx_con.line_cleared = 0;
  zx_con.row = zx_con.col = 0;
  zx_con.bottom = -1;
}

/* Everything after the text drawn since the `cls` must end up blank. At the
   very last column "clear to end of screen" would take the character under
   the cursor with it, so there it goes in before that character. */
static inline void zx_finish_repaint(void) {
  static const char clear[] = ZX_CSI "J";
  const size_t n = sizeof clear - 1;
  if (!zx_con.repaint) return;
  zx_con.repaint = 0;
  if (zx_con.cols > 0 && zx_con.col >= zx_con.cols && zx_con.has_fill_mark) {
    size_t mark = zx_con.fill_mark;
    size_t tail = zx_con.len - mark;
    zx_append(clear, n); /* make room */
    if (zx_con.len == mark + tail + n) {
      memmove(zx_con.out + mark + n, zx_con.out + mark, tail);
      memcpy(zx_con.out + mark, clear, n);
    }
    return;
  }
  zx_append(clear, n);
}

/* Before a line ends: clear what the last picture left to the right. */
static inline void zx_end_of_line(void) {
  if (zx_con.repaint && !zx_con.line_cleared && !(zx_con.cols > 0 && zx_con.col >= zx_con.cols))
    zx_append_str(ZX_CSI "K");
  zx_con.line_cleared = 1;
}

/* Writes everything gathered, the end of a picture being drawn included. */
static inline void zx_flush(void) {
  zx_finish_repaint();
  if (zx_con.len > 0) zx_emit();
}

/* ---- text -------------------------------------------------------------- */

static inline int zx_is_trail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

/* One visible character, already in the terminal's encoding, that takes
   `width` columns (two for a double-byte character, as on the console). */
static inline void zx_put_glyph(const char *bytes, size_t n, int width) {
  size_t mark;
  if (zx_con.cols > 0 && zx_con.col + width > zx_con.cols) {
    /* The terminal wraps before it. */
    zx_con.row++;
    zx_con.col = 0;
    zx_con.line_cleared = 0;
  }
  mark = zx_con.len;
  zx_append(bytes, n);
  zx_con.col += width;
  if (zx_con.row > zx_con.bottom) zx_con.bottom = zx_con.row;
  if (zx_con.cols > 0 && zx_con.col >= zx_con.cols) {
    zx_con.fill_mark = mark;
    zx_con.has_fill_mark = 1;
  }
}

static inline int zx_has_control(const char *bytes, size_t n) {
  size_t i;
  for (i = 0; i < n; i++)
    if ((unsigned char)bytes[i] < 0x20 || bytes[i] == 0x7F) return 1;
  return 0;
}

/* One GBK character (one or two bytes) in the terminal's encoding, into
   out (16 bytes); a '?' per byte for bytes that form no character, so the
   columns it takes stay what the console gives it. Nothing that comes out
   is a control: a lead byte alone (or 0x80, 0xFF) would reach a GBK
   terminal as a C1 control and a GB18030 one would join it to the bytes
   after it. Returns the size. */
static inline size_t zx_convert(const unsigned char *gbk, size_t n, char *out) {
  char *in = (char *)gbk, *to = out;
  size_t in_left = n, out_left = 16, size;
  if (gbk[0] < 0x80) {
    memcpy(out, gbk, n);
    return n;
  }
  if (!zx_con.convert) {
    if (n == 2) { /* callers pair a lead byte only with a second byte */
      memcpy(out, gbk, 2);
      return 2;
    }
    out[0] = '?';
    return 1;
  }
  iconv(zx_con.conv, NULL, NULL, NULL, NULL);
  if (iconv(zx_con.conv, &in, &in_left, &to, &out_left) == (size_t)-1 || in_left != 0) {
    iconv(zx_con.conv, NULL, NULL, NULL, NULL);
    memset(out, '?', n);
    return n;
  }
  size = 16 - out_left;
  if (zx_has_control(out, size) ||
      (zx_con.utf8 && size == 2 && (unsigned char)out[0] == 0xC2 && (unsigned char)out[1] < 0xA0)) {
    memset(out, '?', n);
    return n;
  }
  return size;
}

static inline void zx_put_gbk(const unsigned char *gbk, size_t n) {
  char converted[16];
  size_t size = zx_convert(gbk, n, converted);
  zx_put_glyph(converted, size, (int)n);
}

static inline void zx_text(const char *text, size_t n) {
  const unsigned char *s = (const unsigned char *)text;
  size_t i = 0;
  struct winsize size;

  if (n == 0) return;
  zx_con.cols = (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) ? size.ws_col : 0;
  if (zx_con.cls_pending) zx_begin_repaint(); /* `cls` leaves the cursor at the top-left corner */

  if (zx_con.lead) {
    unsigned char pair[2];
    pair[0] = zx_con.lead;
    pair[1] = s[0];
    zx_con.lead = 0;
    if (zx_is_trail(s[0])) {
      zx_put_gbk(pair, 2);
      i = 1;
    } else {
      zx_put_gbk(pair, 1);
    }
  }

  while (i < n) {
    unsigned char c = s[i];
    if (c >= 0x81 && c <= 0xFE) {
      if (i + 1 == n) {
        zx_con.lead = c; /* the second half comes with the next printf */
        break;
      }
      if (zx_is_trail(s[i + 1])) {
        zx_put_gbk(s + i, 2);
        i += 2;
        continue;
      }
      zx_put_gbk(s + i, 1);
    } else if (c == '\n') {
      zx_end_of_line();
      zx_append("\n", 1);
      zx_con.row++;
      zx_con.col = 0;
      zx_con.line_cleared = 0;
    } else if (c == '\r') {
      zx_end_of_line();
      zx_append("\r", 1);
      zx_con.col = 0;
    } else if (c == '\t') {
      /* As spaces, so that over an old picture the cells it steps over
         are blanked too. */
      do zx_put_glyph(" ", 1, 1);
      while (zx_con.col % 8 != 0);
    } else if (c == '\b') {
      zx_append("\b", 1);
      if (zx_con.col > 0) zx_con.col--;
    } else if (c < 0x20 || c == 0x7F) {
      /* Other controls are left out: an ESC in a frame would start any
         sequence on the terminal. */
    } else {
      zx_put_gbk(s + i, 1);
    }
    i++;
  }
}

/* ---- cursor and time ----------------------------------------------------- */

static void zx_init(void);

static inline void zx_goto(int x, int y) {
  zx_init();
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  if (zx_con.cls_pending) zx_begin_repaint();
  if (zx_con.repaint) {
    if (x == 0 && y == 0 && zx_con.row == 0 && zx_con.col == 0 && zx_con.bottom < 0)
      return;            /* nothing drawn yet: already there */
    zx_finish_repaint(); /* a jump elsewhere: the clear must be complete first */
  }
  zx_append_str(ZX_CSI);
  zx_append_int(y + 1);
  zx_append_str(";");
  zx_append_int(x + 1);
  zx_append_str("H");
  zx_con.row = y;
  zx_con.col = x;
  zx_con.line_cleared = 0;
  zx_con.has_fill_mark = 0;
}

static inline void zx_sleep(unsigned long milliseconds) {
  struct timespec left;
  zx_init();
  zx_flush(); /* the frame goes on screen now, in one piece */
  left.tv_sec = (time_t)(milliseconds / 1000);
  left.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

/* ---- the terminal's state, and putting it back --------------------------- */

static inline char *zx_cat(char *p, const char *s) {
  while (*s) *p++ = *s++;
  return p;
}

static inline char *zx_cat_int(char *p, int value) {
  char digits[12];
  int n = 0;
  if (value <= 0) value = 1;
  while (value > 0 && n < 11) {
    digits[n++] = (char)('0' + value % 10);
    value /= 10;
  }
  while (n > 0) *p++ = digits[--n];
  return p;
}

/* Colours back to the terminal's own, the cursor to the start of the line
   below the picture and visible. Only async-signal-safe work: the signal
   handlers use it too. */
static inline void zx_leave_picture(void) {
  char text[64];
  char *p = zx_cat(text, ZX_CSI "0m");
  int row = zx_con.shown_row, bottom = zx_con.shown_bottom;
  if (bottom >= 0 && row <= bottom) {
    if (row < bottom) {
      p = zx_cat(p, ZX_CSI);
      p = zx_cat_int(p, bottom - row);
      p = zx_cat(p, "B");
    }
    p = zx_cat(p, "\r\n");
  } else if (zx_con.shown_col > 0) {
    p = zx_cat(p, "\r");
  }
  p = zx_cat(p, ZX_CSI "?25h");
  zx_write_all(text, (size_t)(p - text));
  if (zx_con.echo_off) {
    /* From the background this would stop the program: let it through. */
    sigset_t tty, old;
    sigemptyset(&tty);
    sigaddset(&tty, SIGTTOU);
    sigprocmask(SIG_BLOCK, &tty, &old);
    tcsetattr(STDIN_FILENO, TCSANOW, &zx_con.saved_termios);
    sigprocmask(SIG_SETMASK, &old, NULL);
  }
}

/* Typed keys are not echoed over the picture. Only while the picture goes
   to a terminal we own: a program in the background must not stop on
   touching it, and one whose output goes to a pipe leaves the terminal to
   whoever reads that pipe. */
static inline void zx_echo_off(void) {
  struct termios quiet;
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || tcgetpgrp(STDIN_FILENO) != getpgrp())
    return;
  if (!zx_con.echo_off && tcgetattr(STDIN_FILENO, &zx_con.saved_termios) != 0) return;
  quiet = zx_con.saved_termios;
  quiet.c_lflag &= ~(tcflag_t)ECHO;
  /* Marked first: a signal right after the change must find it to undo. */
  zx_con.echo_off = 1;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &quiet) != 0) zx_con.echo_off = 0;
}

/* Back to the size the terminal had at start, if `mode con` asked for
   another. The size is read with ioctl at start: asking the terminal
   (ESC[18t) needs an answer many terminals never send. */
static inline void zx_restore_size(void) {
  char text[32];
  char *p;
  if (!zx_con.size_changed) return;
  p = zx_cat(text, ZX_CSI "8;");
  p = zx_cat_int(p, zx_con.start_rows);
  p = zx_cat(p, ";");
  p = zx_cat_int(p, zx_con.start_cols);
  p = zx_cat(p, "t");
  zx_write_all(text, (size_t)(p - text));
}

static inline void zx_restore(void) {
  zx_leave_picture();
  zx_restore_size();
  if (zx_con.title_saved) zx_write_all(ZX_CSI "23;2t", 7);
}

static void zx_at_exit(void) {
  zx_flush();
  zx_restore();
}

/* Ctrl+C, termination, hang-up, quit: put the terminal back, then end the
   way the signal would have ended the program. */
static void zx_on_end_signal(int sig) {
  sigset_t self;
  zx_restore();
  signal(sig, SIG_DFL);
  sigemptyset(&self);
  sigaddset(&self, sig);
  sigprocmask(SIG_UNBLOCK, &self, NULL);
  raise(sig);
}

static inline void zx_catch(int sig, void (*handler)(int));

/* Ctrl+Z: the shell gets a normal terminal while the program is stopped. */
static void zx_on_stop(int sig) {
  int saved_errno = errno;
  sigset_t self;
  zx_leave_picture();
  signal(sig, SIG_DFL);
  sigemptyset(&self);
  sigaddset(&self, sig);
  sigprocmask(SIG_UNBLOCK, &self, NULL);
  raise(sig);
  /* Going on again. */
  sigprocmask(SIG_BLOCK, &self, NULL);
  zx_catch(sig, zx_on_stop);
  zx_write_all(ZX_CSI "?25l", 6);
  zx_write_all(zx_con.color, strlen(zx_con.color));
  /* Continued in the background ("bg"): leave the terminal to the shell. */
  if (zx_con.echo_off && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    struct termios quiet = zx_con.saved_termios;
    quiet.c_lflag &= ~(tcflag_t)ECHO;
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  errno = saved_errno;
}

/* A handler only where the signal would otherwise end the program: one
   started with the signal ignored keeps ignoring it. */
static inline void zx_catch(int sig, void (*handler)(int)) {
  struct sigaction old, action;
  if (sigaction(sig, NULL, &old) != 0 || old.sa_handler != SIG_DFL) return;
  memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  zx_terminal_signals(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(sig, &action, NULL);
}

/* The terminal's encoding from the locale variables; NULL when they name
   none, which is taken as UTF-8. */
static inline const char *zx_locale_codeset(char *buf, size_t size) {
  static const char *const names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  const char *value = NULL, *dot;
  size_t i, n = 0;
  for (i = 0; i < 3 && !(value && *value); i++) value = getenv(names[i]);
  if (!value || !(dot = strchr(value, '.'))) return NULL;
  for (dot++; dot[n] && dot[n] != '@' && n + 1 < size; n++) buf[n] = dot[n];
  buf[n] = '\0';
  return n ? buf : NULL;
}

/* Converts n bytes from the initial state and goes back to it. Returns
   the size written, -1 when they do not convert, -2 when going back to
   the initial state writes anything (a shift state the terminal would
   keep). */
static inline long zx_convert_whole(iconv_t cd, const char *in, size_t n, char *out, size_t size) {
  char *from = (char *)in, *to = out;
  size_t in_left = n, out_left = size, before;
  iconv(cd, NULL, NULL, NULL, NULL);
  if (iconv(cd, &from, &in_left, &to, &out_left) == (size_t)-1 || in_left != 0) {
    iconv(cd, NULL, NULL, NULL, NULL);
    return -1;
  }
  before = out_left;
  iconv(cd, NULL, NULL, &to, &out_left);
  return out_left == before ? (long)(size - out_left) : -2;
}

/* ASCII-compatible and stateless, as a terminal needs: ASCII comes out as
   itself, and Chinese, Latin, Cyrillic, kana and the middle dot come out
   without control bytes (the escapes and shifts of ISO-2022, the zero
   bytes of UTF-16) and without a shift state left behind. */
static inline int zx_safe_encoding(iconv_t cd) {
  static const char *const probes[] = {"\xD6\xD0", "\xA8\xA6", "\xA7\xA8", "\xA4\xA2", "\xA1\xA4"};
  char ascii[128], out[256];
  size_t i, k = 0;
  long n;
  ascii[k++] = '\t';
  ascii[k++] = '\n';
  ascii[k++] = '\r';
  for (i = 0x20; i < 0x7F; i++) ascii[k++] = (char)i;
  n = zx_convert_whole(cd, ascii, k, out, sizeof out);
  if (n != (long)k || memcmp(out, ascii, k) != 0) return 0;
  for (i = 0; i < sizeof probes / sizeof probes[0]; i++) {
    n = zx_convert_whole(cd, probes[i], 2, out, sizeof out);
    if (n == -2 || (n > 0 && zx_has_control(out, (size_t)n))) return 0;
  }
  return 1;
}

/* The name reduced to lower case without '-' and '_' ("UTF-8" -> "utf8"). */
static inline void zx_plain_name(const char *codeset, char *plain, size_t size) {
  size_t n = 0;
  for (; *codeset && n + 1 < size; codeset++)
    if (*codeset != '-' && *codeset != '_')
      plain[n++] = (char)((*codeset >= 'A' && *codeset <= 'Z') ? *codeset + 32 : *codeset);
  plain[n] = '\0';
}

/* Encodings in which GBK bytes are already right. */
static inline int zx_is_gbk_family(const char *codeset) {
  static const char *const names[] = {"gbk", "cp936", "ms936", "windows936", "gb18030"};
  char plain[32];
  size_t i;
  zx_plain_name(codeset, plain, sizeof plain);
  for (i = 0; i < sizeof names / sizeof names[0]; i++)
    if (strcmp(plain, names[i]) == 0) return 1;
  return 0;
}

static void zx_init(void) {
  char buf[64], plain[32];
  const char *codeset;
  struct winsize size;
  if (zx_con.ready) return;
  zx_con.ready = 1;
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    zx_con.start_rows = size.ws_row;
    zx_con.start_cols = size.ws_col;
  }
  zx_con.bottom = zx_con.shown_bottom = -1;
  strcpy(zx_con.color, ZX_CSI "0m");

  /* An encoding a terminal cannot safely be given (UTF-16, ISO-2022-CN, a
     name iconv does not know) is replaced by UTF-8. */
  codeset = zx_locale_codeset(buf, sizeof buf);
  if (codeset && zx_is_gbk_family(codeset)) {
    zx_con.convert = 0;
  } else {
    if (codeset) zx_plain_name(codeset, plain, sizeof plain);
    zx_con.utf8 = !codeset || strcmp(plain, "utf8") == 0;
    zx_con.conv = iconv_open(zx_con.utf8 ? "UTF-8" : codeset, "CP936");
    if (zx_con.conv != (iconv_t)-1 && !zx_con.utf8 && !zx_safe_encoding(zx_con.conv)) {
      iconv_close(zx_con.conv);
      zx_con.conv = (iconv_t)-1;
    }
    if (zx_con.conv == (iconv_t)-1 && !zx_con.utf8) {
      zx_con.conv = iconv_open("UTF-8", "CP936");
      zx_con.utf8 = 1;
    }
    zx_con.convert = zx_con.conv != (iconv_t)-1;
  }

  /* The handlers first, so a Ctrl+C at any moment finds the terminal's
     settings to put back. */
  zx_catch(SIGINT, zx_on_end_signal);
  zx_catch(SIGTERM, zx_on_end_signal);
  zx_catch(SIGHUP, zx_on_end_signal);
  zx_catch(SIGQUIT, zx_on_end_signal);
  zx_catch(SIGPIPE, zx_on_end_signal);
  zx_catch(SIGTSTP, zx_on_stop);
  atexit(zx_at_exit);
  zx_echo_off();
  zx_append_str(ZX_CSI "?25l");
}

/* ---- console commands ---------------------------------------------------- */

static inline const char *zx_skip_blanks(const char *p) {
  while (*p == ' ' || *p == '\t') p++;
  return p;
}

/* Matches a command word, in any case, at *p; moves past it. */
static inline int zx_word(const char **p, const char *word) {
  const char *s = zx_skip_blanks(*p);
  for (; *word; s++, word++) {
    char c = (*s >= 'A' && *s <= 'Z') ? (char)(*s + 32) : *s;
    if (c != *word) return 0;
  }
  if (*s != '\0' && *s != ' ' && *s != '\t') return 0;
  *p = s;
  return 1;
}

static inline int zx_hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/* Console colour index (bit 0 blue, 1 green, 2 red, 3 bright) to the
   terminal's colour number (bit 0 red, 1 green, 2 blue). */
static inline int zx_ansi(int index) {
  return ((index & 1) << 2) | (index & 2) | ((index & 4) >> 2);
}

/* `color XY`: background X, characters Y. One digit sets the characters on
   black; no digits go back to the terminal's colours; equal digits are
   refused, as the console refuses them. */
static inline int zx_color(const char *arg) {
  int digits[2], count = 0;
  const char *p = zx_skip_blanks(arg);
  while (*p && *p != ' ' && *p != '\t') {
    if (count == 2 || (digits[count] = zx_hex(*p)) < 0) return 1;
    count++;
    p++;
  }
  if (*zx_skip_blanks(p)) return 1;
  if (count == 0) {
    strcpy(zx_con.color, ZX_CSI "0m");
  } else {
    int back = count == 2 ? digits[0] : 0;
    int fore = digits[count - 1];
    if (back == fore) return 1;
    snprintf(zx_con.color, sizeof zx_con.color, ZX_CSI "0;%d;%dm",
             ((back & 8) ? 100 : 40) + zx_ansi(back), ((fore & 8) ? 90 : 30) + zx_ansi(fore));
  }
  zx_append_str(zx_con.color);
  return 0;
}

/* `title NAME`: the caret before a character makes the console take that
   character as it is; it is not part of the title. Walked by GBK
   character, since a second byte can be a caret. */
static inline int zx_title(const char *arg) {
  const unsigned char *s = (const unsigned char *)zx_skip_blanks(arg);
  char converted[16];
  if (!zx_con.title_saved) {
    zx_append_str(ZX_CSI "22;2t"); /* the terminal keeps the old title to put back */
    zx_con.title_saved = 1;
  }
  zx_append_str("\033]2;");
  while (*s) {
    size_t n = 1;
    if (*s == '^' && !*++s) break;
    if (*s >= 0x81 && *s <= 0xFE && zx_is_trail(s[1])) n = 2;
    if (n == 2 || (*s >= 0x20 && *s != 0x7F)) /* a control character would end it early */
      zx_append(converted, zx_convert(s, n, converted));
    s += n;
  }
  zx_append_str("\007");
  return 0;
}

/* `mode con cols=W lines=H`: ask the terminal for that size (it may
   refuse); the console clears the screen on it. */
static inline int zx_mode(const char *arg) {
  int cols = 0, lines = 0;
  const char *p = arg;
  for (;;) {
    p = zx_skip_blanks(p);
    if (!*p) break;
    if (strncasecmp(p, "cols=", 5) == 0)
      cols = atoi(p + 5);
    else if (strncasecmp(p, "lines=", 6) == 0)
      lines = atoi(p + 6);
    while (*p && *p != ' ' && *p != '\t') p++;
  }
  if (cols <= 0 && lines <= 0) return 0;
  /* Only a size we know can be put back, and only a change needs it. */
  if (zx_con.start_rows > 0 &&
      ((lines > 0 && lines != zx_con.start_rows) || (cols > 0 && cols != zx_con.start_cols)))
    zx_con.size_changed = 1;
  zx_append_str(ZX_CSI "8;");
  if (lines > 0) zx_append_int(lines);
  zx_append_str(";");
  if (cols > 0) zx_append_int(cols);
  zx_append_str("t");
  zx_finish_repaint();
  zx_con.cls_pending = 1;
  return 0;
}

/* Any other command: our output first, a real clear if one is owed, and a
   normal terminal while it runs. */
static inline int zx_run(const char *command) {
  int status;
  if (zx_con.cls_pending) {
    zx_append_str(ZX_CSI "H" ZX_CSI "2J");
    zx_con.cls_pending = 0;
    zx_con.row = zx_con.col = 0;
    zx_con.bottom = -1;
  }
  zx_append_str(ZX_CSI "?25h");
  zx_flush();
  if (zx_con.echo_off) tcsetattr(STDIN_FILENO, TCSANOW, &zx_con.saved_termios);
  status = system(command);
  zx_echo_off();
  zx_append_str(ZX_CSI "?25l");
  zx_emit();
  return status;
}

static inline int zx_system(const char *command) {
  const char *p = command, *rest;
  int status;
  zx_init();
  if (!command) return system(NULL);
  if (zx_word(&p, "cls") && !*zx_skip_blanks(p)) {
    zx_finish_repaint();
    zx_con.cls_pending = 1;
    return 0;
  }
  p = command;
  if (zx_word(&p, "color")) {
    status = zx_color(p);
  } else if (zx_word(&p, "title")) {
    status = zx_title(p);
  } else if (zx_word(&p, "mode") &&
             ((rest = p, zx_word(&rest, "con")) || (rest = p, zx_word(&rest, "con:")))) {
    status = zx_mode(rest);
  } else {
    return zx_run(command);
  }
  /* Outside a frame the change shows at once; inside, it goes with the frame. */
  if (!zx_con.repaint) zx_emit();
  return status;
}

/* ---- the names the program uses ------------------------------------------ */

static inline int zx_printf(const char *format, ...) {
  char small[1024];
  char *text = small;
  va_list args;
  int n;
  zx_init();
  va_start(args, format);
  n = vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return n;
  if ((size_t)n >= sizeof small) {
    text = (char *)malloc((size_t)n + 1);
    if (!text) return -1;
    va_start(args, format);
    vsnprintf(text, (size_t)n + 1, format, args);
    va_end(args);
  }
  zx_text(text, (size_t)n);
  if (text != small) free(text);
  if (zx_con.len > ((size_t)1 << 20))
    zx_emit(); /* a program that never sleeps still gets its output */
  return n;
}

#define printf zx_printf
#define system zx_system

#endif /* ZOETRIX_CONSOLE_H */

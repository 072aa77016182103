#pragma once
// The terminal the tool itself plays in (zoetrix --play): its encoding, its
// size, keys without Enter or echo, and putting it back however the program
// ends. The compiled animation programs have their own copy of these rules
// in console/zoetrix_console.h; the two must agree.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// GBK characters to the bytes the terminal expects. The encoding comes from
// the locale variables (LC_ALL, then LC_CTYPE, then LANG; the first that is
// set and not empty), the part after the dot up to any '@'. None named means
// UTF-8; GBK, CP936 and GB18030 get the bytes as they are. Any other
// encoding is used only when it is ASCII-compatible and stateless (ASCII
// comes out as ASCII, and no character leaves a shift state or control
// bytes behind), so not UTF-16, UTF-7 or the ISO-2022 family; for those,
// and for a name iconv does not know, the text goes out as UTF-8 and
// Fallback() says why.
//
// Nothing that comes out is a control character in that encoding: a C0 or
// C1 control, DEL, a byte that starts no GBK character (a lead byte without
// its second byte) or a character the encoding lacks becomes one '?' per
// byte, so it keeps the columns the console gives it. Tab is the one
// control that passes.
class TerminalEncoding {
 public:
  enum class Fallback { None, Unknown, Unsafe };

  // From the process's environment.
  static TerminalEncoding FromLocale();
  // From a value such as "zh_CN.UTF-8"; getenv-like lookup for the three names.
  static TerminalEncoding FromLocaleVariables(const std::function<const char*(const char*)>& get);
  // From a codeset name ("UTF-8", "GBK"); empty means UTF-8.
  static TerminalEncoding ForCodeset(std::string_view codeset);

  TerminalEncoding(TerminalEncoding&&) noexcept;
  TerminalEncoding& operator=(TerminalEncoding&&) noexcept;
  ~TerminalEncoding();

  // Appends one GBK character (1 or 2 bytes) in the terminal's encoding.
  void AppendChar(std::string_view gbk, std::string& out) const;
  bool PassesBytes() const { return m_kind == Kind::Gbk; }

  // Why UTF-8 is used instead of the encoding the locale names, and that
  // name as the locale gives it, controls and all (empty when it is used):
  // quote it with res::Printable before it reaches a terminal.
  Fallback Refusal() const { return m_fallback; }
  const std::string& RefusedName() const { return m_refused; }

 private:
  enum class Kind { Utf8, Gbk, Other };
  TerminalEncoding(Kind kind, void* handle) : m_kind(kind), m_handle(handle) {}
  Kind m_kind;
  void* m_handle;  // iconv_t from UTF-8, only for Kind::Other
  Fallback m_fallback = Fallback::None;
  std::string m_refused;
};

// Columns and rows of the terminal on fd; 0 and 0 when fd is not one.
struct TerminalSize {
  int cols = 0;
  int rows = 0;
};
TerminalSize SizeOf(int fd);

bool IsTerminal(int fd);

// Writes everything, through EINTR and short writes. False on an error
// (the terminal is gone, the pipe's reader left, the disk is full).
bool WriteAll(int fd, std::string_view bytes);

// Holds the terminal while the tool plays in it. Only one at a time.
//
// Keys: when `in` is a terminal and we are its foreground job, it is put in
// non-canonical mode without echo (signals from Ctrl+C and Ctrl+Z stay on).
// The `enter` bytes (cursor hidden, colours) are written at once and again
// after a stop; the `leave` bytes (colours reset, cursor below the picture
// and visible) are written when the session ends: by destruction, by
// SIGINT, SIGTERM, SIGHUP or SIGQUIT (the process then ends by that signal
// as it would have), and before stopping on SIGTSTP. On SIGCONT the keys
// mode and `enter` come back and Redraw() turns true, because anything may
// have been drawn over the picture meanwhile.
class TerminalSession {
 public:
  TerminalSession(int in, int out, std::string_view enter, std::string_view leave);
  ~TerminalSession();
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // What to write at the end, as the picture changes.
  void SetLeave(std::string_view leave);
  // Writes bytes to the terminal with the signals held back, so that what a
  // signal writes never lands inside them.
  bool Write(std::string_view bytes);

  // Waits until `deadline` (none: without limit), a key arrives, or a
  // signal asks for a redraw. Returns the keys read (possibly none).
  std::string Wait(std::optional<std::chrono::steady_clock::time_point> deadline);
  // True once after the program went on after a stop (or the size changed).
  bool TakeRedraw();
  bool ReadsKeys() const { return m_keys; }

 private:
  int m_in, m_out;
  bool m_keys = false;
};

}  // namespace platform

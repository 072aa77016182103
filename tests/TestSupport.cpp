#include "tests/TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Cp936.h"

namespace testsupport {

TempDir::TempDir(std::string_view nameHint) {
  static std::atomic<int> counter{0};
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto candidate = base / (std::string(nameHint) + "-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter++));
    if (std::filesystem::create_directory(candidate)) {
      m_path = candidate;
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p.string());
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + p.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Gbk(std::string_view utf8) {
  auto r = platform::cp936::ToGbk(utf8);
  if (!r.ok()) throw std::runtime_error("test text not representable in GBK");
  return r.bytes;
}

void ResetSignalsForChild() {
  for (int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(sig, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

PseudoTerminal OpenPseudoTerminal() {
  PseudoTerminal pty;
  pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty.master < 0) return pty;
  ::grantpt(pty.master);
  ::unlockpt(pty.master);
  pty.slave = ::ptsname(pty.master);
  winsize size{};
  size.ws_row = 25;
  size.ws_col = 80;
  ::ioctl(pty.master, TIOCSWINSZ, &size);
  return pty;
}

std::string StrayControls(std::string_view output, std::string_view encoding) {
  const auto at = [&output](std::size_t i) { return static_cast<unsigned char>(output[i]); };
  const auto stray = [&](std::size_t i, const char* what) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", at(i));
    return std::string(what) + " at byte " + std::to_string(i) + " (" + byte + ")";
  };
  for (std::size_t i = 0; i < output.size();) {
    const unsigned char b = at(i);
    if (b == 0x1B && i + 1 < output.size() && output[i + 1] == '[') {
      std::size_t end = i + 2;
      while (end < output.size() && (at(end) < 0x40 || at(end) > 0x7E) && at(end) >= 0x20) ++end;
      if (end == output.size() || at(end) < 0x20) return stray(i, "unfinished CSI");
      i = end + 1;
      continue;
    }
    if (b == 0x1B && output.substr(i, 4) == "\033]2;") {
      const std::size_t bell = output.find('\a', i);
      if (bell == std::string_view::npos) return stray(i, "unfinished title");
      const std::string inner = StrayControls(output.substr(i + 4, bell - i - 4), encoding);
      if (!inner.empty()) return "in the title: " + inner;
      i = bell + 1;
      continue;
    }
    if (b == '\r' || b == '\n' || b == '\t' || (b >= 0x20 && b < 0x7F)) {
      ++i;
      continue;
    }
    if (b < 0x80) return stray(i, "C0 control");
    std::size_t length = 0;
    if (encoding == "GBK") {
      if (b >= 0x81 && b <= 0xFE && i + 1 < output.size() && at(i + 1) >= 0x40 &&
          at(i + 1) <= 0xFE && at(i + 1) != 0x7F)
        length = 2;
    } else {
      char32_t cp = 0;
      length = b >= 0xC2 && b <= 0xDF   ? 2
               : b >= 0xE0 && b <= 0xEF ? 3
               : b >= 0xF0 && b <= 0xF4 ? 4
                                        : 0;
      cp = length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
      for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= output.size() || (at(i + k) & 0xC0) != 0x80) return stray(i, "broken UTF-8");
        cp = (cp << 6) | (at(i + k) & 0x3F);
      }
      if (length != 0 && cp >= 0x80 && cp <= 0x9F) return stray(i, "C1 control");
    }
    if (length == 0) return stray(i, "byte that starts no character");
    i += length;
  }
  return {};
}

}  // namespace testsupport

#include "tests/TestSupport.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <atomic>
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

}  // namespace testsupport

// zoetrix --export run as from a shell, where things go wrong: a full disk,
// and Ctrl+C, kill or a closed terminal in the middle of an export.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Process.h"
#include "res/Texts.h"
#include "tests/TestSupport.h"

using testsupport::ReadFile;
using testsupport::WriteFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const char* kProject =
    "[AnimatedProperties]\r\nName=cli\r\nWide=20\r\nHigh=4\r\nColor=0A\r\nFrameRate=20\r\n"
    "FrameNum=2\r\n[AnimatePicture]\r\nFrame1=first\\nframe\r\nFrame2=second\r\n";

// The built tool in a folder of its own, which is then its work folder,
// with the console layer, a project, and files of an earlier run that must
// outlive whatever happens.
class ToolRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      fs::create_directories(m_tool / sub);
    std::error_code ec;
    fs::create_hard_link(ZOETRIX_BINARY, m_tool / "zoetrix", ec);
    if (ec) fs::copy_file(ZOETRIX_BINARY, m_tool / "zoetrix");
    fs::copy(fs::path(ZOETRIX_TEST_DATA) / ".." / ".." / "console", m_tool / "include");
    WriteFile(m_project, kProject);
    WriteFile(m_tool / "Code" / "earlier.c", "an earlier run");
    WriteFile(m_tool / "Animate" / "earlier.html", "an earlier run");
  }

  // What the tool's folders hold, as "Code/name" lines, sorted.
  std::vector<std::string> Left() const {
    std::vector<std::string> names;
    for (const char* sub : {"Code", "Animate", "Project"})
      for (const auto& e : fs::directory_iterator(m_tool / sub))
        names.push_back(std::string(sub) + "/" + e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // A compiler that leaves half a program and then hangs, after noting its
  // process id where the test can see it.
  void HangingCompiler() {
    WriteFile(
        m_tool / "tcc",
        "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = -o ] && echo half > \"$2\"; shift; done\n"
        "echo $$ > '" +
            m_mark.string() + ".tmp'; mv '" + m_mark.string() + ".tmp' '" + m_mark.string() +
            "'\nexec sleep 600\n");
    fs::permissions(m_tool / "tcc", fs::perms::owner_all);
  }

  testsupport::TempDir m_dir{"zoetrix-failure"};
  fs::path m_tool = m_dir.path() / "tool";
  fs::path m_project = m_dir.path() / "in.ini";
  fs::path m_mark = m_dir.path() / "compiler-pid";
  const std::vector<std::string> m_earlier = {"Animate/earlier.html", "Code/earlier.c"};
};

struct SmallDiskRun {
  bool ran = false;  // false: no namespace to mount in here
  std::string why;   // then: what was said
  int status = -1;
  std::string out, err;
  std::vector<std::string> left;  // the tool's folders, with the small disk in place
};

// Runs `zoetrix --export` with a small file system of `size` mounted over one
// of the tool's folders, in a user and mount namespace of its own (nothing
// outside it sees the mount).
SmallDiskRun RunOnSmallDisk(const fs::path& dir, const fs::path& tool, const char* folder,
                            const char* size, const std::vector<std::string>& args) {
  const std::string script =
      "mount -t tmpfs -o size=\"$2\" tmpfs \"$1\" || exit 97\n"
      "d=$3; shift 3\n"
      "\"$@\" >\"$d/out\" 2>\"$d/err\"; echo $? >\"$d/status\"\n"
      "cd \"$d/tool\" && for f in Code/* Code/.b* Animate/* Project/*; do\n"
      "  [ -e \"$f\" ] && echo \"$f\"; done | sort >\"$d/left\"\n";
  std::vector<std::string> argv = {
      "unshare", "--user", "--map-root-user",        "--mount", "/bin/sh",   "-c",
      script,    "sh",     (tool / folder).string(), size,      dir.string()};
  argv.push_back((tool / "zoetrix").string());
  argv.insert(argv.end(), args.begin(), args.end());
  const platform::ProcessResult run = platform::RunProcess(argv, 120s);
  SmallDiskRun r;
  if (!run.ExitedCleanly()) {
    r.why = run.programMissing ? "unshare is not installed" : run.output;
    return r;
  }
  r.ran = true;
  r.status = std::stoi(ReadFile(dir / "status"));
  r.out = ReadFile(dir / "out");
  r.err = ReadFile(dir / "err");
  const std::string left = ReadFile(dir / "left");
  for (std::size_t at = 0; at < left.size();) {
    const std::size_t end = left.find('\n', at);
    r.left.push_back(left.substr(at, end - at));
    at = end + 1;
  }
  return r;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

// A full disk: success is said only of a program that is in Animate/, and a
// failed run keeps nothing (and lists nothing) but what it says it keeps.
TEST_F(ToolRun, AFullDiskLeavesOnlyWhatTheMessagesSay) {
  const std::string in = m_project.string();
  SmallDiskRun r = RunOnSmallDisk(m_dir.path(), m_tool, "Animate", "8k",
                                  {"--export", in, "--code", "--compile", "--project"});
  if (!r.ran) GTEST_SKIP() << "no user and mount namespace for a small file system here: " << r.why;
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Contains(r.out, "编译成功！")) << r.out;
  EXPECT_TRUE(Contains(r.err, "无法把编译好的程序放进 Animate 文件夹")) << r.err;
  EXPECT_TRUE(Contains(r.err, res::kExportRemovedRunFiles)) << r.err;
  EXPECT_EQ(r.left, std::vector<std::string>{"Code/earlier.c"});  // Animate/ is the small disk

  // The page and the picture fit, the recording does not: all three go.
  r = RunOnSmallDisk(m_dir.path(), m_tool, "Animate", "12k",
                     {"--export", in, "--html", "--gif", "--cast"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, ".cast")) << r.err;
  EXPECT_EQ(r.left, std::vector<std::string>{"Code/earlier.c"});

  // Room for the code, none for the program: the code stays, and is listed
  // under a message saying so, not under "已导出。".
  r = RunOnSmallDisk(m_dir.path(), m_tool, "Code", "8k", {"--export", in, "--code", "--compile"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Contains(r.out, res::kExportDone)) << r.out;
  EXPECT_TRUE(Contains(r.err, res::kCompileProblemMessage)) << r.err;
  EXPECT_TRUE(Contains(r.err, res::kExportKeptAfterCompileProblem)) << r.err;
  ASSERT_EQ(r.left.size(), 2u);
  EXPECT_EQ(r.left[0], "Animate/earlier.html");
  EXPECT_EQ(fs::path(r.left[1]).extension(), ".c");
  EXPECT_TRUE(Contains(r.out, (m_tool / r.left[1]).string() + "\n")) << r.out;
  EXPECT_EQ(Left(), m_earlier);  // without the small disk: untouched
}

namespace {

enum class Interrupt { CtrlC, Kill, HangUp };

// Starts the tool in a session of its own on a pseudo-terminal, as a shell
// starts it: Ctrl+C typed there and the terminal closing reach it as they
// would. Only async-signal-safe calls between fork and exec.
pid_t StartOnTerminal(const testsupport::PseudoTerminal& pty, const fs::path& tool,
                      std::vector<std::string> args) {
  args.insert(args.begin(), (tool / "zoetrix").string());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setsid();
  const int terminal = ::open(pty.slave.c_str(), O_RDWR);  // becomes the controlling terminal
  for (int fd = 0; fd < 3; ++fd) ::dup2(terminal, fd);
  testsupport::ResetSignalsForChild();
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

// Reads what the tool wrote to its terminal, so it never waits on a full one.
void Drain(int master) {
  char buffer[4096];
  while (master >= 0) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || ::read(master, buffer, sizeof buffer) <= 0) return;
  }
}

// Waits until ready() (at most a minute), reading the terminal meanwhile.
bool WaitFor(const std::function<bool()>& ready, int master) {
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Drain(master);
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// How the tool ended: the signal that ended it, or 0.
int EndingSignal(pid_t pid, int master) {
  int status = 0;
  const bool ended = WaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, master);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    ADD_FAILURE() << "the interrupted tool did not end";
    return 0;
  }
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

}  // namespace

// Interrupted while the compiler runs, after the code and the project are
// written: the compiler is stopped, every new file and the compiler's folder
// go, files of earlier runs stay, and the tool ends by the signal.
TEST_F(ToolRun, AnInterruptedExportLeavesNothingNew) {
  HangingCompiler();
  const struct {
    Interrupt how;
    int signal;
  } cases[] = {{Interrupt::CtrlC, SIGINT}, {Interrupt::Kill, SIGTERM}, {Interrupt::HangUp, SIGHUP}};
  for (const auto& c : cases) {
    testsupport::PseudoTerminal pty = testsupport::OpenPseudoTerminal();
    ASSERT_GE(pty.master, 0);
    fs::remove(m_mark);
    const pid_t pid = StartOnTerminal(
        pty, m_tool, {"--export", m_project.string(), "--code", "--compile", "--project"});
    ASSERT_TRUE(WaitFor([&] { return fs::exists(m_mark); }, pty.master)) << c.signal;
    const pid_t compiler = std::stoi(ReadFile(m_mark));
    // The code, the compiler's folder and the project besides the earlier ones.
    EXPECT_EQ(Left().size(), 5u);
    switch (c.how) {
      case Interrupt::CtrlC:
        EXPECT_EQ(::write(pty.master, "\x03", 1), 1);
        break;
      case Interrupt::Kill:
        ::kill(pid, SIGTERM);
        break;
      case Interrupt::HangUp:
        ::close(pty.master);
        pty.master = -1;
        break;
    }
    EXPECT_EQ(EndingSignal(pid, pty.master), c.signal);
    if (pty.master >= 0) ::close(pty.master);
    EXPECT_EQ(Left(), m_earlier) << c.signal;
    EXPECT_EQ(::kill(compiler, 0), -1) << "the compiler still runs";
    EXPECT_EQ(errno, ESRCH);
  }
}

// Ctrl+C while a large GIF is being written, after the page is done:
// neither the temporary nor the finished page stays.
TEST_F(ToolRun, CtrlCInTheMiddleOfALargeFileRemovesItsTemporary) {
  std::string project =
      "[AnimatedProperties]\r\nName=big\r\nWide=80\r\nHigh=25\r\nColor=07\r\nFrameRate=24\r\n"
      "FrameNum=1000\r\n[AnimatePicture]\r\n";
  for (int i = 0; i < 1000; ++i) {
    project += "Frame" + std::to_string(i + 1) + "=";
    for (int row = 0; row < 25; ++row)
      project += (row ? "\\n" : "") + std::to_string(10000 + i) + " " +
                 std::string(70, static_cast<char>('a' + (i + row) % 26));
    project += "\r\n";
  }
  WriteFile(m_project, project);
  testsupport::PseudoTerminal pty = testsupport::OpenPseudoTerminal();
  ASSERT_GE(pty.master, 0);
  const pid_t pid =
      StartOnTerminal(pty, m_tool, {"--export", m_project.string(), "--html", "--gif"});
  const auto writingGif = [&] {
    for (const auto& e : fs::directory_iterator(m_tool / "Animate"))
      if (Contains(e.path().filename().string(), ".gif.tmp-")) return true;
    return false;
  };
  ASSERT_TRUE(WaitFor(writingGif, pty.master));
  // Held still, so the file is surely half written when Ctrl+C arrives.
  ::kill(pid, SIGSTOP);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
  ASSERT_TRUE(WIFSTOPPED(status));
  ASSERT_TRUE(writingGif());
  EXPECT_EQ(Left().size(), 4u);  // the page and the temporary besides the earlier ones
  EXPECT_EQ(::write(pty.master, "\x03", 1), 1);
  ::kill(pid, SIGCONT);
  EXPECT_EQ(EndingSignal(pid, pty.master), SIGINT);
  ::close(pty.master);
  EXPECT_EQ(Left(), m_earlier);
}

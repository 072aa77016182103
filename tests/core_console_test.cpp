// The console layer: generated programs compiled with the real tcc and run in
// a pseudo-terminal of 80 x 25, their output checked byte for byte where the
// sequence matters.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Cp936.h"
#include "program/Compiler.h"
#include "tests/TestSupport.h"

using output::CompileAnimation;
using output::CompileOutcome;
using output::CompileResult;

using testsupport::Gbk;
using testsupport::TempDir;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path kConsoleFolder = fs::path(ZOETRIX_TEST_DATA) / ".." / ".." / "console";
const fs::path kGoldenPrograms = fs::path(ZOETRIX_TEST_DATA) / "program";

constexpr const char* kHideCursor = "\033[?25l";
constexpr const char* kShowCursor = "\033[?25h";
constexpr const char* kResetColours = "\033[0m";
constexpr const char* kFullClear = "\033[2J";

// Compiles C sources the way the tool does, against the console layer.
class Builder {
 public:
  Builder() {
    fs::create_directories(m_temp.path() / "Code");
    fs::copy(kConsoleFolder, m_temp.path() / "include");
  }
  std::string Build(const fs::path& source) {
    const std::string code = m_temp.folder() + "Code/" + source.parent_path().filename().string() +
                             "_" + source.stem().string() + ".c";
    fs::copy_file(source, code, fs::copy_options::overwrite_existing);
    const CompileResult r = CompileAnimation(m_temp.folder(), code);
    EXPECT_EQ(r.outcome, CompileOutcome::Success) << source << ":\n" << r.output;
    return r.buildPath;
  }
  std::string BuildGolden(const std::string& name) {
    return Build(kGoldenPrograms / name / "expected.c");
  }

 private:
  TempDir m_temp{"zoetrix-console"};
};

struct TerminalRun {
  std::string output;      // everything the program wrote, as the terminal received it
  int status = 0;          // as from waitpid
  bool echoAfter = false;  // the terminal echoes typed keys again after the run
};

// Runs a program as the foreground job of a fresh pseudo-terminal. `act` is
// called with the output so far and the terminal's master side, and returns
// true once it has done what it wanted (typing Ctrl+C, say).
TerminalRun RunInTerminal(const std::string& program, const std::string& lang = "C.UTF-8",
                          const std::function<bool(const std::string&, int)>& act = {}) {
  TerminalRun run;
  const testsupport::PseudoTerminal pty = testsupport::OpenPseudoTerminal();
  const int master = pty.master;
  EXPECT_GE(master, 0);
  if (master < 0) return run;
  const std::string& slave = pty.slave;

  // Everything the child needs is made before fork.
  std::string langVar = "LANG=" + lang;
  std::vector<char*> env = {langVar.data(), const_cast<char*>("TERM=xterm"),
                            const_cast<char*>("PATH=/usr/bin:/bin"), nullptr};
  std::string file = program;
  std::vector<char*> argv = {file.data(), nullptr};

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    const int tty = ::open(slave.c_str(), O_RDWR);  // becomes the controlling terminal
    if (tty < 0) ::_exit(126);
    ::ioctl(tty, TIOCSCTTY, 0);
    ::dup2(tty, 0);
    ::dup2(tty, 1);
    ::dup2(tty, 2);
    ::close_range(3, ~0u, 0);
    testsupport::ResetSignalsForChild();
    ::execve(file.c_str(), argv.data(), env.data());
    ::_exit(127);
  }

  bool acted = !act;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  for (;;) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << program << " did not end";
      ::kill(pid, SIGKILL);
      break;
    }
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0) {
      char buffer[4096];
      const ssize_t got = ::read(master, buffer, sizeof buffer);
      if (got <= 0) break;  // EIO: the program and the terminal's last user are gone
      run.output.append(buffer, static_cast<std::size_t>(got));
    }
    if (!acted) acted = act(run.output, master);
  }
  termios modes{};
  if (::tcgetattr(master, &modes) == 0) run.echoAfter = (modes.c_lflag & ECHO) != 0;
  ::waitpid(pid, &run.status, 0);
  ::close(master);
  return run;
}

std::string Utf8(const std::string& gbk) { return platform::cp936::ToUtf8(gbk); }

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++n;
  return n;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ConsoleTest, FramesAreDrawnInPlaceOneAfterAnother) {
  Builder builder;
  const TerminalRun run = RunInTerminal(builder.BuildGolden("quotes_and_backslashes"));
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);

  // Cursor hidden first; then the size, the colours 1E (blue behind light
  // yellow) and the title; no screen is ever blanked whole.
  const std::string start = std::string(kHideCursor) + "\033[8;12;40t" + "\033[0;44;93m" +
                            "\033[22;2t\033]2;" + Utf8("\x9c\x5c") + Utf8(Gbk("水")) + "\a";
  EXPECT_EQ(run.output.substr(0, start.size()), start);
  EXPECT_EQ(Count(run.output, kFullClear), 0u);

  // Each frame from the corner, over the last one: lines end in "clear to end
  // of line", the frame in "clear to end of screen". The empty frame is a
  // blank screen. At the end the last picture stays, the cursor below it.
  const std::string frames = std::string("\033[Hsay \"hi\"\033[J") + "\033[Hit's\033[J" +
                             "\033[HC:\\dir\\\033[J" + "\033[H" +
                             Utf8("\x81\x5c\\\x87\x5c\xb6\x5c\xbb\x5c") + "\033[J" +
                             "\033[H\033[J" + "\033[Hline\033[K\r\n\033[J";
  // The terminal goes back to the 80 x 25 it had before the program asked
  // for 40 x 12.
  const std::string end = std::string(kResetColours) + kShowCursor + "\033[8;25;80t\033[23;2t";
  EXPECT_EQ(run.output.substr(start.size()), frames + end);
  EXPECT_TRUE(run.echoAfter);
}

TEST(ConsoleTest, EndlessProgramStopsOnCtrlCAndPutsTheTerminalBack) {
  Builder builder;
  const std::string frame1 = "\033[H /\\_/\\\033[K\r\n( o.o )\033[J";
  const std::string frame2 = "\033[H > ^ <\033[K\r\n" + Utf8(Gbk("猫")) + "\033[J";
  bool typed = false;
  const TerminalRun run = RunInTerminal(builder.BuildGolden("two_frames_endless"), "C.UTF-8",
                                        [&](const std::string& output, int master) {
                                          // Type a key while it plays, and Ctrl+C once it has
                                          // looped.
                                          if (!typed && output.find(frame1) != std::string::npos)
                                            typed = ::write(master, "q", 1) == 1;
                                          if (Count(output, frame1) < 2) return false;
                                          return ::write(master, "\x03", 1) == 1;
                                        });
  ASSERT_TRUE(WIFSIGNALED(run.status)) << run.status;
  EXPECT_EQ(WTERMSIG(run.status), SIGINT);

  const std::string& out = run.output;
  EXPECT_EQ(out.find(kHideCursor), 0u);
  EXPECT_NE(out.find("\033[8;10;100t"), std::string::npos);
  EXPECT_NE(out.find("\033[0;102;97m"), std::string::npos);  // AF: light green behind white
  EXPECT_NE(out.find("\033]2;" + Utf8(Gbk("小猫")) + "\a"), std::string::npos);
  const std::size_t first = out.find(frame1);
  const std::size_t second = out.find(frame2, first);
  const std::size_t again = out.find(frame1, second);
  EXPECT_LT(first, second);
  EXPECT_NE(again, std::string::npos);
  EXPECT_LT(second, again);
  EXPECT_EQ(Count(out, kFullClear), 0u);

  // The key was not echoed over the picture; the end put everything back.
  EXPECT_TRUE(typed);
  EXPECT_EQ(out.find('q'), std::string::npos);
  const std::size_t lastFrame = out.rfind("( o.o )") > out.rfind(Utf8(Gbk("猫")))
                                    ? out.rfind("( o.o )")
                                    : out.rfind(Utf8(Gbk("猫")));
  const std::string tail = out.substr(lastFrame);
  EXPECT_NE(tail.find(kResetColours), std::string::npos) << tail;
  EXPECT_TRUE(EndsWith(out, std::string("\r\n") + kShowCursor + "\033[8;25;80t\033[23;2t")) << tail;
  EXPECT_TRUE(run.echoAfter);
}

TEST(ConsoleTest, TitleLosesTheCaretsAndTextFollowsTheTerminalEncoding) {
  Builder builder;
  const std::string program = builder.BuildGolden("name_special_chars");
  const std::string title = "\"A&B\" <c|d> ^ \\" + Gbk("乛亅") + "\x81\x5c";

  const TerminalRun utf8 = RunInTerminal(program, "zh_CN.UTF-8");
  EXPECT_NE(utf8.output.find("\033]2;" + Utf8(title) + "\a"), std::string::npos);
  EXPECT_NE(utf8.output.find("\033[0;40;37m"), std::string::npos);  // 07: white on black

  // A GBK terminal gets the bytes as they are.
  const TerminalRun gbk = RunInTerminal(program, "zh_CN.GBK");
  EXPECT_NE(gbk.output.find("\033]2;" + title + "\a"), std::string::npos);
}

TEST(ConsoleTest, PercentSignsPrintAsTyped) {
  Builder builder;
  const TerminalRun run = RunInTerminal(
      builder.BuildGolden("percent_signs"), "C.UTF-8", [](const std::string& output, int master) {
        return output.find("%d%%s") != std::string::npos && ::write(master, "\x03", 1) == 1;
      });
  EXPECT_NE(run.output.find("\033[H100%\033[J"), std::string::npos);
  EXPECT_NE(run.output.find("\033[H%d%%s\033[K\r\n%\033[J"), std::string::npos);
}

TEST(ConsoleTest, OtherConsoleUse) {
  // "mode con" asks for the size the terminal already has: nothing to put
  // back at the end.
  Builder builder;
  const TerminalRun run =
      RunInTerminal(builder.Build(fs::path(ZOETRIX_TEST_DATA) / "console" / "commands.c"));
  const std::string expected =
      std::string(kHideCursor) + "\033[8;25;80t" +
      "\033[0;40;35m" +  // "COLOR 5": characters only; "color 33" is refused
      "\033[H[1]\033[J" +
      // A full-width line: the closing clear goes before its last character.
      "\033[H" + std::string(79, '=') + "\033[J=" +
      // A jump after a clear: the clear is completed first.
      "\033[H\033[J\033[4;6Hx" +
      // A real command: a real clear before it, a normal cursor while it runs.
      "\033[H\033[2J" + kShowCursor + "outside\r\n" + kHideCursor + "end" + kResetColours +
      "\r\r\n" + kShowCursor;  // the terminal sends "\n" as "\r\n"
  EXPECT_EQ(run.output, expected);
}

// Whatever the locale names, the terminal gets text: an encoding that is
// not ASCII-compatible and stateless gives way to UTF-8, and no control
// from the name or a frame (an ESC, a GBK lead byte without its second
// byte, 0x80, 0xFF, a shift) comes out as one.
TEST(ConsoleTest, NoControlFromTheProgramsTextReachesTheTerminal) {
  Builder builder;
  const std::string program =
      builder.Build(fs::path(ZOETRIX_TEST_DATA) / "console" / "stray_bytes.c");
  const struct {
    const char* lang;
    const char* encoding;
  } cases[] = {{"C.UTF-8", "UTF-8"},  {"zh_CN.GBK", "GBK"},       {"zh_CN.GB18030", "GBK"},
               {"x.UTF-16", "UTF-8"}, {"x.ISO-2022-CN", "UTF-8"}, {"x.NO-SUCH-CODESET", "UTF-8"}};
  for (const auto& c : cases) {
    const TerminalRun run = RunInTerminal(program, c.lang);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << c.lang;
    EXPECT_EQ(testsupport::StrayControls(run.output, c.encoding), "") << c.lang;
    const std::string chinese = c.encoding == std::string("GBK") ? Gbk("中") : "中";
    EXPECT_NE(run.output.find(chinese + " a]0;pwnedb?"), std::string::npos) << c.lang;
  }
}

}  // namespace

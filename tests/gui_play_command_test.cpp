// zoetrix --play: the arguments, and the built tool playing into a
// pseudo-terminal and into a pipe, with no display.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Process.h"
#include "tests/CommandLineSupport.h"
#include "tests/TestSupport.h"

using testsupport::Outcome;
using testsupport::WriteFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kHideCursor = "\033[?25l";
constexpr const char* kShowCursor = "\033[?25h";

// Three frames at 100 per second, green on black.
const char* kProject =
    "[AnimatedProperties]\r\nName=play\r\nWide=20\r\nHigh=3\r\nColor=0A\r\nFrameRate=100\r\n"
    "FrameNum=3\r\n[AnimatePicture]\r\nFrame1=one\\n=\r\nFrame2=two\\n=\r\nFrame3=\xD6\xD0\r\n";

class PlayCommand : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(m_project, kProject); }
  Outcome Call(std::vector<std::string> args) {
    return testsupport::CallCommandLine(std::move(args));
  }
  testsupport::TempDir m_dir{"zoetrix-play"};
  std::string m_project = (m_dir.path() / "p.ini").string();
};

struct TerminalRun {
  std::string output;
  int status = 0;
  tcflag_t lflagBefore = 0, lflagAfter = 0;
};

struct TerminalOptions {
  std::string lang = "C.UTF-8";
  int rows = 25;  // by 80 columns
  // The tool runs in a process group of its own below a parent that waits
  // like a shell, so that Ctrl+Z stops it (the kernel ignores it for a
  // group without such a parent).
  bool asJob = false;
};

// Runs the tool as the foreground job of a fresh pseudo-terminal.
// `act` sees the output so far and the master side; it returns true once it
// has done what it wanted.
TerminalRun RunInTerminal(const std::vector<std::string>& args,
                          const std::function<bool(const std::string&, int, pid_t)>& act = {},
                          const TerminalOptions& options = {}) {
  TerminalRun run;
  const testsupport::PseudoTerminal pty = testsupport::OpenPseudoTerminal();
  const int master = pty.master;
  EXPECT_GE(master, 0);
  if (master < 0) return run;
  const std::string& slave = pty.slave;
  winsize size{};
  size.ws_row = static_cast<unsigned short>(options.rows);
  size.ws_col = 80;
  ::ioctl(master, TIOCSWINSZ, &size);
  termios modes{};
  ::tcgetattr(master, &modes);
  run.lflagBefore = modes.c_lflag;

  std::vector<std::string> all = {ZOETRIX_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string lang = "LANG=" + options.lang;
  std::vector<char*> env = {lang.data(), const_cast<char*>("TERM=xterm"), nullptr};

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    const int tty = ::open(slave.c_str(), O_RDWR);
    if (tty < 0) ::_exit(126);
    ::ioctl(tty, TIOCSCTTY, 0);
    ::dup2(tty, 0);
    ::dup2(tty, 1);
    ::dup2(tty, 2);
    ::close_range(3, ~0u, 0);
    testsupport::ResetSignalsForChild();
    if (options.asJob) {
      const pid_t job = ::fork();
      if (job == 0) {
        ::setpgid(0, 0);
        ::tcsetpgrp(0, ::getpgrp());
        ::execve(argv[0], argv.data(), env.data());
        ::_exit(127);
      }
      ::setpgid(job, job);
      ::tcsetpgrp(0, job);
      int status = 0;
      while (::waitpid(job, &status, 0) < 0 && errno == EINTR) {
      }
      if (WIFSIGNALED(status)) ::_exit(128 + WTERMSIG(status));
      ::_exit(WEXITSTATUS(status));
    }
    ::execve(argv[0], argv.data(), env.data());
    ::_exit(127);
  }
  bool acted = !act;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  for (;;) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "zoetrix --play did not end";
      ::kill(pid, SIGKILL);
      break;
    }
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 10) > 0) {
      char buffer[4096];
      const ssize_t got = ::read(master, buffer, sizeof buffer);
      if (got <= 0) break;
      run.output.append(buffer, static_cast<std::size_t>(got));
    }
    if (!acted) acted = act(run.output, master, pid);
  }
  if (::tcgetattr(master, &modes) == 0) run.lflagAfter = modes.c_lflag;
  ::waitpid(pid, &run.status, 0);
  ::close(master);
  return run;
}

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++n;
  return n;
}

constexpr tcflag_t kKeyModes = ICANON | ECHO;

constexpr const char* kStatusPlaying = "播放中 · 速度 1 倍 · 空格 暂停  + - 快慢  q 退出";

// The output without its status rows, whose text has spaces and letters.
std::string WithoutStatusRows(std::string output) {
  for (const char* start : {"播放中", "已暂停"})
    for (std::size_t at; (at = output.find(start)) != std::string::npos;)
      output.erase(at, output.find('\033', at) - at);
  return output;
}

}  // namespace

TEST_F(PlayCommand, StrictArgumentsWithChineseMessages) {
  const std::string empty = (m_dir.path() / "empty.ini").string();
  WriteFile(empty,
            "[AnimatedProperties]\r\nName=e\r\nWide=20\r\nHigh=3\r\nColor=0A\r\n"
            "FrameRate=100\r\nFrameNum=0\r\n[AnimatePicture]\r\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* err;
  } cases[] = {
      {{"--play"}, 2, "--play 后面缺少工程文件名"},
      {{"--play", m_project, "--bogus"}, 2, "无法识别的参数：--bogus"},
      {{"--play", m_project, "extra"}, 2, "多余的参数：extra"},
      {{"--play", m_project, "--speed"}, 2, "--speed 后面缺少倍数"},
      {{"--play", m_project, "--speed", "fast"}, 2, "0.01 到 100"},
      {{"--play", m_project, "--speed", "0"}, 2, "0.01 到 100"},
      // A value that looks like an option is a bad value, not a missing one.
      {{"--play", m_project, "--from", "-1"}, 2, "--from 的帧号必须是正整数：-1"},
      {{"--play", m_project, "--speed", "-2"}, 2, "0.01 到 100 之间的数：-2"},
      {{"--play", m_project, "--from"}, 2, "--from 后面缺少帧号"},
      {{"--play", m_project, "--to", "--loop"}, 2, "--to 后面缺少帧号"},
      // What was typed is quoted without its controls.
      {{"--play", m_project, "x\033[2J"}, 2, "多余的参数：xU+001B[2J"},
      {{"--play", m_project, "--bogus\033]0;t\a"}, 2, "无法识别的参数：--bogusU+001B]0;tU+0007"},
      {{"--play", m_project, "--to", "1\033[2J"}, 2, "正整数：1U+001B[2J"},
      {{"--play", m_project, "--speed", "\033[2J"}, 2, "之间的数：U+001B[2J"},
      {{"--play", m_project, "--from", "1x"}, 2, "正整数"},
      {{"--play", m_project, "--from", "0"}, 2, "该动画共有 3 帧"},
      {{"--play", m_project, "--to", "4"}, 2, "该动画共有 3 帧"},
      {{"--play", m_project, "--from", "3", "--to", "2"}, 2, "不能小于"},
      {{"--play", m_project, "--export", m_project}, 2, "不能一起使用"},
      {{"--play", (m_dir.path() / "missing.ini").string()}, 1, ""},
      // Nothing to play is a fault of the file, not of the arguments.
      {{"--play", empty}, 1, "这个工程没有帧"},
  };
  for (const Case& c : cases) {
    const Outcome r = Call(c.args);
    EXPECT_EQ(r.status, c.status) << c.err << "\n" << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\033'), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.err;
  }
  const Outcome usage = Call({"--play", m_project, "--bogus"});
  EXPECT_NE(usage.err.find("用法：zoetrix --play"), std::string::npos);
  const Outcome help = Call({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("用法：zoetrix --export"), std::string::npos);
  EXPECT_NE(help.out.find("用法：zoetrix --play"), std::string::npos);
}

// Into a file or a pipe (the tool run with no display and an empty
// environment besides LANG): the frames as text, a form feed line between them,
// no control sequences and no waiting.
TEST_F(PlayCommand, PlainFramesWhenNotATerminal) {
  Outcome r = Call({"--play", m_project, "--loop", "--speed", "0.01"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "one\n=\n\f\ntwo\n=\n\f\n中\n");
  r = Call({"--play", m_project, "--from", "2", "--to", "2"});
  EXPECT_EQ(r.out, "two\n=\n");

  const platform::ProcessResult pipe = platform::RunProcess(
      {"/usr/bin/env", "-i", "LANG=C.UTF-8", ZOETRIX_BINARY, "--play", m_project, "--from", "2"},
      10s);
  EXPECT_EQ(pipe.exitStatus, 0);
  EXPECT_EQ(pipe.output, "two\n=\n\f\n中\n");
  EXPECT_EQ(pipe.output.find('\033'), std::string::npos);
}

TEST_F(PlayCommand, PlaysInPlaceAndGivesTheTerminalBack) {
  const TerminalRun run = RunInTerminal({"--play", m_project});
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.output;
  // Cursor hidden, colours 0A; the three frames from the corner, the
  // status row below the three-row canvas; only the first row changing
  // after the first, the last one row shorter. It stays, the status row is
  // erased and the cursor goes below the picture.
  const std::string expected = std::string(kHideCursor) + "\033[0;40;92m" +
                               "\033[Hone\033[K\r\r\n=\033[K\r\r\n\033[K\r\r\n" + kStatusPlaying +
                               "\033[K\033[J" + "\033[Htwo\033[K" + "\033[H中\033[K\r\r\n\033[K" +
                               "\033[0m\033[4;1H\033[K\033[H\r\r\n" + kShowCursor;
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(run.lflagAfter & kKeyModes, run.lflagBefore & kKeyModes);
  EXPECT_EQ(Count(run.output, "\033[8;"), 0u);  // never resizes
}

// Ctrl+C typed, and SIGTERM sent: the process ends by that signal and the
// terminal has its cursor, colours, line editing and echo back.
TEST_F(PlayCommand, SignalsEndPlayingAndRestoreTheTerminal) {
  for (const int sig : {SIGINT, SIGTERM}) {
    const TerminalRun run = RunInTerminal(
        {"--play", m_project, "--loop"}, [sig](const std::string& output, int master, pid_t pid) {
          if (Count(output, "\033[Hone") < 2) return false;  // it has looped
          return sig == SIGINT ? ::write(master, "\x03", 1) == 1 : ::kill(pid, SIGTERM) == 0;
        });
    ASSERT_TRUE(WIFSIGNALED(run.status)) << sig << " " << run.status;
    EXPECT_EQ(WTERMSIG(run.status), sig);
    EXPECT_EQ(run.output.find(kHideCursor), 0u);
    const std::string tail = run.output.substr(run.output.rfind("\033[0m"));
    EXPECT_NE(tail.find(kShowCursor), std::string::npos) << sig;
    EXPECT_EQ(run.lflagAfter & kKeyModes, run.lflagBefore & kKeyModes) << sig;
  }
}

// Space pauses (no frame follows), the right arrow steps one frame, q quits.
TEST_F(PlayCommand, KeysPauseStepAndQuit) {
  int step = 0;
  std::size_t pausedAt = 0;
  auto paused = std::chrono::steady_clock::now();
  const TerminalRun run = RunInTerminal(
      {"--play", m_project, "--loop"}, [&](const std::string& output, int master, pid_t) {
        const auto now = std::chrono::steady_clock::now();
        switch (step) {
          case 0:  // keys are read without Enter
            if (Count(output, "\033[Hone") < 2) return false;
            step = ::write(master, " ", 1) == 1 ? 1 : -1;
            paused = now;
            return false;
          case 1:  // let the pause settle, then watch for 300 ms (30 frame periods)
            if (now - paused < 100ms) return false;
            pausedAt = output.size();
            paused = now;
            step = 2;
            return false;
          case 2:
            if (now - paused < 300ms) return false;
            EXPECT_EQ(output.size(), pausedAt) << "a frame came while paused";
            step = ::write(master, "\033[C", 3) == 3 ? 3 : -1;
            return false;
          case 3:
            if (output.size() == pausedAt) return false;
            paused = now;
            step = 4;
            return false;
          case 4:
            if (now - paused < 100ms) return false;
            EXPECT_EQ(Count(output.substr(pausedAt), "\033[H"), 1u) << output.substr(pausedAt);
            return ::write(master, "q", 1) == 1;
        }
        return true;
      });
  EXPECT_EQ(step, 4);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  // Nothing typed was echoed over the picture.
  EXPECT_EQ(WithoutStatusRows(run.output).find_first_of(" q"), std::string::npos) << run.output;
  EXPECT_EQ(run.lflagAfter & kKeyModes, run.lflagBefore & kKeyModes);
}

// Ctrl+Z: the terminal is given back (cursor, colours, line editing, echo)
// while the player is stopped; on going on it takes the terminal again and
// draws the whole picture anew.
TEST_F(PlayCommand, CtrlZStopsAndGoingOnRedraws) {
  int step = 0;
  std::size_t stoppedAt = 0;
  tcflag_t whileStopped = 0;
  auto since = std::chrono::steady_clock::now();
  const TerminalRun run =
      RunInTerminal({"--play", m_project, "--loop", "--speed", "0.1"},
                    [&](const std::string& output, int master, pid_t) {
                      const auto now = std::chrono::steady_clock::now();
                      if (step == 0) {
                        if (output.find("\033[Htwo") == std::string::npos) return false;
                        step = ::write(master, "\x1a", 1) == 1 ? 1 : -1;
                        since = now;
                      } else if (step == 1) {
                        if (now - since < 300ms) return false;
                        termios modes{};
                        ::tcgetattr(master, &modes);
                        whileStopped = modes.c_lflag;
                        stoppedAt = output.size();
                        step = ::kill(-::tcgetpgrp(master), SIGCONT) == 0 ? 2 : -1;
                        since = now;
                      } else if (step == 2) {
                        if (output.find("\033[J", stoppedAt) == std::string::npos) return false;
                        step = 3;
                        return ::write(master, "q", 1) == 1;
                      }
                      return step < 0;
                    },
                    {.asJob = true});
  ASSERT_EQ(step, 3) << run.output;
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
  EXPECT_EQ(whileStopped & kKeyModes, run.lflagBefore & kKeyModes);
  const std::string stopped = run.output.substr(0, stoppedAt);
  const std::string after = run.output.substr(stoppedAt);
  EXPECT_NE(stopped.rfind(std::string("\033[0m\033[4;1H\033[K\033[2;1H\r\r\n") + kShowCursor),
            std::string::npos)
      << stopped;
  // Hidden again, colours again, then the whole picture from the corner.
  EXPECT_EQ(after.find(std::string(kHideCursor) + "\033[0;40;92m\033[H"), 0u) << after;
  EXPECT_EQ(run.lflagAfter & kKeyModes, run.lflagBefore & kKeyModes);
}

// Below the canvas, when the terminal has that row: playing or paused, the
// speed as the keys change it, and the frame while paused. Erased at the
// end. Not there without a row to spare, nor in a pipe.
TEST_F(PlayCommand, StatusRowShowsPauseAndSpeedWhenThereIsARowToSpare) {
  std::size_t step = 0;
  const std::vector<std::pair<std::string, std::string>> script = {
      {"播放中 · 速度 0.2 倍", "+"}, {"播放中 · 速度 0.25 倍", " "}, {"帧 · 速度 0.25 倍", "q"}};
  const TerminalRun run = RunInTerminal({"--play", m_project, "--loop", "--speed", "0.2"},
                                        [&](const std::string& output, int master, pid_t) {
                                          if (output.find(script[step].first) == std::string::npos)
                                            return false;
                                          if (::write(master, script[step].second.data(), 1) != 1)
                                            return true;
                                          return ++step == script.size();
                                        });
  EXPECT_EQ(step, script.size()) << run.output;
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  // Pausing rewrites only the status row, on the fourth row below the
  // three-row canvas.
  EXPECT_NE(run.output.find("\033[4;1H已暂停 · 第 "), std::string::npos) << run.output;
  const std::string tail = run.output.substr(run.output.rfind("\033[0m"));
  EXPECT_EQ(tail.find("\033[0m\033[4;1H\033[K"), 0u) << tail;

  const TerminalRun noRoom = RunInTerminal({"--play", m_project}, {}, {.rows = 3});
  EXPECT_TRUE(WIFEXITED(noRoom.status) && WEXITSTATUS(noRoom.status) == 0) << noRoom.status;
  EXPECT_NE(noRoom.output.find("\033[H中"), std::string::npos) << noRoom.output;
  EXPECT_EQ(noRoom.output.find("播放中"), std::string::npos) << noRoom.output;
  const Outcome piped = Call({"--play", m_project});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out.find("播放中"), std::string::npos) << piped.out;
}

// A locale whose encoding cannot carry text to a terminal (not
// ASCII-compatible, stateful, unknown): UTF-8 instead, and a note on
// standard error, after the picture so that it stays readable.
TEST_F(PlayCommand, UnusableTerminalEncodingsGiveWayToUtf8) {
  const struct {
    const char* lang;
    const char* note;
  } cases[] = {{"x.UTF-16", "终端编码 UTF-16 与 ASCII 不兼容或带有切换状态，改用 UTF-8 显示。"},
               {"x.ISO-2022-CN", "终端编码 ISO-2022-CN 与 ASCII 不兼容或带有切换状态"},
               {"x.NO-SUCH-CODESET", "不认识终端编码 NO-SUCH-CODESET，改用 UTF-8 显示。"},
               // Named like any other quoted text, its controls as U+XXXX.
               {"x.NO\033]0;t\a\xC3", "不认识终端编码 NOU+001B]0;tU+0007\\xC3，改用 UTF-8 显示。"}};
  for (const auto& c : cases) {
    const TerminalRun run = RunInTerminal({"--play", m_project}, {}, {.lang = c.lang});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << c.lang;
    EXPECT_EQ(testsupport::StrayControls(run.output, "UTF-8"), "") << c.lang;
    EXPECT_NE(run.output.find("\033[H中\033[K"), std::string::npos) << c.lang;
    const std::size_t note = run.output.find(c.note);
    EXPECT_NE(note, std::string::npos) << c.lang << "\n" << run.output;
    EXPECT_GT(note, run.output.rfind(kShowCursor)) << c.lang;
  }
}

// Frames holding bytes that are no text: an ESC sequence, a GBK lead byte
// without its second byte (before a space, and at the end of the frame's
// last line), 0x80, 0xFF, and lead bytes before digits, which a GB18030
// terminal would read as a four-byte character. None reaches the terminal
// or a pipe as a control, in a GBK, GB18030 or UTF-8 locale.
TEST_F(PlayCommand, NoControlFromAFrameReachesTheTerminal) {
  WriteFile(m_project,
            "[AnimatedProperties]\r\nName=bytes\r\nWide=20\r\nHigh=3\r\nColor=07\r\n"
            "FrameRate=100\r\nFrameNum=2\r\n[AnimatePicture]\r\n"
            "Frame1=\xD6\xD0 a\x1b]0;pwned\x07"
            "b\x1b[2J\x9b\r\n"
            "Frame2=\x81"
            "0\x81"
            "0\x80\xff\x9b c\r\n");
  const struct {
    const char* lang;
    const char* encoding;
    std::string first;
  } cases[] = {{"zh_CN.GBK", "GBK", testsupport::Gbk("中") + " a]0;pwnedb[2J?"},
               {"zh_CN.GB18030", "GBK", testsupport::Gbk("中") + " a]0;pwnedb[2J?"},
               {"C.UTF-8", "UTF-8", "中 a]0;pwnedb[2J?"}};
  for (const auto& c : cases) {
    const TerminalRun run = RunInTerminal({"--play", m_project}, {}, {.lang = c.lang});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << c.lang;
    EXPECT_EQ(testsupport::StrayControls(run.output, c.encoding), "") << c.lang;
    EXPECT_EQ(run.output.find("\033[2J"), std::string::npos) << c.lang;
    EXPECT_NE(run.output.find("\033[H" + c.first + "\033[K"), std::string::npos) << c.lang;

    const platform::ProcessResult pipe = platform::RunProcess(
        {"/usr/bin/env", "-i", std::string("LANG=") + c.lang, ZOETRIX_BINARY, "--play", m_project},
        10s);
    EXPECT_EQ(pipe.exitStatus, 0) << c.lang;
    EXPECT_EQ(pipe.output.find('\033'), std::string::npos) << c.lang;
    EXPECT_EQ(pipe.output.find(c.first + "\n\f\n"), 0u) << c.lang;
    std::string frames = pipe.output;  // without the form feed lines between the frames
    for (std::size_t at; (at = frames.find("\n\f\n")) != std::string::npos;)
      frames.erase(at + 1, 2);
    EXPECT_EQ(testsupport::StrayControls(frames, c.encoding), "") << c.lang;
  }
}

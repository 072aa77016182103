// The command line's progress line: its words, and that it shows only on a
// terminal, leaves no trace there, and keeps Ctrl+C what it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/CommandLine.h"
#include "app/ProgressLine.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "res/Texts.h"
#include "tests/CommandLineSupport.h"
#include "tests/TestSupport.h"

using namespace std::chrono_literals;
using platform::JobProgress;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

JobProgress::Reading ReadingOf(const char* what, std::uint64_t done, std::uint64_t total,
                               double seconds) {
  JobProgress::Reading r;
  r.what = what;
  r.done = done;
  r.total = total;
  r.seconds = seconds;
  return r;
}

struct TerminalRun {
  int status = -1;  // as waitpid gives it
  std::string terminal;
};

// A tool folder of its own with a stand-in compiler, and the command line
// run in a child whose standard output and error are a terminal.
class ProgressOnTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"Code", "Animate", "Project"}) fs::create_directory(m_dir.path() / sub);
    platform::SetProgramFolderForTesting(m_dir.folder());
    platform::SetClockForTesting(platform::LocalTime{2023, 10, 1, 8, 0, 0});
    WriteFile(m_dir.path() / "in.ini",
              "[AnimatedProperties]\r\nName=p\r\nWide=20\r\nHigh=2\r\nColor=0A\r\n"
              "FrameRate=10\r\nFrameNum=2\r\n[AnimatePicture]\r\nFrame1=a\r\nFrame2=b\r\n");
  }
  void TearDown() override {
    platform::SetProgramFolderForTesting({});
    platform::SetClockForTesting(std::nullopt);
  }
  void Compiler(const std::string& body) {
    WriteFile(m_dir.path() / "tcc", "#!/bin/sh\n" + body);
    ::chmod((m_dir.path() / "tcc").c_str(), 0755);
  }
  std::vector<std::string> Export(std::vector<std::string> more) {
    std::vector<std::string> args = {"zoetrix", "--export", (m_dir.path() / "in.ini").string(),
                                     "--code", "--compile"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // Runs in a forked child on a fresh terminal (no line-end translation, so
  // the bytes are those written); onStart, given, runs in the parent once
  // the child is going, with its pid.
  TerminalRun OnTerminal(std::vector<std::string> args,
                         const std::function<void(pid_t)>& onStart = nullptr) {
    TerminalRun run;
    const testsupport::PseudoTerminal pty = testsupport::OpenPseudoTerminal();
    EXPECT_GE(pty.master, 0);
    if (pty.master < 0) return run;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      testsupport::ResetSignalsForChild();
      const int slave = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
      termios t{};
      ::tcgetattr(slave, &t);
      t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
      ::tcsetattr(slave, TCSANOW, &t);
      ::dup2(slave, 1);
      ::dup2(slave, 2);
      ::close(slave);
      ::close(pty.master);
      const int status = RunCommandLine(static_cast<int>(argv.size()), argv.data());
      std::fflush(nullptr);
      ::_exit(status);
    }
    if (onStart) onStart(pid);
    char buffer[4096];
    for (;;) {
      const ssize_t got = ::read(pty.master, buffer, sizeof buffer);
      if (got > 0) {
        run.terminal.append(buffer, static_cast<std::size_t>(got));
        continue;
      }
      if (got < 0 && errno == EINTR) continue;
      break;  // EIO: every holder of the other side has gone
    }
    ::waitpid(pid, &run.status, 0);
    ::close(pty.master);
    return run;
  }

  testsupport::TempDir m_dir{"zoetrix-progress"};
};

constexpr const char* kErase = "\r\033[K";

// What is left of terminal output once every drawn line that a later erase
// wiped is taken out, and the erases with it.
std::string WithoutWipedLines(const std::string& terminal) {
  static const std::regex wiped("\r\x1b\\[K[^\r\n\x1b]*(?=\r\x1b\\[K)");
  std::string rest = std::regex_replace(terminal, wiped, "");
  for (std::size_t at; (at = rest.find(kErase)) != std::string::npos;)
    rest.erase(at, std::string(kErase).size());
  return rest;
}

}  // namespace

TEST(ProgressText, SaysWhatHowFarHowFastAndHowLongOnlyOnceItCanTell) {
  EXPECT_EQ(ProgressText(ReadingOf("生成 GIF", 0, 0, 0)), "生成 GIF");
  EXPECT_EQ(ProgressText(ReadingOf("生成 GIF", 0, 1000, 0.01)), "生成 GIF：第 0 帧，共 1000 帧");
  EXPECT_EQ(ProgressText(ReadingOf("读取工程", 7, 0, 0.05)), "读取工程：7 帧");
  // Too soon for a speed or a time left.
  EXPECT_EQ(ProgressText(ReadingOf("生成 GIF", 10, 1000, 0.1)), "生成 GIF：第 10 帧，共 1000 帧");
  EXPECT_EQ(ProgressText(ReadingOf("生成 GIF", 100, 1000, 1)),
            "生成 GIF：第 100 帧，共 1000 帧  每秒 100 帧  还需 9 秒");
  EXPECT_EQ(ProgressText(ReadingOf("生成 GIF", 2, 1000, 1)),
            "生成 GIF：第 2 帧，共 1000 帧  每秒 2.0 帧  还需 8 分 19 秒");
  EXPECT_EQ(ProgressText(ReadingOf("导入文本", 500, 0, 2)), "导入文本：500 帧  每秒 250 帧");
}

TEST(ProgressText, FitsTheTerminalCountingChineseAsTwoCellsAndNeverCutsACharacter) {
  EXPECT_EQ(FitColumns("生成 GIF", 80), "生成 GIF");
  EXPECT_EQ(FitColumns("生成 GIF", 5), "生成 ");
  EXPECT_EQ(FitColumns("生成 GIF", 3), "生");
  EXPECT_EQ(FitColumns("生成", 1), "");
  EXPECT_EQ(FitColumns("abc", 0), "");
}

// The signals a terminal sends stay with the working thread, and a job
// that moves all the time is still drawn no more than ten times a second,
// the line erased at the end.
TEST(ProgressLineWatcher, HoldsTheSignalsBackRedrawsAtMostTenTimesASecondAndEndsErased) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  JobProgress job;
  job.Begin("生成 GIF", 1u << 30);
  const auto start = std::chrono::steady_clock::now();
  {
    ProgressLine line(job, true, ends[1]);
    // Every thread but this one holds SIGHUP, SIGINT, SIGQUIT and SIGTERM.
    int watchers = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
      if (task.path().filename() == std::to_string(::gettid())) continue;
      const std::string status = testsupport::ReadFile(task.path() / "status");
      const std::size_t at = status.find("SigBlk:");
      ASSERT_NE(at, std::string::npos);
      const unsigned long long blocked = std::stoull(status.substr(at + 7), nullptr, 16);
      for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
        EXPECT_TRUE(blocked >> (sig - 1) & 1) << "signal " << sig << " reaches a watcher";
      ++watchers;
    }
    EXPECT_GE(watchers, 1);
    for (std::uint64_t done = 0; std::chrono::steady_clock::now() - start < 550ms; ++done)
      job.Advance(done);
  }
  const auto took = std::chrono::steady_clock::now() - start;
  ::close(ends[1]);
  std::string drawn;
  char buffer[4096];
  for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
    drawn.append(buffer, static_cast<std::size_t>(got));
  ::close(ends[0]);
  int draws = 0;
  for (std::size_t at = 0; (at = drawn.find("\r\x1b[K生成 GIF", at)) != std::string::npos; ++at)
    ++draws;
  const auto tenths = std::chrono::duration_cast<std::chrono::milliseconds>(took).count() / 100;
  EXPECT_GE(draws, 3) << drawn;
  EXPECT_LE(draws, tenths + 1) << drawn;
  ASSERT_GE(drawn.size(), 4u);
  EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\x1b[K");
  EXPECT_EQ(drawn.find('\n'), std::string::npos);
}

// Erased before every message and at the end: once the wiped lines are
// taken out, the terminal holds exactly what a quiet run prints.
TEST_F(ProgressOnTerminal, ALongCompileShowsTheLineAndLeavesNoTraceOfIt) {
  Compiler("sleep 0.6\necho 'in.c:1: error: no' >&2\nexit 1\n");
  const TerminalRun shown = OnTerminal(Export({}));
  ASSERT_TRUE(WIFEXITED(shown.status));
  EXPECT_EQ(WEXITSTATUS(shown.status), 1);
  EXPECT_NE(shown.terminal.find(std::string(kErase) + res::kJobCompile), std::string::npos)
      << shown.terminal;

  const TerminalRun quiet = OnTerminal(Export({"--quiet"}));
  ASSERT_TRUE(WIFEXITED(quiet.status));
  EXPECT_EQ(WEXITSTATUS(quiet.status), 1);
  EXPECT_EQ(quiet.terminal.find('\x1b'), std::string::npos) << quiet.terminal;
  EXPECT_NE(quiet.terminal.find(res::kExportKeptAfterCompileProblem), std::string::npos);
  // The second run's files take the next name of the same second.
  std::string expected = quiet.terminal;
  for (std::size_t at; (at = expected.find("2023_10_1_8_0_0_2")) != std::string::npos;)
    expected.erase(at + 15, 2);
  EXPECT_EQ(WithoutWipedLines(shown.terminal), expected);
}

TEST_F(ProgressOnTerminal, StandardErrorThatIsNoTerminalGetsNoLine) {
  Compiler("sleep 0.4\nexit 1\n");
  const testsupport::Outcome piped = testsupport::CallCommandLine(
      {"--export", (m_dir.path() / "in.ini").string(), "--code", "--compile"});
  EXPECT_EQ(piped.status, 1);
  EXPECT_NE(piped.err.find(res::kCompileProblemMessage), std::string::npos) << piped.err;
  EXPECT_EQ(piped.err.find('\x1b'), std::string::npos) << piped.err;
  EXPECT_EQ(piped.err.find('\r'), std::string::npos) << piped.err;
}

// The watcher thread must not take Ctrl+C from the working thread: the
// compiler is stopped, what the run made is removed, and the process ends
// by the signal.
TEST_F(ProgressOnTerminal, CtrlCWhileTheLineShowsStillCleansUpAndEndsByTheSignal) {
  const std::string pidFile = (m_dir.path() / "tcc.pid").string();
  Compiler("echo $$ > '" + pidFile + "'\nexec sleep 30\n");
  const auto start = std::chrono::steady_clock::now();
  const TerminalRun run = OnTerminal(Export({"--project"}), [&pidFile](pid_t child) {
    for (int i = 0; i < 500 && !fs::exists(pidFile); ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(300ms);  // the line is drawn by now
    ::kill(child, SIGINT);
  });
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  ASSERT_TRUE(WIFSIGNALED(run.status)) << run.terminal;
  EXPECT_EQ(WTERMSIG(run.status), SIGINT);
  EXPECT_NE(run.terminal.find(std::string(kErase) + res::kJobCompile), std::string::npos)
      << run.terminal;
  ASSERT_TRUE(fs::exists(pidFile));
  const pid_t compiler = std::stoi(testsupport::ReadFile(pidFile));
  bool gone = false;
  for (int i = 0; i < 200 && !gone; ++i) {
    gone = ::kill(compiler, 0) != 0;
    if (!gone) std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(gone) << "the compiler outlived the run";
  for (const char* sub : {"Code", "Animate", "Project"})
    EXPECT_TRUE(fs::is_empty(m_dir.path() / sub)) << sub;
}

// --import shows the line while the text comes in, and leaves only the
// project's path once it is done.
TEST_F(ProgressOnTerminal, ASlowImportShowsTheLineAndLeavesOnlyThePath) {
  const std::string fifo = (m_dir.path() / "frames.fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto slowText = [&](pid_t) {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, "a\n\f\nb\n\f\n", 8), 8);
    std::this_thread::sleep_for(400ms);  // the line is drawn meanwhile
    EXPECT_EQ(::write(fd, "c\n", 2), 2);
    ::close(fd);
  };
  const TerminalRun shown = OnTerminal({"zoetrix", "--import", fifo}, slowText);
  ASSERT_TRUE(WIFEXITED(shown.status));
  EXPECT_EQ(WEXITSTATUS(shown.status), 0) << shown.terminal;
  EXPECT_NE(shown.terminal.find(std::string(kErase) + res::kJobImportText), std::string::npos)
      << shown.terminal;

  const TerminalRun quiet = OnTerminal({"zoetrix", "--import", fifo, "--quiet"}, slowText);
  ASSERT_TRUE(WIFEXITED(quiet.status));
  EXPECT_EQ(WEXITSTATUS(quiet.status), 0) << quiet.terminal;
  EXPECT_EQ(quiet.terminal.find('\x1b'), std::string::npos) << quiet.terminal;
  // The second project takes the next name of the same second.
  std::string expected = quiet.terminal;
  const std::size_t second = expected.find("2023_10_1_8_0_0_2");
  ASSERT_NE(second, std::string::npos) << expected;
  expected.erase(second + 15, 2);
  EXPECT_EQ(WithoutWipedLines(shown.terminal), expected);
  EXPECT_EQ(expected, (m_dir.path() / "Project" / "2023_10_1_8_0_0.ini").string() + "\n");
}

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Interrupt.h"
#include "platform/Process.h"
#include "tests/TestSupport.h"

using platform::ProcessResult;
using platform::RunProcess;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using namespace std::chrono_literals;

namespace {

ProcessResult Shell(const std::string& script, std::chrono::milliseconds timeout = 10s) {
  return RunProcess({"/bin/sh", "-c", script}, timeout);
}

// True once the process is gone or only a zombie waiting for its parent.
bool IsDead(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const std::size_t paren = line.rfind(')');
  return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] == 'Z';
}

TEST(ProcessTest, ArgumentsArriveAsGivenWithoutAShell) {
  // printf repeats its format for every argument; no shell sees them.
  const std::vector<std::string> args = {
      "with space", "it's \"quoted\"", "$HOME", "a;b && c", "动画 目录", "*", ""};
  std::vector<std::string> argv = {"printf", "[%s]\\n"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProcessResult r = RunProcess(argv, 10s);
  ASSERT_TRUE(r.started);
  std::string expected;
  for (const std::string& a : args) expected += "[" + a + "]\n";
  EXPECT_EQ(r.output, expected);
  EXPECT_TRUE(r.ExitedCleanly());
}

TEST(ProcessTest, BothStreamsInOneCaptureInTheOrderWritten) {
  const ProcessResult r = Shell("echo one; echo two >&2; echo three; echo four >&2");
  EXPECT_EQ(r.output, "one\ntwo\nthree\nfour\n");
  EXPECT_TRUE(r.ExitedCleanly());
}

TEST(ProcessTest, OutputIsReadToItsEnd) {
  // Far more than a pipe holds: the child only ends if we keep reading.
  const ProcessResult r = Shell(
      "i=0; while [ $i -lt 3000 ]; do echo 0123456789abcdef0123456789abcdef; "
      "i=$((i+1)); done; echo last >&2");
  ASSERT_EQ(r.output.size(), 3000u * 33 + 5);
  EXPECT_EQ(r.output.substr(r.output.size() - 5), "last\n");
}

TEST(ProcessTest, HowTheProgramEnded) {
  ProcessResult r = Shell("exit 3");
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitStatus, 3);
  EXPECT_FALSE(r.signaled);
  EXPECT_FALSE(r.ExitedCleanly());

  r = Shell("kill -TERM $$");
  EXPECT_TRUE(r.signaled);
  EXPECT_EQ(r.signal, SIGTERM);
  EXPECT_FALSE(r.timedOut);
  EXPECT_FALSE(r.ExitedCleanly());

  // Input is the null device: a program that reads it is not left waiting.
  r = Shell("cat; echo read-all", 10s);
  EXPECT_EQ(r.output, "read-all\n");
  EXPECT_TRUE(r.ExitedCleanly());
}

TEST(ProcessTest, TimeoutStopsTheProgramAndWhatItStarted) {
  TempDir dir;
  const std::string pidFile = (dir.path() / "pid").string();
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r =
      Shell("sleep 30 & echo $! > '" + pidFile + "'; echo started; sleep 30", 300ms);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_TRUE(r.signaled);
  EXPECT_EQ(r.signal, SIGKILL);
  EXPECT_EQ(r.output, "started\n");  // what came before the limit is kept
  EXPECT_LT(took, 5s);

  // The background child held the pipe too; it must be gone as well.
  std::string pid = ReadFile(pidFile);
  while (!pid.empty() && pid.back() == '\n') pid.pop_back();
  ASSERT_FALSE(pid.empty());
  bool dead = false;
  for (int i = 0; i < 200 && !(dead = IsDead(pid)); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(dead) << "process " << pid << " survived";
}

TEST(ProcessTest, TimeoutAlsoCoversAProgramThatClosedItsOutput) {
  const ProcessResult r = Shell("echo bye; exec >/dev/null 2>&1; sleep 30", 300ms);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.output, "bye\n");
}

TEST(ProcessTest, ProgramThatCannotBeRun) {
  TempDir dir;
  const std::string plain = (dir.path() / "not-executable").string();
  WriteFile(plain, "#!/bin/sh\necho never\n");
  ::chmod(plain.c_str(), 0644);

  for (const std::string& program :
       {std::string("/nonexistent/zoetrix-program"), std::string("zoetrix-no-such-program"), plain,
        dir.path().string()}) {
    const ProcessResult r = RunProcess({program}, 10s);
    EXPECT_FALSE(r.started) << program;
    EXPECT_TRUE(r.programMissing) << program;
    EXPECT_FALSE(r.pipeFailed) << program;
    EXPECT_TRUE(r.output.empty()) << program;
  }
}

TEST(ProcessTest, StartedWhileInterruptsAreHeldTheProgramStillGetsThem) {
  // An interrupted command line holds the signals while it starts the
  // program and notes its group: neither the program nor the tool may keep
  // them held afterwards.
  const platform::InterruptCleanup interrupts;
  const ProcessResult r = Shell("grep SigBlk /proc/self/status");
  ASSERT_TRUE(r.ExitedCleanly());
  EXPECT_EQ(r.output, "SigBlk:\t0000000000000000\n");
  sigset_t now;
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, nullptr, &now), 0);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) EXPECT_FALSE(sigismember(&now, sig)) << sig;
}

}  // namespace

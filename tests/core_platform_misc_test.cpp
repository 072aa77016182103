#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "tests/TestSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

// Set in a copy of this program started by the test below: the copy writes
// its program folder to this file and does nothing else.
constexpr const char* kReportEnv = "ZOETRIX_REPORT_PROGRAM_FOLDER";

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProgramFolderTest, IsTheFolderOfThisProgram) {
  if (const char* report = std::getenv(kReportEnv)) {
    std::ofstream(report, std::ios::binary) << platform::ProgramFolder();
    return;
  }
  const std::string folder = platform::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(fs::is_regular_file(folder + "zoetrix_core_tests")) << folder;
}

TEST(ProgramFolderTest, AwkwardFolderNames) {
  if (std::getenv(kReportEnv)) GTEST_SKIP();
  TempDir dir;
  // Spaces, quotes, Chinese, and a path longer than any small fixed buffer.
  fs::path folder = dir.path() / "with space 'single' \"double\" 动画 $HOME";
  for (int i = 0; i < 8; ++i) folder /= std::string(120, char('a' + i));
  fs::create_directories(folder);
  const fs::path copy = folder / "zoetrix_core_tests";
  fs::copy_file(platform::ProgramFolder() + "zoetrix_core_tests", copy);
  fs::permissions(copy, fs::perms::owner_all);
  const fs::path report = dir.path() / "report.txt";

  ::setenv(kReportEnv, report.c_str(), 1);
  const int rc =
      RunProgram(copy.string(), {"--gtest_filter=ProgramFolderTest.IsTheFolderOfThisProgram"});
  ::unsetenv(kReportEnv);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(ReadFile(report), folder.string() + "/");
}

TEST(ProgramFolderTest, Override) {
  const std::string real = platform::ProgramFolder();
  platform::SetProgramFolderForTesting("/tmp/elsewhere/");
  EXPECT_EQ(platform::ProgramFolder(), "/tmp/elsewhere/");
  platform::SetProgramFolderForTesting("/tmp/no-slash");
  EXPECT_EQ(platform::ProgramFolder(), "/tmp/no-slash/");
  platform::SetProgramFolderForTesting("");
  EXPECT_EQ(platform::ProgramFolder(), real);
}

TEST(ClockTest, FixedAndReal) {
  const platform::LocalTime fixed{2019, 2, 28, 23, 59, 58};
  platform::SetClockForTesting(fixed);
  const auto t = platform::Now();
  EXPECT_EQ(t.year, 2019);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.day, 28);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 58);

  platform::SetClockForTesting(std::nullopt);
  const auto now = platform::Now();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
  EXPECT_TRUE(now.minute >= 0 && now.minute <= 59);
  EXPECT_TRUE(now.second >= 0 && now.second <= 60);
}

TEST(ShellTest, HookReceivesTheTarget) {
  std::vector<std::string> opened;
  platform::SetShellOpenHookForTesting([&](const std::string& t) { opened.push_back(t); });
  platform::ShellOpen("/home/user/动画/Animate/");
  platform::ShellOpen("https://example.invalid/a b");
  platform::SetShellOpenHookForTesting(nullptr);
  EXPECT_EQ(opened,
            (std::vector<std::string>{"/home/user/动画/Animate/", "https://example.invalid/a b"}));
}

// The real launch path, with a stand-in opener first on PATH that records how
// it was started.
TEST(ShellTest, LaunchesDetachedWithTheTargetAsOneArgument) {
  TempDir dir;
  const fs::path log = dir.path() / "log";
  WriteFile(dir.path() / "xdg-open",
            "#!/bin/sh\n"
            "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
            "{ echo \"$#\"; printf '%s\\n' \"$1\";\n"
            "  echo \"$$ $(cut -d' ' -f6 /proc/$$/stat)\"; echo \"$fds\"; } > '" +
                log.string() +
                ".tmp'\n"
                "mv '" +
                log.string() + ".tmp' '" + log.string() + "'\n");
  fs::permissions(dir.path() / "xdg-open", fs::perms::owner_all);

  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (dir.path().string() + ":" + oldPath).c_str(), 1);
  const std::string target = "/tmp/a b/'q' \"d\" $(touch no) 动画;";
  platform::ShellOpen(target);
  ::setenv("PATH", oldPath.c_str(), 1);

  // The launcher has been reaped before ShellOpen returns.
  int status = 0;
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);

  for (int i = 0; i < 500 && !fs::exists(log); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(fs::exists(log));
  std::string text = ReadFile(log);
  std::vector<std::string> lines;
  for (std::size_t pos = 0, end; pos < text.size(); pos = end + 1) {
    end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end - pos));
  }
  ASSERT_EQ(lines.size(), 6u) << text;
  EXPECT_EQ(lines[0], "1");
  EXPECT_EQ(lines[1], target);
  const std::size_t space = lines[2].find(' ');
  EXPECT_EQ(lines[2].substr(0, space), lines[2].substr(space + 1)) << "not a session leader";
  EXPECT_EQ(lines[3], "/dev/null");
  EXPECT_EQ(lines[4], "/dev/null");
  EXPECT_EQ(lines[5], "/dev/null");
  EXPECT_FALSE(fs::exists("no"));
}

TEST(ShellTest, AMissingOrFailingOpenerIsReported) {
  TempDir dir;
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", dir.path().c_str(), 1);
  EXPECT_EQ(platform::ShellOpen("/tmp"), platform::ShellOpenResult::OpenerMissing);
  ::setenv("PATH", oldPath.c_str(), 1);
  int status = 0;
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);

  const fs::path script = dir.path() / "opener";
  auto opener = [&](const std::string& body) {
    WriteFile(script, "#!/bin/sh\n" + body);
    fs::permissions(script, fs::perms::owner_all);
    platform::SetOpenerForTesting(script.string());
  };
  opener("exit 1\n");
  EXPECT_EQ(platform::ShellOpen("/tmp"), platform::ShellOpenResult::OpenerFailed);
  opener("exit 0\n");
  EXPECT_EQ(platform::ShellOpen("/tmp"), platform::ShellOpenResult::Opened);
  // One that stays (a browser started in the foreground) is not waited for.
  opener("sleep 5\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(platform::ShellOpen("/tmp"), platform::ShellOpenResult::Opened);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
  platform::SetOpenerForTesting(dir.path().string() + "/missing");
  EXPECT_EQ(platform::ShellOpen("/tmp"), platform::ShellOpenResult::OpenerMissing);
  platform::SetOpenerForTesting({});
}

}  // namespace

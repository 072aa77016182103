// zoetrix --import on input without end: it stops with a message while
// reading, under a memory limit, and leaves no project behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "tests/TestSupport.h"

using testsupport::ReadFile;
namespace fs = std::filesystem;

namespace {

struct ChildRun {
  int status = -1;  // exit status, or 128 + signal
  std::string err;
};

// The address space the process holds now, from /proc.
rlim_t AddressSpace() {
  const std::string status = ReadFile("/proc/self/status");
  const std::size_t at = status.find("VmSize:");
  return at == std::string::npos ? 0
                                 : static_cast<rlim_t>(std::atoll(status.c_str() + at + 7)) * 1024;
}

class ImportCommandLimits : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space, so the memory limit "
                    "these runs are held to cannot be set";
#endif
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      fs::create_directory(m_dir.path() / sub);
    platform::SetProgramFolderForTesting(m_dir.folder());
    platform::SetClockForTesting(platform::LocalTime{2023, 10, 1, 8, 0, 0});
  }
  void TearDown() override {
    platform::SetProgramFolderForTesting({});
    platform::SetClockForTesting(std::nullopt);
  }

  // Runs the command line in a child whose address space may grow by only
  // 512 MiB, so reading without end fails there instead of filling the
  // machine; standard input is what `input` (a shell command) writes, when
  // given.
  ChildRun Run(std::vector<std::string> args, const char* input = nullptr) {
    const fs::path errFile = m_dir.path() / "stderr.txt";
    args.insert(args.begin(), "zoetrix");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const rlim_t limit = AddressSpace() + (rlim_t{512} << 20);
      const rlimit memory{limit, limit};
      const rlimit noCore{0, 0};
      if (::setrlimit(RLIMIT_AS, &memory) != 0 || ::setrlimit(RLIMIT_CORE, &noCore) != 0)
        ::_exit(120);
      if (!std::freopen(errFile.c_str(), "w", stderr)) ::_exit(121);
      if (!std::freopen("/dev/null", "w", stdout)) ::_exit(122);
      if (input) {
        FILE* source = ::popen(input, "r");
        if (!source || ::dup2(::fileno(source), 0) < 0) ::_exit(123);
      }
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      // An exception must not return into the test framework in this copy
      // of the process: end as the tool would, by std::terminate.
      int status = 134;
      try {
        status = RunCommandLine(static_cast<int>(argv.size()), argv.data());
      } catch (const std::exception& e) {
        std::fprintf(stderr, "terminate called after throwing: %s\n", e.what());
      }
      std::fflush(nullptr);
      ::_exit(status);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = ReadFile(errFile);
    return run;
  }
  bool NoProject() { return fs::is_empty(m_dir.path() / "Project"); }

  testsupport::TempDir m_dir{"zoetrix-import-limits"};
};

}  // namespace

TEST_F(ImportCommandLimits, DevZeroIsRefusedAtItsFirstByte) {
  const ChildRun run = Run({"--import", "/dev/zero"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err,
            "第 1 行第 1 列有控制字符 U+0000，无法导入：帧里除了制表符不能有控制字符。"
            "请删除后再导入。\n");
  EXPECT_TRUE(NoProject());
}

TEST_F(ImportCommandLimits, EndlessPipesStopAtASizeLimit) {
  ChildRun run = Run({"--import", "-"}, "yes abc");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("文本文件的第 1 帧（从第 1 行开始）超过了一帧的上限 8 MiB，无法导入。"),
            std::string::npos)
      << run.err;
  run = Run({"--import", "-", "--separator", ""}, "tr '\\0' a < /dev/zero");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("文本文件第 1 行超过了一行的上限 64 KiB"), std::string::npos) << run.err;
  EXPECT_TRUE(NoProject());
}

// The frame limit is met while reading, long before memory runs out.
TEST_F(ImportCommandLimits, TheFrameLimitStopsAStreamEarly) {
  ChildRun run = Run({"--import", "-", "--block", "1"}, "yes abc");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err, "文本文件中的帧超过了上限 1000000 帧，无法导入。\n");
  run = Run({"--import", "-"}, "yes \"$(printf '\\f')\"");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err, "文本文件中的帧超过了上限 1000000 帧，无法导入。\n");
  EXPECT_TRUE(NoProject());
}

// A control inside a frame stops the import wherever it comes, and the
// message names it.
TEST_F(ImportCommandLimits, ControlsInAStreamAreNamed) {
  const ChildRun run = Run({"--import", "-"}, "printf 'a\\fb\\n\\033]0;x\\007'; yes");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("第 2 行第 1 列有控制字符 U+001B"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\033'), std::string::npos) << run.err;
  EXPECT_TRUE(NoProject());
}

// Interrupted while the project is being written: neither the claimed name
// nor the half-written file stays in Project/, and the tool ends by the
// signal.
TEST_F(ImportCommandLimits, AnInterruptedImportLeavesNothing) {
  const fs::path text = m_dir.path() / "data" / "many.txt";
  {
    const std::string line(120, 'x');
    std::FILE* f = std::fopen(text.c_str(), "w");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 400000; ++i) std::fprintf(f, "%s\n", line.c_str());
    ASSERT_EQ(std::fclose(f), 0);
  }
  const fs::path project = m_dir.path() / "Project";
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
      ::_exit(121);
    std::string a0 = "zoetrix", a1 = "--import", a2 = text.string(), a3 = "--block", a4 = "1";
    char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
    ::_exit(RunCommandLine(5, argv));
  }
  // Once something is written to the temporary beside the claimed name, the
  // write is under way.
  bool writing = false;
  int status = 0;
  while (!writing && ::waitpid(pid, &status, WNOHANG) == 0) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(project, ec))
      if (entry.path().filename().string().find(".tmp-") != std::string::npos &&
          entry.file_size(ec) > 0)
        writing = true;
    if (!writing) ::usleep(200);
  }
  if (writing) {
    ::kill(pid, SIGTERM);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ASSERT_TRUE(writing) << "the import ended before its project was seen being written";
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_TRUE(NoProject());
}

// zoetrix --export: the window's export from a shell.
#include <gtest/gtest.h>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/CommandLine.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/ProgramFolder.h"
#include "tests/CommandLineSupport.h"
#include "tests/TestSupport.h"

using testsupport::Outcome;
using testsupport::ReadFile;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

// Runs the command line in a tool folder of its own.
class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      fs::create_directory(m_dir.path() / sub);
    fs::copy(fs::path(ZOETRIX_TEST_DATA) / ".." / ".." / "console", m_dir.path() / "include");
    platform::SetProgramFolderForTesting(m_dir.folder());
    platform::SetClockForTesting(platform::LocalTime{2023, 10, 1, 8, 0, 0});
  }
  void TearDown() override {
    platform::SetProgramFolderForTesting({});
    platform::SetClockForTesting(std::nullopt);
  }
  Outcome Call(std::vector<std::string> args) {
    return testsupport::CallCommandLine(std::move(args));
  }
  std::string Path(const char* rel) { return m_dir.folder() + rel; }
  testsupport::TempDir m_dir{"zoetrix-cli"};
};

const char* kProject =
    "[AnimatedProperties]\r\nName=cli\r\nWide=20\r\nHigh=4\r\nColor=0A\r\nFrameRate=20\r\n"
    "FrameNum=2\r\n[AnimatePicture]\r\nFrame1=first\\nframe\r\nFrame2=second\r\n";

}  // namespace

TEST_F(CommandLine, ExportsCodeProjectAndProgramAndListsThem) {
  WriteFile(m_dir.path() / "in.ini", kProject);
  const Outcome r = Call({"--export", (m_dir.path() / "in.ini").string(), "--code", "--compile",
                          "--project", "--endless"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string stamp = "2023_10_1_8_0_0";
  EXPECT_NE(r.out.find("编译成功！\n已导出。\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(Path("Code/") + stamp + ".c\n"), std::string::npos);
  EXPECT_NE(r.out.find(Path("Project/") + stamp + ".ini\n"), std::string::npos);
  EXPECT_NE(r.out.find(Path("Animate/") + stamp + ".exe\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(Path("Animate/") + stamp + ".exe"));
  const std::string project = ReadFile(Path("Project/") + stamp + ".ini");
  EXPECT_NE(project.find("Frame1=first\\nframe\r\n"), std::string::npos);
  EXPECT_NE(ReadFile(Path("Code/") + stamp + ".c").find("goto loop;"), std::string::npos);
}

TEST_F(CommandLine, ProblemsGoToStandardErrorWithAFailingStatus) {
  WriteFile(m_dir.path() / "in.ini", kProject);
  const std::string in = (m_dir.path() / "in.ini").string();
  struct Case {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"--export", in}, "请选择至少一个导出选项！"},
      {{"--export", in, "--compile"}, "进行编译必须要导出代码！"},
      {{"--export", (m_dir.path() / "missing.ini").string(), "--code"}, ""},
      {{"--export"}, "缺少"},
      {{"--bogus"}, "无法识别的参数"},
  };
  for (const Case& c : cases) {
    const Outcome r = Call(c.args);
    EXPECT_NE(r.status, 0) << c.err;
    EXPECT_FALSE(r.err.empty()) << c.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  const Outcome help = Call({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--export"), std::string::npos);
  EXPECT_TRUE(IsCommandLine(2, std::array<char*, 2>{nullptr, const_cast<char*>("--help")}.data()));
}

// --help among the export's arguments shows the usage of every command; a
// wrong argument before it is a mistake like any other.
TEST_F(CommandLine, HelpShowsEveryCommandUnlessAWrongArgumentComesFirst) {
  WriteFile(m_dir.path() / "in.ini", kProject);
  const std::string in = (m_dir.path() / "in.ini").string();
  const Outcome help = Call({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  const std::string heads[] = {"用法：zoetrix --export", "用法：zoetrix --play",
                               "用法：zoetrix --import"};
  std::size_t last = 0;
  for (const std::string& head : heads) {
    const std::size_t at = help.out.find(head);
    ASSERT_NE(at, std::string::npos) << head;
    EXPECT_GE(at, last) << head;  // in this order
    last = at;
  }
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-h"}, {"--export", in, "--code", "--help"}, {"--help", "--bogus"}}) {
    const Outcome r = Call(args);
    EXPECT_EQ(r.status, 0) << args.back();
    EXPECT_EQ(r.out, help.out) << args.back();
  }
  EXPECT_TRUE(fs::is_empty(Path("Code")));  // help exports nothing

  const Outcome wrong = Call({"--bogus", "--help"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_NE(wrong.err.find("无法识别的参数"), std::string::npos) << wrong.err;
  EXPECT_NE(wrong.err.find(heads[0]), std::string::npos) << wrong.err;
}

// Options the export would refuse are refused before any file is made, and
// an export that fails part way leaves nothing of its own behind.
TEST_F(CommandLine, RefusedOrFailedExportsLeaveNothingBehind) {
  WriteFile(m_dir.path() / "in.ini", kProject);
  WriteFile(Path("Code/earlier.c"), "an earlier run");
  const std::string in = (m_dir.path() / "in.ini").string();
  auto codeFiles = [&] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Path("Code")))
      names.push_back(e.path().filename().string());
    return names;
  };
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--export", in},
                                             {"--export", in, "--compile"},
                                             {"--export", in, "--compile", "--project"}}) {
    const Outcome r = Call(args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(codeFiles(), std::vector<std::string>{"earlier.c"}) << args.size();
    EXPECT_TRUE(fs::is_empty(Path("Project")));
  }

  // The project cannot be written: the code file of this run goes too.
  fs::remove(Path("Project"));
  const Outcome r = Call({"--export", in, "--code", "--project"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("2023_10_1_8_0_0.ini"), std::string::npos) << r.err;
  EXPECT_EQ(codeFiles(), std::vector<std::string>{"earlier.c"});
  EXPECT_EQ(ReadFile(Path("Code/earlier.c")), "an earlier run");
}

// The window only says that compiling went wrong; a shell also says why.
TEST_F(CommandLine, CompilerProblemsPrintTheCompilersOwnWords) {
  WriteFile(m_dir.path() / "in.ini", kProject);
  const std::string in = (m_dir.path() / "in.ini").string();
  WriteFile(Path("tcc"), "#!/bin/sh\necho 'in.c:3: error: nothing works' >&2\nexit 1\n");
  fs::permissions(Path("tcc"), fs::perms::owner_all);
  Outcome r = Call({"--export", in, "--code", "--compile"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.err.find("编译遇到问题，请检查动画目录内是否生成文件。\nin.c:3: error: nothing works\n"),
      std::string::npos)
      << r.err;

  // No compiler anywhere.
  fs::remove(Path("tcc"));
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", m_dir.path().string().c_str(), 1);
  r = Call({"--export", in, "--code", "--compile"});
  ::setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("编译遇到问题，请检查动画目录内是否生成文件。\n找不到编译器 tcc"),
            std::string::npos)
      << r.err;
}

namespace {

// Runs the built tool with no display at all; stdout and stderr apart.
Outcome RunTool(const testsupport::TempDir& dir, const std::vector<std::string>& args) {
  const std::string err = (dir.path() / "stderr").string();
  std::vector<std::string> argv = {"/bin/sh",
                                   "-c",
                                   "e=$1; shift; \"$@\" 2>\"$e\"",
                                   "sh",
                                   err,
                                   "env",
                                   "-u",
                                   "DISPLAY",
                                   "-u",
                                   "WAYLAND_DISPLAY",
                                   "-u",
                                   "QT_QPA_PLATFORM",
                                   ZOETRIX_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  const platform::ProcessResult run = platform::RunProcess(argv, std::chrono::seconds(30));
  return Outcome{run.signaled ? 128 + run.signal : run.exitStatus, run.output, ReadFile(err)};
}

}  // namespace

TEST(CommandLineTool, ParsesStrictlyAndNeedsNoDisplay) {
  testsupport::TempDir dir("zoetrix-tool");
  Outcome r = RunTool(dir, {"--help"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("用法：zoetrix --export"), std::string::npos);

  r = RunTool(dir, {"--bogus"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("无法识别的参数：--bogus"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("用法："), std::string::npos);
  EXPECT_EQ(r.out, "");

  // What was typed is quoted without its controls.
  r = RunTool(dir, {"--export", "a.ini", "x\033[2J", "--code"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("多余的参数：xU+001B[2J"), std::string::npos) << r.err;
  r = RunTool(dir, {"--export", "a.ini", "--bogus\033]0;t\a"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("无法识别的参数：--bogusU+001B]0;tU+0007"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\033'), std::string::npos) << r.err;

  r = RunTool(dir, {"--export", "--code", "--compile"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("--export 后面缺少工程文件名"), std::string::npos) << r.err;

  r = RunTool(dir, {"--code", "--export"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("--export 后面缺少工程文件名"), std::string::npos) << r.err;

  // The window itself says it needs a display instead of aborting.
  r = RunTool(dir, {});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("没有可用的显示"), std::string::npos) << r.err;
}

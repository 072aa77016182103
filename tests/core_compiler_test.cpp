#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "program/Compiler.h"
#include "tests/TestSupport.h"

using output::CompileAnimation;
using output::CompiledProgramPath;
using output::CompileEndsTool;
using output::CompileMessage;
using output::CompileOutcome;
using output::CompileProblemDetails;
using output::CompileResult;
using output::SetCompileTimeoutForTesting;

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path kConsoleFolder = fs::path(ZOETRIX_TEST_DATA) / ".." / ".." / "console";
const fs::path kGoldenPrograms = fs::path(ZOETRIX_TEST_DATA) / "program";

// A program folder whose name has everything a shell would split or expand.
constexpr const char* kAwkwardName = "my tools 'q' \"dq\" $HOME;x 动画";

// A program folder laid out as the build lays out the tool's, in a fresh
// temporary folder: Code/ and include/ with the console layer.
struct ProgramFolder {
  TempDir temp{"zoetrix-compile"};
  std::string folder;
  ProgramFolder() {
    const fs::path root = temp.path() / kAwkwardName;
    fs::create_directories(root / "Code");
    fs::copy(kConsoleFolder, root / "include");
    folder = root.string() + "/";
  }
  std::string Code(const std::string& name) const { return folder + "Code/" + name; }
  // A stand-in compiler beside the tool: a shell script.
  void FakeCompiler(const std::string& body) const {
    const std::string path = folder + "tcc";
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
  }
};

// Sets an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_old)
      ::setenv(m_name, m_old->c_str(), 1);
    else
      ::unsetenv(m_name);
  }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

class ShortTimeout {
 public:
  explicit ShortTimeout(std::chrono::milliseconds limit) { SetCompileTimeoutForTesting(limit); }
  ~ShortTimeout() { SetCompileTimeoutForTesting(0ms); }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

TEST(CompiledProgramPathTest, ReplacesTheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(CompiledProgramPath("/opt/zoetrix/Code/2019_7_5_9_3_7.c"),
            "/opt/zoetrix/Code/2019_7_5_9_3_7.exe");
  EXPECT_EQ(CompiledProgramPath("/home/a.b/v1.3/Code/x.tar.c"), "/home/a.b/v1.3/Code/x.tar.exe");
  EXPECT_EQ(CompiledProgramPath("/home/a.b/Code/noext"), "/home/a.b/Code/noext.exe");
  EXPECT_EQ(CompiledProgramPath("/home/a/Code/dot."), "/home/a/Code/dot.exe");
}

TEST(CompilerTest, CleanRunPassesEveryPathAsOneArgument) {
  ProgramFolder program;
  // Writes each argument on a line of its own, and the program.
  program.FakeCompiler(
      "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$(dirname \"$0\")/args\"\n"
      "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && cp /bin/true \"$2\"; shift; done\n");
  const std::string source = program.Code("2019_7_5_9_3_7.c");
  WriteFile(source, "int main() { return 0; }");

  const CompileResult r = CompileAnimation(program.folder, source);
  EXPECT_EQ(r.outcome, CompileOutcome::Success);
  EXPECT_STREQ(CompileMessage(r.outcome), "编译成功！");
  EXPECT_FALSE(CompileEndsTool(r.outcome));
  EXPECT_EQ(r.buildPath, program.Code("2019_7_5_9_3_7.exe"));
  EXPECT_EQ(ReadFile(r.buildPath), ReadFile("/bin/true"));
  // Run in Code/ with the bare file name: tcc quotes the name it is given.
  EXPECT_EQ(Lines(ReadFile(program.folder + "args")),
            (std::vector<std::string>{program.folder + "Code", "-I" + program.folder + "include",
                                      "-o", r.buildPath, "2019_7_5_9_3_7.c"}));
}

TEST(CompilerTest, AnythingButASilentCleanExitIsAProblem) {
  ProgramFolder program;
  const std::string source = program.Code("a.c");
  WriteFile(source, "int main() { return 0; }");
  struct Case {
    const char* what;
    const char* script;
  };
  const Case cases[] = {
      {"a warning on stderr", "echo 'a.c:1: warning: something' >&2\n"},
      {"a note on stdout", "echo note\n"},
      {"silent failure", "exit 1\n"},
      {"killed", "kill -KILL $$\n"},
  };
  for (const Case& c : cases) {
    program.FakeCompiler(c.script);
    const CompileResult r = CompileAnimation(program.folder, source);
    EXPECT_EQ(r.outcome, CompileOutcome::Problem) << c.what;
    EXPECT_STREQ(CompileMessage(r.outcome), "编译遇到问题，请检查动画目录内是否生成文件。");
  }
  program.FakeCompiler("echo 'a.c:1: warning: something' >&2\n");
  EXPECT_EQ(CompileAnimation(program.folder, source).output, "a.c:1: warning: something\n");
}

TEST(CompilerTest, AHangingCompilerIsStoppedAndReported) {
  ProgramFolder program;
  program.FakeCompiler("echo working\nsleep 30\n");
  ShortTimeout limit(300ms);
  const auto start = std::chrono::steady_clock::now();
  const CompileResult r = CompileAnimation(program.folder, program.Code("a.c"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(r.outcome, CompileOutcome::Problem);
  EXPECT_EQ(r.output, "working\n");
  EXPECT_EQ(CompileProblemDetails(r), "working\n编译超过了时间限制，已被停止。");
}

TEST(CompilerTest, CompilerBesideTheToolWinsOverThePath) {
  ProgramFolder program;
  TempDir pathDir("zoetrix-path");
  const std::string onPath = (pathDir.path() / "tcc").string();
  WriteFile(onPath, "#!/bin/sh\necho from-path\n");
  ::chmod(onPath.c_str(), 0755);
  ScopedEnv path("PATH", pathDir.path().string() + ":/usr/bin:/bin");

  program.FakeCompiler("echo beside\n");
  EXPECT_EQ(CompileAnimation(program.folder, program.Code("a.c")).output, "beside\n");

  // Not executable: not a compiler; the one on PATH is used.
  ::chmod((program.folder + "tcc").c_str(), 0644);
  EXPECT_EQ(CompileAnimation(program.folder, program.Code("a.c")).output, "from-path\n");
}

TEST(CompilerTest, MissingCompilerIsAProblemNotACrash) {
  ProgramFolder program;
  TempDir emptyDir("zoetrix-empty-path");
  ScopedEnv path("PATH", emptyDir.path().string());
  const CompileResult r = CompileAnimation(program.folder, program.Code("a.c"));
  EXPECT_EQ(r.outcome, CompileOutcome::Problem);
  EXPECT_FALSE(CompileEndsTool(r.outcome));
  EXPECT_TRUE(r.compilerMissing);
  EXPECT_EQ(CompileProblemDetails(r).rfind("找不到编译器 tcc", 0), 0u);
}

TEST(CompilerTest, EmptySourcePathRunsNothing) {
  ProgramFolder program;
  program.FakeCompiler("touch \"$(dirname \"$0\")/ran\"\n");
  const CompileResult r = CompileAnimation(program.folder, "");
  EXPECT_EQ(r.outcome, CompileOutcome::EmptySource);
  EXPECT_STREQ(CompileMessage(r.outcome), "导出动画时遇到错误！错误原因：代码文件为空。");
  EXPECT_FALSE(fs::exists(program.folder + "ran"));
}

TEST(CompilerTest, NoPipeForTheCompilerEndsTheTool) {
  ProgramFolder program;
  program.FakeCompiler("touch \"$(dirname \"$0\")/ran\"\n");
  // Room for one more open file only: a pipe needs two.
  const int lowestFree = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(lowestFree, 0);
  ::close(lowestFree);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree) + 1;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  const CompileResult r = CompileAnimation(program.folder, program.Code("a.c"));
  ::setrlimit(RLIMIT_NOFILE, &saved);

  EXPECT_EQ(r.outcome, CompileOutcome::PipeFailed);
  EXPECT_TRUE(CompileEndsTool(r.outcome));
  EXPECT_STREQ(
      CompileMessage(r.outcome),
      "与编译器的联系断开，编译器可能被损坏或程序被损坏，请重新安装程序。按确定后退出程序。");
  EXPECT_FALSE(fs::exists(program.folder + "ran"));
}

// Every generated program compiles with the real tcc and the console layer
// without a word of output, so the user is told "编译成功！".
TEST(CompilerTest, RealCompilerBuildsEveryGeneratedProgramSilently) {
  ProgramFolder program;
  int count = 0;
  for (const auto& entry : fs::directory_iterator(kGoldenPrograms)) {
    const std::string name = entry.path().filename().string();
    const std::string source = program.Code(name + ".c");
    fs::copy_file(entry.path() / "expected.c", source);
    const CompileResult r = CompileAnimation(program.folder, source);
    EXPECT_EQ(r.outcome, CompileOutcome::Success) << name << ":\n" << r.output;
    EXPECT_EQ(r.output, "") << name;
    EXPECT_TRUE(fs::is_regular_file(program.Code(name + ".exe"))) << name;
    ++count;
  }
  EXPECT_GE(count, 8);
}

TEST(CompilerTest, RealCompilerDiagnosticsAreAProblem) {
  ProgramFolder program;
  const std::string source = program.Code("broken.c");
  WriteFile(source, "#include <windows.h>\nint main() { Sleep(1) return 0; }\n");
  const CompileResult r = CompileAnimation(program.folder, source);
  EXPECT_EQ(r.outcome, CompileOutcome::Problem);
  EXPECT_NE(r.output.find("broken.c"), std::string::npos) << r.output;
}

}  // namespace

// zoetrix --export with the sharing options, and zoetrix --import.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>

#include "HtmlPageReader.h"
#include "app/CommandLine.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/ProgramFolder.h"
#include "program/WindowsProgram.h"
#include "project/ProjectFile.h"
#include "res/Texts.h"
#include "tests/CommandLineSupport.h"
#include "tests/TestSupport.h"

using document::kDefaultAnimName;
using testsupport::Outcome;

using output::kWindowsCompilerMissing;
using output::ProjectReadResult;
using output::ReadProjectFile;
using output::SetWindowsCompilerForTesting;

using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::WriteFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Quotes, a backslash, Chinese, an empty frame and blank lines at both ends.
const char* kProject =
    "[AnimatedProperties]\r\nName=share\r\nWide=20\r\nHigh=4\r\nColor=0A\r\nFrameRate=20\r\n"
    "FrameNum=4\r\n[AnimatePicture]\r\nFrame1=\"\\n a \\\"b\\\" c\\\\\\n\"\r\nFrame2=\r\n"
    "Frame3=\xD6\xD0\xCE\xC4\\n  x\r\nFrame4=end\r\n";

class ShareCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      fs::create_directory(m_dir.path() / sub);
    platform::SetProgramFolderForTesting(m_dir.folder());
    platform::SetClockForTesting(platform::LocalTime{2023, 10, 1, 8, 0, 0});
    WriteFile(m_project, kProject);
  }
  void TearDown() override {
    platform::SetProgramFolderForTesting({});
    platform::SetClockForTesting(std::nullopt);
  }
  Outcome Call(std::vector<std::string> args) {
    return testsupport::CallCommandLine(std::move(args));
  }
  std::string Path(const std::string& rel) { return m_dir.folder() + rel; }
  std::vector<std::string> Files(const char* sub) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Path(sub)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // What `zoetrix --play` writes into a pipe.
  std::string PlayIntoPipe(const std::string& project) {
    const platform::ProcessResult run = platform::RunProcess(
        {"/usr/bin/env", "-i", "LANG=C.UTF-8", ZOETRIX_BINARY, "--play", project}, 20s);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    return run.output;
  }
  testsupport::TempDir m_dir{"zoetrix-share"};
  std::string m_project = (m_dir.path() / "in.ini").string();
};

std::vector<std::string> FramesOf(const std::string& project) {
  const ProjectReadResult read = ReadProjectFile(project);
  EXPECT_TRUE(read.ok()) << read.error;
  std::vector<std::string> frames;
  for (const document::FrameNode& node : read.animation.m_frames) frames.push_back(node.Text());
  return frames;
}

}  // namespace

TEST_F(ShareCommand, SharingOptionsWriteIntoAnimateAlone) {
  const Outcome r = Call({"--export", m_project, "--html", "--cast"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string stamp = "2023_10_1_8_0_0";
  EXPECT_EQ(r.out, Path("Animate/") + stamp + ".html\n" + Path("Animate/") + stamp + ".cast\n");
  EXPECT_EQ(Files("Animate"), (std::vector<std::string>{stamp + ".cast", stamp + ".html"}));
  // Only the stamp was claimed: no code file stays behind.
  EXPECT_TRUE(fs::is_empty(Path("Code")));
  EXPECT_NE(testsupport::PicturesOf(ReadFile(Path("Animate/") + stamp + ".html")).find("end"),
            std::string::npos);
}

TEST_F(ShareCommand, CombineWithTheClassicOptionsAndKeepTheirChecks) {
  Outcome r = Call({"--export", m_project, "--project", "--gif"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("已导出。\n"), std::string::npos);
  EXPECT_NE(r.out.find(Path("Project/2023_10_1_8_0_0.ini\n")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(Path("Animate/2023_10_1_8_0_0.gif\n")), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(Path("Code/2023_10_1_8_0_0.c")));

  // The classic checks come first and nothing is made.
  fs::remove_all(Path("Animate"));
  fs::create_directory(Path("Animate"));
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--export", m_project}, {"--export", m_project, "--compile", "--html"}}) {
    r = Call(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(fs::is_empty(Path("Animate")));
  }
  EXPECT_EQ(Call({"--export", m_project}).err, "请选择至少一个导出选项！\n");
  EXPECT_EQ(Call({"--export", m_project, "--compile", "--html"}).err, "进行编译必须要导出代码！\n");
  EXPECT_NE(Call({"--help"}).out.find("--windows"), std::string::npos);
}

// A format that cannot be written fails the run: what it wrote before goes
// again, and nothing is listed.
TEST_F(ShareCommand, WindowsProgramNeedsTheCrossCompiler) {
  SetWindowsCompilerForTesting("zoetrix-no-such-cross-compiler");
  const Outcome r = Call({"--export", m_project, "--project", "--html", "--cast", "--windows"});
  SetWindowsCompilerForTesting({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            std::string(kWindowsCompilerMissing) + "\n" + res::kExportRemovedRunFiles + "\n");
  EXPECT_EQ(r.out.find('/'), std::string::npos) << r.out;
  EXPECT_TRUE(fs::is_empty(Path("Animate")));
  EXPECT_TRUE(fs::is_empty(Path("Project")));
  EXPECT_TRUE(fs::is_empty(Path("Code")));
}

// Batch exports within one second: every project keeps files of its own,
// each run lists its own, and a file already at a name is left alone.
TEST_F(ShareCommand, ExportsWithinOneSecondNeverWriteOverEachOther) {
  const std::string stamp = "2023_10_1_8_0_0";
  WriteFile(Path("Animate/") + stamp + ".cast", "planted");
  std::set<std::string> listed;
  for (const char* name : {"one", "two", "three"}) {
    const std::string project = (m_dir.path() / (std::string(name) + ".ini")).string();
    WriteFile(project, std::string("[AnimatedProperties]\r\nName=n\r\nWide=20\r\nHigh=4\r\n") +
                           "Color=07\r\nFrameRate=5\r\nFrameNum=1\r\n[AnimatePicture]\r\nFrame1=" +
                           name + "\r\n");
    const Outcome r = Call({"--export", project, "--html", "--gif", "--cast"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_TRUE(listed.insert(line).second) << line;
      if (fs::path(line).extension() == ".html") {
        EXPECT_NE(testsupport::PicturesOf(ReadFile(line)).find(name), std::string::npos) << line;
      }
    }
  }
  EXPECT_EQ(listed.size(), 9u);
  EXPECT_EQ(ReadFile(Path("Animate/") + stamp + ".cast"), "planted");
  EXPECT_EQ(Files("Animate").size(), 10u);
  EXPECT_EQ(listed.count(Path("Animate/") + stamp + "_4.gif"), 1u);
}

// Shared formats alone need no code file, so no writable Code/ either; what
// cannot be written is what the message names.
TEST_F(ShareCommand, SharingAloneNeedsNoCodeFolder) {
  fs::remove_all(Path("Code"));
  Outcome r = Call({"--export", m_project, "--html"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Path("Animate/2023_10_1_8_0_0.html\n"));
  fs::remove_all(Path("Animate"));
  r = Call({"--export", m_project, "--gif", "--cast"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(Path("Animate/2023_10_1_8_0_0.gif")), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Code"), std::string::npos) << r.err;
}

// Playing into a pipe and importing what came out gives the same frames.
TEST_F(ShareCommand, PlayIntoAPipeAndImportGiveTheFramesBack) {
  const std::string played = PlayIntoPipe(m_project);
  WriteFile(m_dir.path() / "played.txt", played);
  const Outcome r = Call({"--import", (m_dir.path() / "played.txt").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Path("Project/2023_10_1_8_0_0.ini\n"));
  const std::vector<std::string> original = FramesOf(m_project);
  ASSERT_EQ(original.size(), 4u);
  EXPECT_EQ(original[0], "\r\n a \"b\" c\\\r\n");  // the blank lines at both ends count
  EXPECT_EQ(FramesOf(Path("Project/2023_10_1_8_0_0.ini")), original);

  // Standard input works the same; the next project gets the next name.
  WriteFile(m_dir.path() / "played2.txt", played);
  const int in = ::open((m_dir.path() / "played2.txt").c_str(), O_RDONLY);
  const int saved = ::dup(0);
  ::dup2(in, 0);
  ::close(in);
  const Outcome fromStdin = Call({"--import", "-", "--name", "管道", "--rate", "7"});
  ::dup2(saved, 0);
  ::close(saved);
  std::clearerr(stdin);
  std::cin.clear();
  EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
  EXPECT_EQ(fromStdin.out, Path("Project/2023_10_1_8_0_0_2.ini\n"));
  const ProjectReadResult read = ReadProjectFile(Path("Project/2023_10_1_8_0_0_2.ini"));
  EXPECT_EQ(read.animation.m_strAnimName, Gbk("管道"));
  EXPECT_EQ(read.animation.m_nRate, 7);
  EXPECT_EQ(FramesOf(Path("Project/2023_10_1_8_0_0_2.ini")), original);
}

TEST_F(ShareCommand, ImportSeparatorsBlocksAndProperties) {
  const std::string text = (m_dir.path() / "t.txt").string();
  WriteFile(text, Gbk("甲\n--\n乙\r\n丙\n"));  // GBK, mixed line ends
  Outcome r = Call({"--import", text, "--separator", "--", "--size", "30x12", "--colors", "1e"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string first = Path("Project/2023_10_1_8_0_0.ini");
  EXPECT_EQ(FramesOf(first), (std::vector<std::string>{Gbk("甲"), Gbk("乙\r\n丙")}));
  const ProjectReadResult read = ReadProjectFile(first);
  EXPECT_EQ(read.animation.m_strAnimName, kDefaultAnimName);
  EXPECT_EQ(read.animation.m_strColor, "1E");
  EXPECT_EQ(read.animation.m_nAnimWide, 30);
  EXPECT_EQ(read.animation.m_nAnimHigh, 12);
  EXPECT_EQ(read.animation.m_nRate, 24);

  r = Call({"--import", text, "--block", "3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FramesOf(Path("Project/2023_10_1_8_0_0_2.ini")),
            (std::vector<std::string>{Gbk("甲\r\n--\r\n乙"), Gbk("丙")}));

  // A character GBK cannot hold: where it is, and no project.
  WriteFile(text, "ok\n\f\nab\xF0\x9F\x98\x80\n");
  r = Call({"--import", text});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("第 3 行第 3 列"), std::string::npos) << r.err;
  EXPECT_EQ(Files("Project").size(), 2u);
}

TEST_F(ShareCommand, ImportRefusesBadArgumentsWithStatusTwo) {
  const std::string text = (m_dir.path() / "t.txt").string();
  WriteFile(text, "a\n");
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"--import"}, "--import 后面缺少文本文件名"},
      {{"--import", text, "--block", "0"}, "--block 的行数必须是 1 到 100 之间的整数：0"},
      {{"--import", text, "--block", "2", "--separator", "x"}, "只能选一个"},
      {{"--import", text, "--rate", "101"}, "--rate 的帧频必须是 1 到 100 之间的整数：101"},
      {{"--import", text, "--rate", "-1"}, "--rate 的帧频必须是 1 到 100 之间的整数：-1"},
      {{"--import", text, "--size", "-80x25"},
       "--size 必须是 宽x高，宽和高都是 11 到 100 之间的整数：-80x25"},
      {{"--import", text, "--block", "-3"}, "--block 的行数必须是 1 到 100 之间的整数：-3"},
      {{"--import", text, "--colors", "-7"}, "--colors 必须是两位十六进制数字"},
      {{"--import", text, "--size", "--rate", "5"}, "--size 后面缺少宽x高"},
      {{"--import", text, "--separator", "a\fb"}, "--separator 的分隔行不能含有换行、换页符"},
      {{"--import", text, "--separator", "\x1B[2J"}, "控制字符（制表符除外）：U+001B[2J"},
      {{"--import", text, "--size",
        "\xE2\x80\xAE"
        "80x25"},
       "之间的整数：U+202E80x25"},
      {{"--import", text, "--bogus\x1B]0;x\x07"}, "无法识别的参数：--bogusU+001B]0;xU+0007"},
      {{"--import", text, "--size", "10x25"}, "宽和高都是 11 到 100"},
      {{"--import", text, "--size", "80"}, "--size 必须是 宽x高"},
      {{"--import", text, "--colors", "0G"}, "--colors 必须是两位十六进制数字"},
      {{"--import", text, "--colors", "007"}, "--colors 必须是两位十六进制数字"},
      {{"--import", text, "--name", "a\nb"}, "--name 的名称不能含有换行或其他控制字符：aU+000Ab"},
      {{"--import", text, "--name", "\x1B]0;x\x07"}, "控制字符：U+001B]0;xU+0007"},
      {{"--import", text, "--name",
        "a\xC2\x9B"
        "31m"},
       "GBK 无法保存的字符：aU+009B31m"},
      {{"--import", text, "--name", "\xF0\x9F\x98\x80"}, "GBK 无法保存"},
      {{"--import", text, "--rate", "5", "--rate", "6"}, "--rate 只能给一次"},
      {{"--import", text, "--export", text}, "不能一起使用"},
      {{"--import", text, "--bogus"}, "无法识别的参数：--bogus"},
  };
  for (const auto& c : cases) {
    const Outcome r = Call(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find_first_of("\x07\x1B"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(fs::is_empty(Path("Project")));
  // The file itself missing is no argument error.
  EXPECT_EQ(Call({"--import", Path("missing.txt")}).status, 1);
  const Outcome help = Call({"--help"});
  EXPECT_NE(help.out.find("用法：zoetrix --import"), std::string::npos);
}

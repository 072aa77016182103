// Output files: never redirected by a planted link, moved across disks, and
// a compiled program is whole or it is a problem.
#include <gtest/gtest.h>

#include <pthread.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/Executable.h"
#include "platform/Interrupt.h"
#include "platform/SafeFile.h"
#include "program/CodeFile.h"
#include "program/Compiler.h"
#include "program/Export.h"
#include "tests/TestSupport.h"

using document::AnimationDocument;
using document::AnimationPaths;
using document::MakeFrameText;

using output::CompileAnimation;
using output::CompileOutcome;
using output::CompileProblemDetails;
using output::CompileResult;
using output::ExportAnimation;
using output::ExportEnd;
using output::ExportOptions;
using output::ExportPrompter;
using output::kCompileProblemMessage;
using output::kCompileSuccessMessage;
using output::kExportDone;
using output::StartCodeFile;

extern char** environ;

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const fs::path kConsoleFolder = fs::path(ZOETRIX_TEST_DATA) / ".." / ".." / "console";

// A real program built by the real tcc, to cut up.
std::string BuildRealProgram(const TempDir& dir) {
  const std::string source = (dir.path() / "p.c").string();
  WriteFile(source, "int main(void) { return 0; }\n");
  const CompileResult r = CompileAnimation(dir.folder(), source);
  EXPECT_EQ(r.outcome, CompileOutcome::Success) << r.output;
  return r.buildPath;
}

class Recorder : public ExportPrompter {
 public:
  void Message(const std::string& text) override { messages.push_back(text); }
  bool Ask(const std::string&) override { return true; }
  void CompilerDetails(const std::string& text) override { details.push_back(text); }
  std::vector<std::string> messages, details;
};

// A tool folder with a started animation whose code file is open.
struct Tool {
  TempDir dir{"zoetrix-safe"};
  AnimationDocument doc;
  Tool() {
    for (const char* sub : {"Code", "Project", "Animate"}) fs::create_directory(dir.path() / sub);
    const platform::LocalTime created{2024, 1, 2, 3, 4, 5};
    AnimationPaths paths;
    EXPECT_EQ(StartCodeFile(doc, dir.folder(), testsupport::AnimationOf("a", 20, 5, "07"), created,
                            &paths),
              "");
    doc.m_export.m_strCodePath = paths.code;
    doc.m_export.m_strProjectPath = paths.project;
    doc.m_export.m_strBuildPath = paths.build;
    doc.m_export.m_strExePath = paths.exe;
    doc.m_export.m_createdAt = created;
    doc.m_animation.m_nRate = 10;
    doc.m_animation.m_strAnimName = "a";
    doc.m_animation.m_nAnimWide = 20;
    doc.m_animation.m_nAnimHigh = 5;
    doc.m_animation.m_strColor = "07";
    doc.m_animation.m_frames.Append(MakeFrameText("x"));
  }
  ~Tool() { doc.m_export.m_pCodeFile.reset(); }
  void FakeCompiler(const std::string& body) const {
    const std::string path = dir.folder() + "tcc";
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
  }
};

}  // namespace

TEST(WholeExecutableTest, OnlyAnIntactProgramForThisMachinePasses) {
  TempDir dir("zoetrix-elf");
  fs::copy(kConsoleFolder, dir.path() / "include");
  const std::string program = BuildRealProgram(dir);
  ASSERT_TRUE(platform::IsWholeExecutable(program));
  EXPECT_TRUE(platform::IsWholeExecutable("/bin/true"));

  const std::string bytes = ReadFile(program);
  const std::string cut = (dir.path() / "cut").string();
  // Cut anywhere, from just inside the header to one byte short.
  for (std::size_t size : {std::size_t{0}, std::size_t{16}, std::size_t{63}, std::size_t{200},
                           bytes.size() / 2, bytes.size() - 1}) {
    WriteFile(cut, bytes.substr(0, size));
    EXPECT_FALSE(platform::IsWholeExecutable(cut)) << size;
  }
  WriteFile(cut, "MZ\x90\x00 not a program here");
  EXPECT_FALSE(platform::IsWholeExecutable(cut));
  // The header claims a section table far beyond the end.
  std::string lying = bytes;
  lying[0x28] = '\x7f';
  lying[0x2e] = '\x7f';
  WriteFile(cut, lying);
  EXPECT_FALSE(platform::IsWholeExecutable(cut));
  // Another machine's program.
  std::string other = bytes;
  other[0x12] = '\x28';  // EM_ARM
  WriteFile(cut, other);
  EXPECT_FALSE(platform::IsWholeExecutable(cut));
  EXPECT_FALSE(platform::IsWholeExecutable(dir.folder()));
  EXPECT_FALSE(platform::IsWholeExecutable(dir.folder() + "missing"));
}

// tcc ignores failed writes: on a full disk it exits 0 and says nothing.
TEST(WholeExecutableTest, ASilentCompilerLeavingACutProgramIsAProblem) {
  TempDir dir("zoetrix-cut");
  const std::string source = (dir.path() / "a.c").string();
  WriteFile(source, "int main(void) { return 0; }\n");
  const std::string tcc = dir.folder() + "tcc";
  WriteFile(tcc,
            "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = -o ] && head -c 3000 /bin/true > \"$2\"; "
            "shift; done\n");
  ::chmod(tcc.c_str(), 0755);
  const CompileResult r = CompileAnimation(dir.folder(), source);
  EXPECT_EQ(r.outcome, CompileOutcome::Problem);
  EXPECT_TRUE(r.incomplete);
  EXPECT_FALSE(fs::exists(r.buildPath));  // nothing that crashes when run is left
  EXPECT_NE(CompileProblemDetails(r).find(r.buildPath), std::string::npos);

  // Through the export: the problem message, and nothing lands in Animate/.
  Tool tool;
  tool.FakeCompiler(
      "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && echo garbage > \"$2\"; shift; done\n");
  Recorder prompter;
  const ExportEnd end =
      ExportAnimation(tool.doc.m_animation, tool.doc.m_export,
                      ExportOptions{true, true, false, false}, tool.dir.folder(), prompter);
  EXPECT_EQ(end, ExportEnd::CompileProblem);
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{kCompileProblemMessage, kExportDone}));
  EXPECT_FALSE(fs::exists(tool.doc.m_export.m_strExePath));
  // Nothing of the run is left in Code/ but the code file.
  EXPECT_EQ(std::distance(fs::directory_iterator(tool.dir.path() / "Code"), {}), 1);
}

TEST(SafeFileTest, NewFilesNeverFollowALinkOrReplaceAFile) {
  TempDir dir("zoetrix-link");
  const std::string victim = (dir.path() / "victim").string();
  WriteFile(victim, "precious");
  const std::string link = (dir.path() / "link").string();
  fs::create_symlink(victim, link);
  const std::string dangling = (dir.path() / "dangling").string();
  fs::create_symlink(dir.path() / "nowhere", dangling);

  for (const std::string& path : {link, dangling, victim}) {
    errno = 0;
    EXPECT_EQ(platform::CreateNewFile(path), -1) << path;
    EXPECT_EQ(errno, EEXIST) << path;
    EXPECT_EQ(platform::CreateNewFileStream(path, "wb+"), nullptr) << path;
  }
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));

  std::string temp1, temp2;
  std::FILE* a = platform::CreateTempBeside(victim, &temp1);
  std::FILE* b = platform::CreateTempBeside(victim, &temp2);
  ASSERT_TRUE(a && b);
  EXPECT_NE(temp1, temp2);
  EXPECT_EQ(temp1.rfind(victim + ".tmp-", 0), 0u) << temp1;
  std::fclose(a);
  std::fclose(b);
}

// A link planted where the export used to put its temporary code file must
// not make the export write through it.
TEST(SafeFileTest, APlantedLinkAtTheCodeTemporaryIsNotFollowed) {
  Tool tool;
  const std::string victim = (tool.dir.path() / "victim.txt").string();
  WriteFile(victim, "precious");
  fs::create_symlink(victim,
                     tool.doc.m_export.m_strCodePath + ".tmp-" + std::to_string(::getpid()));
  Recorder prompter;
  EXPECT_EQ(ExportAnimation(tool.doc.m_animation, tool.doc.m_export,
                            ExportOptions{true, false, false, false}, tool.dir.folder(), prompter),
            ExportEnd::Exported);
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_NE(ReadFile(tool.doc.m_export.m_strCodePath).find("return 0;"), std::string::npos);
}

TEST(MoveFileTest, CopyingPathKeepsModeReplacesTargetAndRemovesSource) {
  TempDir dir("zoetrix-move");
  const std::string from = (dir.path() / "a.exe").string();
  const std::string to = (dir.path() / "b.exe").string();
  WriteFile(from, std::string(200000, 'x') + "end");
  ::chmod(from.c_str(), 0751);
  WriteFile(to, "old program");
  platform::SetMoveFileAlwaysCopiesForTesting(true);
  const bool moved = platform::MoveFile(from, to);
  platform::SetMoveFileAlwaysCopiesForTesting(false);
  ASSERT_TRUE(moved);
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(ReadFile(to), std::string(200000, 'x') + "end");
  struct stat st {};
  ASSERT_EQ(::stat(to.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);  // no temporary left

  // A failed copy keeps the source and leaves the target folder as it was.
  WriteFile(from, "again");
  platform::SetMoveFileAlwaysCopiesForTesting(true);
  EXPECT_FALSE(platform::MoveFile(from, (dir.path() / "no" / "such.exe").string()));
  platform::SetMoveFileAlwaysCopiesForTesting(false);
  EXPECT_EQ(ReadFile(from), "again");
}

TEST(MoveFileTest, AcrossRealFileSystems) {
  TempDir dir("zoetrix-move");
  struct stat here {
  }, shm{};
  if (::stat(dir.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
      here.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "/dev/shm is missing, not writable or on the same device as " << dir.path()
                 << ": no second file system to move across";
  const std::string target = "/dev/shm/zoetrix-move-" + std::to_string(::getpid()) + ".exe";
  const std::string from = (dir.path() / "a.exe").string();
  WriteFile(from, "program");
  ::chmod(from.c_str(), 0755);
  ASSERT_TRUE(platform::MoveFile(from, target)) << std::strerror(errno);
  EXPECT_FALSE(fs::exists(from));
  EXPECT_EQ(ReadFile(target), "program");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  fs::remove(target);
}

TEST(CompilerTest, RealCompileInAFolderWithOneDoubleQuote) {
  TempDir dir("zoetrix-quote");
  const fs::path root = dir.path() / "tool \"one quote";
  fs::create_directories(root / "Code");
  fs::copy(kConsoleFolder, root / "include");
  const std::string folder = root.string() + "/";
  const std::string source = folder + "Code/q.c";
  WriteFile(source, "#include <windows.h>\nint main(void) { Sleep(0); return 0; }\n");
  const CompileResult r = CompileAnimation(folder, source);
  EXPECT_EQ(r.outcome, CompileOutcome::Success) << r.output;
  EXPECT_TRUE(platform::IsWholeExecutable(folder + "Code/q.exe"));
}

// The program cannot go into Animate/: the user is told where, without
// hearing first that compiling succeeded, and nothing of the run stays in
// Code/ but the code file.
TEST(MoveFileTest, AFailedMoveLeavesNoProgramInCode) {
  Tool tool;
  tool.FakeCompiler("while [ $# -gt 0 ]; do [ \"$1\" = -o ] && cp /bin/true \"$2\"; shift; done\n");
  fs::remove(tool.dir.path() / "Animate");
  Recorder prompter;
  EXPECT_EQ(ExportAnimation(tool.doc.m_animation, tool.doc.m_export,
                            ExportOptions{true, true, false, false}, tool.dir.folder(), prompter),
            ExportEnd::Failed);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_NE(prompter.messages[0].find(tool.doc.m_export.m_strExePath), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(tool.dir.path() / "Code"), {}), 1);
}

// A program someone else put at the animation's name stays as it is; a
// program this animation put there is updated by the next export.
TEST(MoveFileTest, OnlyTheAnimationsOwnProgramIsReplaced) {
  Tool tool;
  tool.FakeCompiler("while [ $# -gt 0 ]; do [ \"$1\" = -o ] && cp /bin/true \"$2\"; shift; done\n");
  const std::string& exe = tool.doc.m_export.m_strExePath;
  WriteFile(exe, "someone else's");
  const ExportOptions compile{true, true, false, false};
  Recorder refused;
  EXPECT_EQ(
      ExportAnimation(tool.doc.m_animation, tool.doc.m_export, compile, tool.dir.folder(), refused),
      ExportEnd::Failed);
  EXPECT_EQ(refused.messages,
            std::vector<std::string>{res::Format(res::kExportTargetExists, {exe})});
  EXPECT_EQ(ReadFile(exe), "someone else's");
  EXPECT_EQ(std::distance(fs::directory_iterator(tool.dir.path() / "Animate"), {}), 1);

  fs::remove(exe);
  for (int run = 0; run < 2; ++run) {
    Recorder prompter;
    EXPECT_EQ(ExportAnimation(tool.doc.m_animation, tool.doc.m_export, compile, tool.dir.folder(),
                              prompter),
              ExportEnd::Exported);
    EXPECT_EQ(prompter.messages, (std::vector<std::string>{kCompileSuccessMessage, kExportDone}));
    EXPECT_TRUE(platform::IsWholeExecutable(exe));
  }
  // The project file likewise: a file planted at its name is not written over.
  WriteFile(tool.doc.m_export.m_strProjectPath, "[Other]\r\nKey=1\r\n");
  Recorder project;
  EXPECT_EQ(ExportAnimation(tool.doc.m_animation, tool.doc.m_export,
                            ExportOptions{true, false, true, false}, tool.dir.folder(), project),
            ExportEnd::Failed);
  EXPECT_EQ(project.messages, std::vector<std::string>{res::Format(
                                  res::kExportTargetExists, {tool.doc.m_export.m_strProjectPath})});
  EXPECT_EQ(ReadFile(tool.doc.m_export.m_strProjectPath), "[Other]\r\nKey=1\r\n");
}

// Once released, the code file is the user's to edit; the next export keeps
// the edits and says they were made after the export, not that the file was
// never this animation's. The project file likewise.
TEST(MoveFileTest, AFileEditedSinceTheExportIsKeptAndSaidSo) {
  Tool tool;
  const ExportOptions both{true, false, true, false};
  Recorder first;
  ASSERT_EQ(
      ExportAnimation(tool.doc.m_animation, tool.doc.m_export, both, tool.dir.folder(), first),
      ExportEnd::Exported);
  output::ReleaseCodeFile(tool.doc.m_export, first);
  const std::string& code = tool.doc.m_export.m_strCodePath;
  const std::string& project = tool.doc.m_export.m_strProjectPath;
  {
    std::FILE* f = std::fopen(code.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("/* mine */\n", f);
    std::fclose(f);
  }
  const std::string edited = ReadFile(code);
  Recorder again;
  EXPECT_EQ(
      ExportAnimation(tool.doc.m_animation, tool.doc.m_export, both, tool.dir.folder(), again),
      ExportEnd::Failed);
  EXPECT_EQ(again.messages,
            std::vector<std::string>{res::Format(res::kExportTargetChanged, {code})});
  EXPECT_EQ(ReadFile(code), edited);

  // The code file given up, the project file edited in its place.
  fs::remove(code);
  tool.doc.m_export.m_writtenFiles.erase(code);
  WriteFile(project, "[Other]\r\nKey=1\r\n");
  Recorder projectRun;
  EXPECT_EQ(
      ExportAnimation(tool.doc.m_animation, tool.doc.m_export, both, tool.dir.folder(), projectRun),
      ExportEnd::Failed);
  EXPECT_EQ(projectRun.messages,
            std::vector<std::string>{res::Format(res::kExportTargetChanged, {project})});
  EXPECT_EQ(ReadFile(project), "[Other]\r\nKey=1\r\n");
}

// Putting a finished file in place replaces nothing unless told to, whether
// it is renamed or copied from another disk, a dangling link included.
TEST(MoveFileTest, PlacingWithoutReplacingLeavesWhatIsThere) {
  TempDir dir("zoetrix-place");
  const std::string from = (dir.path() / "new").string();
  const std::string taken = (dir.path() / "taken").string();
  const std::string link = (dir.path() / "link").string();
  WriteFile(taken, "precious");
  fs::create_symlink(dir.path() / "nowhere", link);
  for (bool copying : {false, true}) {
    platform::SetMoveFileAlwaysCopiesForTesting(copying);
    WriteFile(from, "new");
    for (const std::string& target : {taken, link}) {
      errno = 0;
      EXPECT_FALSE(platform::PlaceFile(from, target, platform::Replace::No)) << target;
      EXPECT_EQ(errno, EEXIST) << target;
    }
    EXPECT_EQ(ReadFile(taken), "precious");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
    const std::string fresh = (dir.path() / ("fresh" + std::to_string(copying))).string();
    EXPECT_TRUE(platform::PlaceFile(from, fresh, platform::Replace::No));
    EXPECT_EQ(ReadFile(fresh), "new");
    EXPECT_FALSE(fs::exists(from));
  }
  platform::SetMoveFileAlwaysCopiesForTesting(false);
  // No temporary stays: taken, link, fresh0, fresh1.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 4);
}

// An interrupted run stops the program it runs, removes what it made (and
// only that) and ends by the signal it got.
TEST(InterruptTest, RemovesWhatTheRunMadeAndEndsByTheSignal) {
  TempDir dir("zoetrix-interrupt");
  const std::string folder = dir.folder();
  WriteFile(folder + "before", "older than the run");
  const auto run = [&] {
    platform::InterruptCleanup cleanup;
    ::close(platform::CreateNewFile(folder + "made"));
    const std::string staging = platform::CreatePrivateFolder(folder, ".build-");
    platform::NoteMadeFile(staging + "/a.exe");  // what a compiler writes there
    WriteFile(staging + "/a.exe", "half a program");
    ::close(platform::CreateNewFile(folder + "placed.tmp"));
    platform::PlaceFile(folder + "placed.tmp", folder + "placed", platform::Replace::No);
    ::close(platform::CreateNewFile(folder + "over.tmp"));
    platform::PlaceFile(folder + "over.tmp", folder + "before", platform::Replace::Yes);
    ::close(platform::CreateNewFile(folder + "kept"));
    platform::ForgetMade(folder + "kept");
    // A program running in a group of its own, as the compiler does.
    pid_t child = -1;
    const char* argv[] = {"sleep", "600", nullptr};
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    ::posix_spawnp(&child, "sleep", nullptr, &attributes, const_cast<char**>(argv), environ);
    platform::NoteRunningGroup(child);
    WriteFile(folder + "child", std::to_string(child));
    platform::ForgetMade(folder + "child");
    ::raise(SIGTERM);
  };
  EXPECT_EXIT(run(), ::testing::KilledBySignal(SIGTERM), "");
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir.path())) left.push_back(e.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"before", "child", "kept"}));
  // The replaced file was there before the run: it stays, with the new text.
  EXPECT_EQ(ReadFile(folder + "before"), "");
  const pid_t child = std::stoi(ReadFile(folder + "child"));
  EXPECT_EQ(::kill(child, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

// A signal caught by another thread (a library's worker) is handled by the
// working thread, so a step it holds interrupts for is never cut apart: the
// step ends, then what the run made goes and the process ends by the signal.
TEST(InterruptTest, ASignalOnAnotherThreadWaitsForTheWorkingThread) {
  TempDir dir("zoetrix-interrupt-thread");
  const std::string folder = dir.folder();
  const auto run = [&] {
    platform::InterruptCleanup cleanup;
    ::close(platform::CreateNewFile(folder + "made"));
    {
      platform::HoldInterrupts hold;
      std::thread worker([] {
        // Made while interrupts are held, it holds them too: it lets them in.
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        ::pthread_sigmask(SIG_UNBLOCK, &term, nullptr);
        ::pthread_kill(::pthread_self(), SIGTERM);
      });
      worker.join();
      // Reached only when the worker's signal did not end the run there.
      WriteFile(folder + "step-finished", "yes");
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    std::_Exit(0);  // the signal never came back to this thread
  };
  EXPECT_EXIT(run(), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_FALSE(fs::exists(folder + "made"));
  EXPECT_EQ(ReadFile(folder + "step-finished"), "yes");
}

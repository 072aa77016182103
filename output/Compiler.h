#pragma once
// Compiling an animation's C program with tcc.
//
// The compiler is `tcc` in the program folder when that file is there and
// executable, otherwise `tcc` from PATH. It is run by argument vector, no
// shell, in the source's folder as
//
//   tcc -I<programFolder>include -o <buildPath> <source file name>
//
// where include/ beside the tool holds the console layer (our windows.h and
// process.h); an installed tool passes its share/zoetrix/ folder instead.
// The source goes by its bare name because tcc pastes the path
// it is given into a string of its own (__BASE_FILE__), which a double quote
// in a folder name would break. The run is clean when the compiler wrote
// nothing at all to its output and error streams, exited with status 0 and
// left a whole program for this machine; anything else, a compiler that
// cannot be found or one stopped after the time limit included, is a problem
// the user is told about.
#include <chrono>
#include <string>

enum class CompileOutcome {
  Success,        // nothing written, status 0: the program is at buildPath
  Problem,        // diagnostics, a failed or missing compiler, or the time limit
  EmptySource,    // no source path: nothing was run
  PipeFailed,     // no pipe for the compiler's output: ends the tool
  ProcessFailed,  // no process for the compiler: ends the tool
};

// What the user is shown for each outcome (UTF-8).
inline constexpr const char* kCompileSuccessMessage = "编译成功！";
inline constexpr const char* kCompileProblemMessage =
    "编译遇到问题，请检查动画目录内是否生成文件。";
inline constexpr const char* kCompileEmptySourceMessage =
    "导出动画时遇到错误！错误原因：代码文件为空。";
inline constexpr const char* kCompilePipeFailedMessage =
    "与编译器的联系断开，编译器可能被损坏或程序被损坏，请重新安装程序。按确定后退出程序。";
inline constexpr const char* kCompileProcessFailedMessage =
    "无法创建新进程，请检查权限，程序可能被损坏，请重新安装程序。按确定后退出程序。";

const char* CompileMessage(CompileOutcome outcome);

// The two outcomes after whose message the tool ends.
bool CompileEndsTool(CompileOutcome outcome);

struct CompileResult {
  CompileOutcome outcome = CompileOutcome::EmptySource;
  std::string output;            // what the compiler wrote, both streams together
  std::string buildPath;         // where the compiled program is written
  bool timedOut = false;         // stopped after the time limit
  bool compilerMissing = false;  // no tcc beside the tool nor on PATH
  bool incomplete = false;       // a silent, clean run left no whole program
};

// What went wrong, for a terminal: the compiler's own words, or why there
// are none. Empty for a clean run.
std::string CompileProblemDetails(const CompileResult& result);

// The compiled program's path: the source path with the extension of its
// file name replaced by "exe" (Code/2019_7_5_9_3_7.c gives
// Code/2019_7_5_9_3_7.exe); dots in folder names are left alone, and a file
// name without a dot gets ".exe" added.
std::string CompiledProgramPath(const std::string& sourcePath);

// Compiles sourcePath into buildPath, by default CompiledProgramPath(sourcePath).
// programFolder is the folder holding include/, ending in a separator: the
// tool's own folder, or share/zoetrix/ of an installation. Blocks until the
// compiler ends or the time limit (60 s) runs out. A program that is not
// whole is removed.
CompileResult CompileAnimation(const std::string& programFolder, const std::string& sourcePath,
                               const std::string& buildPath = {});

// Tests shorten the time limit; zero restores the normal one.
void SetCompileTimeoutForTesting(std::chrono::milliseconds timeout);

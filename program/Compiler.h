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

#include "platform/JobProgress.h"
#include "res/Texts.h"

namespace output {

enum class CompileOutcome {
  Success,        // nothing written, status 0: the program is at buildPath
  Problem,        // diagnostics, a failed or missing compiler, or the time limit
  EmptySource,    // no source path: nothing was run
  PipeFailed,     // no pipe for the compiler's output: ends the tool
  ProcessFailed,  // no process for the compiler: ends the tool
};

// What the user is shown for each outcome (UTF-8, res/Texts.h).
using res::kCompileEmptySourceMessage;
using res::kCompilePipeFailedMessage;
using res::kCompileProblemMessage;
using res::kCompileProcessFailedMessage;
using res::kCompileSuccessMessage;
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
  bool cancelled = false;        // the job was cancelled: the compiler was stopped
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
// whole is removed. Given a job, the compile is its stage kJobCompile (no
// total); a cancel stops the compiler and everything it started within a few
// tens of milliseconds, removes what it was writing at buildPath and gives
// a Problem with cancelled set.
CompileResult CompileAnimation(const std::string& programFolder, const std::string& sourcePath,
                               const std::string& buildPath = {},
                               platform::JobProgress* progress = nullptr);

// Tests shorten the time limit; zero restores the normal one.
void SetCompileTimeoutForTesting(std::chrono::milliseconds timeout);

}  // namespace output

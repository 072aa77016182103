#include "program/Compiler.h"

#include <unistd.h>
#include <atomic>
#include <vector>

#include <sys/stat.h>

#include "platform/Executable.h"
#include "platform/Process.h"

namespace output {

namespace {

constexpr std::chrono::milliseconds kDefaultTimeout{60'000};
std::atomic<long long> g_timeoutMs{0};

std::chrono::milliseconds CompileTimeout() {
  const long long ms = g_timeoutMs.load();
  return ms > 0 ? std::chrono::milliseconds{ms} : kDefaultTimeout;
}

// The compiler shipped beside the tool wins over the system's.
std::string CompilerProgram(const std::string& programFolder) {
  const std::string beside = programFolder + "tcc";
  struct stat info {};
  if (::stat(beside.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
      ::access(beside.c_str(), X_OK) == 0)
    return beside;
  return "tcc";
}

}  // namespace

const char* CompileMessage(CompileOutcome outcome) {
  switch (outcome) {
    case CompileOutcome::Success:
      return kCompileSuccessMessage;
    case CompileOutcome::Problem:
      return kCompileProblemMessage;
    case CompileOutcome::EmptySource:
      return kCompileEmptySourceMessage;
    case CompileOutcome::PipeFailed:
      return kCompilePipeFailedMessage;
    case CompileOutcome::ProcessFailed:
      return kCompileProcessFailedMessage;
  }
  return kCompileProblemMessage;
}

bool CompileEndsTool(CompileOutcome outcome) {
  return outcome == CompileOutcome::PipeFailed || outcome == CompileOutcome::ProcessFailed;
}

std::string CompiledProgramPath(const std::string& sourcePath) {
  const std::size_t slash = sourcePath.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = sourcePath.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return sourcePath + ".exe";
  return sourcePath.substr(0, dot + 1) + "exe";
}

CompileResult CompileAnimation(const std::string& programFolder, const std::string& sourcePath,
                               const std::string& buildPath, platform::JobProgress* progress) {
  CompileResult result;
  if (sourcePath.empty()) {
    result.outcome = CompileOutcome::EmptySource;
    return result;
  }
  result.buildPath = buildPath.empty() ? CompiledProgramPath(sourcePath) : buildPath;

  const std::size_t slash = sourcePath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : sourcePath.substr(0, slash + 1);
  const std::vector<std::string> argv = {CompilerProgram(programFolder),
                                         "-I" + programFolder + "include", "-o", result.buildPath,
                                         sourcePath.substr(folder.size())};
  platform::BeginStage(progress, res::kJobCompile, 0);
  platform::ProcessResult run = platform::RunProcess(argv, CompileTimeout(), folder, progress);
  result.output = std::move(run.output);
  result.timedOut = run.timedOut;
  result.compilerMissing = run.programMissing;
  result.cancelled = run.cancelled;

  if (run.cancelled) {
    ::unlink(result.buildPath.c_str());
    result.outcome = CompileOutcome::Problem;
  } else if (run.pipeFailed) {
    result.outcome = CompileOutcome::PipeFailed;
  } else if (!run.started && !run.programMissing) {
    result.outcome = CompileOutcome::ProcessFailed;
  } else if (run.ExitedCleanly() && result.output.empty()) {
    // tcc ignores failed writes: on a full disk it exits 0 and leaves a
    // cut-off program that would crash when run.
    result.incomplete = !platform::IsWholeExecutable(result.buildPath);
    result.outcome = result.incomplete ? CompileOutcome::Problem : CompileOutcome::Success;
    if (result.incomplete) ::unlink(result.buildPath.c_str());
  } else {
    // A missing compiler leaves no program behind, like any failed
    // compilation, and the message tells the user to look for one.
    result.outcome = CompileOutcome::Problem;
  }
  return result;
}

std::string CompileProblemDetails(const CompileResult& result) {
  if (result.outcome == CompileOutcome::Success) return {};
  if (result.compilerMissing) return res::kCompilerMissing;
  std::string details = result.output;
  if (!details.empty() && details.back() != '\n') details += '\n';
  if (result.timedOut)
    details += res::kCompileTimedOut;
  else if (result.incomplete)
    details += res::Format(res::kCompileIncomplete, {result.buildPath});
  else if (details.empty())
    details = res::kCompileNoReason;
  if (!details.empty() && details.back() == '\n') details.pop_back();
  return details;
}

void SetCompileTimeoutForTesting(std::chrono::milliseconds timeout) {
  g_timeoutMs.store(timeout.count());
}

}  // namespace output

#include "program/Export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Executable.h"
#include "platform/Interrupt.h"
#include "platform/SafeFile.h"
#include "program/CodeFile.h"
#include "program/Compiler.h"
#include "program/ProgramWriter.h"
#include "project/ProjectFile.h"

using document::Animation;
using document::ExportSession;

namespace output {

namespace {

// Writes the whole program afresh: one prologue and one body, so a second
// export replaces the first body instead of following the end of main. The
// new program is written beside the old one and then put in its place, so a
// full disk never costs the program the last export wrote; the file is held
// open again afterwards. False with the message in *problem, or with none
// when the job was cancelled: then the old program and the session stay as
// they were.
bool WriteCodeFile(const Animation& animation, ExportSession& session,
                   const ProgramBodyOptions& body, std::string* problem,
                   platform::JobProgress* progress) {
  const std::string& path = session.m_strCodePath;
  platform::BeginStage(progress, res::kJobWriteCode,
                       static_cast<std::uint64_t>(animation.FrameCount()));
  std::string temp;
  std::FILE* f = platform::CreateTempBeside(path, &temp);
  bool ok = f && WriteProgramPrologue(f, animation, session.m_createdAt) &&
            WriteProgramBody(f, animation, body, progress) && std::fflush(f) == 0 &&
            ::fsync(::fileno(f)) == 0;
  if (f) ok = std::fclose(f) == 0 && ok;
  ok = ok && !platform::JobCancelled(progress) &&
       platform::PlaceFile(temp, path, ReplaceMode(session, path));
  if (!ok) {
    const int error = errno;
    if (f) platform::RemoveFile(temp);
    if (platform::JobCancelled(progress)) return false;
    *problem = error == EEXIST && f
                   ? NotReplacedMessage(session, path)
                   : res::Format(res::kExportCannotWriteCode, {path, std::strerror(error)});
    return false;
  }
  NoteOwnFile(session, path);
  session.m_pCodeFile.reset(std::fopen(path.c_str(), "rb+"));
  return true;
}

// Puts the compiled program into Animate/ (also across disks), replacing
// only a program this animation put there. False after telling the user.
bool PlaceProgram(ExportSession& session, const std::string& built, ExportPrompter& prompter) {
  const std::string& exe = session.m_strExePath;
  if (platform::PlaceFile(built, exe, ReplaceMode(session, exe))) {
    NoteOwnFile(session, exe);
    return true;
  }
  prompter.Message(errno == EEXIST
                       ? NotReplacedMessage(session, exe)
                       : res::Format(res::kExportCannotMoveProgram, {exe, std::strerror(errno)}));
  return false;
}

// Compiles the closed code file and puts the program into Animate/. The
// compiler writes into a fresh folder of ours inside Code/, which nobody else
// can plant a link in; the folder is gone again afterwards, whatever happened,
// and files of earlier runs are left alone. Success is announced only once
// the program is in Animate/.
ExportEnd Compile(ExportSession& session, const std::string& programFolder,
                  ExportPrompter& prompter, platform::JobProgress* progress) {
  const std::string codeFolder =
      session.m_strBuildPath.substr(0, session.m_strBuildPath.find_last_of('/') + 1);
  const std::string staging = platform::CreatePrivateFolder(codeFolder, ".build-");
  if (staging.empty()) {
    prompter.Message(
        res::Format(res::kExportCannotPrepareCompile, {codeFolder, std::strerror(errno)}));
    return ExportEnd::Failed;
  }
  const std::string built =
      staging + session.m_strBuildPath.substr(session.m_strBuildPath.find_last_of('/'));
  platform::NoteMadeFile(built);  // the compiler's, but made for this run
  const CompileResult result =
      CompileAnimation(programFolder, session.m_strCodePath, built, progress);
  ExportEnd end = ExportEnd::CompileProblem;
  if (result.cancelled) {
    end = ExportEnd::Cancelled;
  } else if (CompileEndsTool(result.outcome)) {
    prompter.Message(CompileMessage(result.outcome));
    end = ExportEnd::ToolEnds;
  } else if (result.outcome == CompileOutcome::Success) {
    if (PlaceProgram(session, built, prompter)) {
      prompter.Message(CompileMessage(result.outcome));
      end = ExportEnd::Exported;
    } else {
      end = ExportEnd::Failed;
    }
  } else {
    prompter.Message(CompileMessage(result.outcome));
    if (result.outcome == CompileOutcome::Problem)
      prompter.CompilerDetails(CompileProblemDetails(result));
    // Warnings, say, with a whole program: it goes to Animate/ all the same.
    if (!result.timedOut && platform::IsWholeExecutable(built) &&
        !PlaceProgram(session, built, prompter))
      end = ExportEnd::Failed;
  }
  platform::RemoveFolder(staging);
  return end;
}

}  // namespace

ExportEnd ExportAnimation(const Animation& animation, ExportSession& session,
                          const ExportOptions& options, const std::string& programFolder,
                          ExportPrompter& prompter, platform::JobProgress* progress) {
  if (!options.saveCode && !options.saveProject && !options.compile) {
    prompter.Message(kExportNoOption);
    return ExportEnd::Stopped;
  }
  const ProgramBodyOptions body{options.saveCode, options.endless};
  std::string problem;
  if (!WriteCodeFile(animation, session, body, &problem, progress)) {
    if (platform::JobCancelled(progress)) return ExportEnd::Cancelled;
    prompter.Message(problem);
    return ExportEnd::Failed;
  }
  if (options.saveProject) {
    const std::string& project = session.m_strProjectPath;
    struct stat there {};
    if (::lstat(project.c_str(), &there) == 0 && !IsOwnFile(session, project)) {
      prompter.Message(NotReplacedMessage(session, project));
      return ExportEnd::Failed;
    }
    // Checked again as the file is put in place: what appears there in the
    // meantime stays.
    const ProjectResult saved =
        WriteProjectFile(animation, project, ReplaceMode(session, project), progress);
    // A file put in place just before a late cancel is the session's all the same.
    if (saved.ok()) NoteOwnFile(session, project);
    if (platform::JobCancelled(progress)) return ExportEnd::Cancelled;
    if (!saved.ok()) {
      prompter.Message(saved.error == res::Format(res::kExportTargetExists, {project})
                           ? NotReplacedMessage(session, project)
                           : saved.error);
      return ExportEnd::Failed;
    }
  }
  if (options.compile) {
    if (!options.saveCode) {
      prompter.Message(kExportCompileNeedsCode);
      return ExportEnd::Stopped;
    }
    if (!prompter.Ask(kExportCompileQuestion)) return ExportEnd::Stopped;
    if (platform::JobCancelled(progress)) return ExportEnd::Cancelled;
    session.m_pCodeFile.reset();
    const ExportEnd end = Compile(session, programFolder, prompter, progress);
    if (end == ExportEnd::Cancelled) {
      // Held open again, as after an export without the compile.
      session.m_pCodeFile.reset(std::fopen(session.m_strCodePath.c_str(), "rb+"));
      return end;
    }
    if (end == ExportEnd::ToolEnds || end == ExportEnd::Failed) return end;
    prompter.Finishing();
    prompter.Message(kExportDone);
    return end;
  }
  prompter.Finishing();
  prompter.Message(kExportDone);
  return ExportEnd::Exported;
}

void ReleaseCodeFile(ExportSession& session, ExportPrompter& prompter) {
  if (!session.m_pCodeFile) {
    prompter.Message(kReleaseNotOpen);
    return;
  }
  if (!prompter.Ask(kReleaseQuestion)) return;
  session.m_pCodeFile.reset();
  prompter.Message(kReleaseDone);
}

}  // namespace output

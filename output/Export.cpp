#include "output/Export.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "output/Compiler.h"
#include "output/ProgramWriter.h"
#include "output/ProjectFile.h"
#include "platform/Executable.h"
#include "platform/SafeFile.h"

using document::AnimationDocument;

namespace output {

namespace {

namespace fs = std::filesystem;

// The prologue the code file was given when the animation was created or
// opened: same timestamp, name, size and colours.
ProgramHeader CodeFileHeader(const AnimationDocument& doc) {
  return ProgramHeader{doc.m_createdAt, doc.m_strAnimName, doc.m_nAnimWide, doc.m_nAnimHigh,
                       doc.m_strColor};
}

// Writes the whole program afresh: one prologue and one body, so a second
// export replaces the first body instead of following the end of main. The
// new program is written beside the old one and then put in its place, so a
// full disk never costs the program the last export wrote; the file is held
// open again afterwards.
bool WriteCodeFile(AnimationDocument& doc, const ProgramBodyOptions& body) {
  std::string temp;
  std::FILE* f = platform::CreateTempBeside(doc.m_strCodePath, &temp);
  if (!f) return false;
  bool ok = WriteProgramPrologue(f, CodeFileHeader(doc)) &&
            WriteProgramBody(f, doc.m_frames, body) && ::fsync(::fileno(f)) == 0;
  ok = std::fclose(f) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), doc.m_strCodePath.c_str()) == 0;
  if (!ok) {
    const int error = errno;
    std::remove(temp.c_str());
    errno = error;
    return false;
  }
  doc.m_pCodeFile.reset(std::fopen(doc.m_strCodePath.c_str(), "rb+"));
  return true;
}

void CloseCodeFile(AnimationDocument& doc) { doc.m_pCodeFile.reset(); }

// Compiles the closed code file and puts the program into Animate/. The
// compiler writes into a fresh folder of ours inside Code/, which nobody else
// can plant a link in; the folder is gone again afterwards, whatever happened,
// and files of earlier runs are left alone.
ExportEnd Compile(AnimationDocument& doc, const std::string& programFolder,
                  ExportPrompter& prompter) {
  const std::string codeFolder =
      doc.m_strBuildPath.substr(0, doc.m_strBuildPath.find_last_of('/') + 1);
  const std::string staging = platform::CreatePrivateFolder(codeFolder, ".build-");
  if (staging.empty()) {
    prompter.Message(
        res::Format(res::kExportCannotPrepareCompile, {codeFolder, std::strerror(errno)}));
    return ExportEnd::Failed;
  }
  const std::string built =
      staging + doc.m_strBuildPath.substr(doc.m_strBuildPath.find_last_of('/'));
  const CompileResult result = CompileAnimation(programFolder, doc.m_strCodePath, built);
  prompter.Message(CompileMessage(result.outcome));
  if (result.outcome == CompileOutcome::Problem)
    prompter.CompilerDetails(CompileProblemDetails(result));
  ExportEnd end =
      result.outcome == CompileOutcome::Success ? ExportEnd::Exported : ExportEnd::CompileProblem;
  if (CompileEndsTool(result.outcome)) {
    end = ExportEnd::ToolEnds;
  } else if (!result.timedOut && platform::IsWholeExecutable(built)) {
    // Replaces an older program of the same name, also on another disk.
    if (!platform::MoveFile(built, doc.m_strExePath)) {
      prompter.Message(
          res::Format(res::kExportCannotMoveProgram, {doc.m_strExePath, std::strerror(errno)}));
      end = ExportEnd::Failed;
    }
  }
  std::error_code ec;
  fs::remove_all(staging, ec);
  return end;
}

}  // namespace

ExportEnd ExportAnimation(AnimationDocument& doc, const ExportOptions& options,
                          const std::string& programFolder, ExportPrompter& prompter) {
  if (!options.saveCode && !options.saveProject && !options.compile) {
    prompter.Message(kExportNoOption);
    return ExportEnd::Stopped;
  }
  const ProgramBodyOptions body{doc.m_nRate, options.saveCode, options.endless};
  if (!WriteCodeFile(doc, body)) {
    const std::string reason = std::strerror(errno);
    prompter.Message(res::Format(res::kExportCannotWriteCode, {doc.m_strCodePath, reason}));
    return ExportEnd::Failed;
  }
  if (options.saveProject) {
    const ProjectResult saved = WriteProjectFile(doc, doc.m_strProjectPath);
    if (!saved.ok()) {
      prompter.Message(saved.error);
      return ExportEnd::Failed;
    }
  }
  if (options.compile) {
    if (!options.saveCode) {
      prompter.Message(kExportCompileNeedsCode);
      return ExportEnd::Stopped;
    }
    if (!prompter.Ask(kExportCompileQuestion)) return ExportEnd::Stopped;
    CloseCodeFile(doc);
    const ExportEnd end = Compile(doc, programFolder, prompter);
    if (end == ExportEnd::ToolEnds || end == ExportEnd::Failed) return end;
    prompter.Finishing();
    prompter.Message(kExportDone);
    return end;
  }
  prompter.Finishing();
  prompter.Message(kExportDone);
  return ExportEnd::Exported;
}

void ReleaseCodeFile(AnimationDocument& doc, ExportPrompter& prompter) {
  if (!doc.m_pCodeFile) {
    prompter.Message(kReleaseNotOpen);
    return;
  }
  if (!prompter.Ask(kReleaseQuestion)) return;
  CloseCodeFile(doc);
  prompter.Message(kReleaseDone);
}

}  // namespace output

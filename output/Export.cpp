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
  const std::string temp = doc.m_strCodePath + ".tmp-" + std::to_string(::getpid());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
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
  if (doc.m_pCodeFile) std::fclose(doc.m_pCodeFile);
  doc.m_pCodeFile = std::fopen(doc.m_strCodePath.c_str(), "rb+");
  return true;
}

void CloseCodeFile(AnimationDocument& doc) {
  if (doc.m_pCodeFile) std::fclose(doc.m_pCodeFile);
  doc.m_pCodeFile = nullptr;
}

// Compiles the closed code file and puts the program into Animate/.
ExportEnd Compile(AnimationDocument& doc, const std::string& programFolder,
                  ExportPrompter& prompter) {
  std::error_code ec;
  // A program left from an earlier run must not pass for this one's.
  fs::remove(doc.m_strBuildPath, ec);
  const CompileResult result = CompileAnimation(programFolder, doc.m_strCodePath);
  prompter.Message(CompileMessage(result.outcome));
  if (CompileEndsTool(result.outcome)) return ExportEnd::ToolEnds;
  // A compiler stopped half-way may have left half a program.
  if (result.timedOut) fs::remove(doc.m_strBuildPath, ec);
  const ExportEnd compiled =
      result.outcome == CompileOutcome::Success ? ExportEnd::Exported : ExportEnd::CompileProblem;
  if (!fs::exists(doc.m_strBuildPath, ec)) return compiled;
  // Replaces an older program of the same name.
  fs::rename(doc.m_strBuildPath, doc.m_strExePath, ec);
  if (ec) {
    prompter.Message("无法把编译好的程序放进 Animate 文件夹：\n" + doc.m_strExePath +
                     "\n请确认该文件夹存在并且可以写入。");
    return ExportEnd::Failed;
  }
  return compiled;
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
    prompter.Message("导出失败：无法写入代码文件\n" + doc.m_strCodePath + "\n（" + reason +
                     "）\n请确认 Code 文件夹存在、可以写入并且磁盘还有空间。");
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

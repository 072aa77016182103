#pragma once
// Finishing an animation: the body of the program into the code file, the
// project file, and the compiled program in Animate/. Shared by the main
// window and the command line, which differ only in how they talk to the
// user.
#include <string>

#include "document/Animation.h"
#include "document/ExportSession.h"
#include "platform/JobProgress.h"
#include "res/Texts.h"

namespace output {

// How the export talks to the user. Texts are UTF-8.
class ExportPrompter {
 public:
  virtual ~ExportPrompter() = default;
  virtual void Message(const std::string& text) = 0;
  // A question with OK and Cancel; true for OK.
  virtual bool Ask(const std::string& text) = 0;
  // Called just before the closing "已导出。", when the work is done.
  virtual void Finishing() {}
  // After the compiler problem message: the compiler's own words, or why
  // there are none. The window keeps to its message and ignores these.
  virtual void CompilerDetails(const std::string& /*text*/) {}
};

struct ExportOptions {
  bool saveCode = false;     // the frame statements
  bool compile = false;      // compile and move the program to Animate/
  bool saveProject = false;  // the project file
  bool endless = false;      // the program starts again after the last frame
};

enum class ExportEnd {
  Exported,        // "已导出。" was shown
  CompileProblem,  // exported, but the compiler reported a problem
  Stopped,         // a message or the user's Cancel ended it early
  Failed,          // a file could not be written; the user was told why
  ToolEnds,        // the compiler could not be started at all: the tool ends
  Cancelled,       // the job was cancelled; nothing was said to the user
};

// The export's messages (res/Texts.h).
using res::kExportCompileNeedsCode;
using res::kExportCompileQuestion;
using res::kExportDone;
using res::kExportNoOption;
using res::kReleaseDone;
using res::kReleaseNotOpen;
using res::kReleaseQuestion;

// The export of the animation into the session's files, after the caller
// has copied the controls, checked that an animation exists and saved the
// edit area's frame. The animation is never changed; the session's code file
// and own files are. The code file always ends up holding one prologue (the
// one made when the animation was created or opened) and one body, whether
// it was open, already held a body, or had been closed. programFolder is the
// folder holding include/ for the compiler (platform::ShareFolder()).
//
// Given a job, the export reports its stages (kJobWriteCode and
// kJobSaveProject by frames, kJobCompile) and, once the job is cancelled,
// stops within a frame or two (the compiler within a few tens of
// milliseconds) and returns Cancelled without a word to the prompter. The
// file being written then is thrown away and the one it was to replace
// stays as it was; the compiler's program never reaches Animate/. A file
// already finished before the cancel stays as written: the code file when
// the project or the compile is cancelled, and the project file when the
// compile is; the session notes them as its own as usual.
ExportEnd ExportAnimation(const document::Animation& animation, document::ExportSession& session,
                          const ExportOptions& options, const std::string& programFolder,
                          ExportPrompter& prompter, platform::JobProgress* progress = nullptr);

// "解除占用": closes the code file after asking. Tells the user when there
// is no open code file.
void ReleaseCodeFile(document::ExportSession& session, ExportPrompter& prompter);

}  // namespace output

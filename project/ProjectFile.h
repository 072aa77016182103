#pragma once
// Project files: an animation's properties and the text of every frame in
// INI form, so that it can be opened again, replacing the current animation
// or appended to it.
//
//   [AnimatedProperties]
//   Name=<name>  Wide=<n>  High=<n>  Color=<two hex digits>  FrameRate=<n>  FrameNum=<N>
//   [AnimatePicture]
//   Frame1=<escaped text> ... FrameN=<escaped text>
//
// One key per line, in that order, CR LF line ends, GBK bytes, as the
// Windows profile functions read and write them. Frames are stored in their
// one-line form (EscapeFrameText), which has no length limit. A value that
// begins or ends with a blank or a quotation mark is written inside double
// quotes, which profile reading (here and on Windows) removes again, so such
// blanks and quotes survive; other values are written exactly as they are.
// A lone CR or LF cannot live in a one-line value: in a frame it is written
// as a line break ("\n"), in a name or colour as a blank.
//
// Every text here is GBK bytes, except the messages for the user, which are
// UTF-8 like the rest of the program's own texts.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "document/Animation.h"
#include "document/AnimationDocument.h"
#include "document/AnimationFiles.h"
#include "document/FrameList.h"
#include "platform/Clock.h"
#include "platform/JobProgress.h"
#include "platform/SafeFile.h"
#include "project/FrameTextEscape.h"

namespace output {

// The most frames an animation may have. Files claiming more are refused
// before anything is allocated for them, and no file is written with more.
inline constexpr int kMaxProjectFrames = document::kMaxFrames;

// What a missing name, colour or frame reads as: "读取错误" in GBK.
inline constexpr const char* kProjectReadError = "\xB6\xC1\xC8\xA1\xB4\xED\xCE\xF3";

// The result of a write or of applying a project: empty error on success,
// otherwise a complete message for a message box (UTF-8).
struct ProjectResult {
  std::string error;
  bool ok() const { return error.empty(); }
};

// A project as read from its file.
struct ProjectReadResult {
  // The animation the file holds; empty when refused. A missing Name or
  // Color reads as kProjectReadError, a missing Wide or High as 0; the
  // colour is kept as stored (not checked). The rate is at least 1. There
  // are FrameNum frames, unescaped: missing Frame keys read as
  // kProjectReadError (those texts share one string), keys past FrameNum are
  // not read. The head node holds no text.
  document::Animation animation;
  int missingFrames = 0;  // how many of the frames were missing
  std::string error;      // why the file is refused (UTF-8), empty when accepted
  bool ok() const { return error.empty(); }
};

// Writes the project keys of the animation to path: the six properties from
// m_strAnimName, m_nAnimWide, m_nAnimHigh, m_strColor, m_nRate, the frame
// count, and Frame1..FrameN from the frames of the list, each
// escaped once. An existing file is read first and keeps every other line
// (comments, other sections and keys, Frame keys past N); the new file
// replaces it atomically, so a failed save leaves the old one as it was.
// Refused without writing when the frames exceed kMaxProjectFrames, or when
// an existing file cannot be read. With Replace::No whatever is at path when
// the new file is put in place stays, and the write is refused saying so.
// Given a job, the write is its stage kJobSaveProject, counted in frames
// written; once the job is cancelled it stops within a frame, removes what
// it had written and leaves the file at path as it was (the result then
// holds kJobCancelled's text).
ProjectResult WriteProjectFile(const document::Animation& animation,
                               const std::filesystem::path& path,
                               platform::Replace replace = platform::Replace::Yes,
                               platform::JobProgress* progress = nullptr);

// The same for a file of the tool's own (the recovery copy, a new project):
// the project alone, nothing read from what is at path, and a symbolic link
// there is replaced, never written through.
ProjectResult WriteNewProjectFile(const document::Animation& animation,
                                  const std::filesystem::path& path,
                                  platform::JobProgress* progress = nullptr);

// Reads the project at path. Refused (nothing read) when the file is missing
// or unreadable, holds none of the AnimatedProperties keys (not a project:
// another INI file, binary data), has a FrameRate below 1, or a FrameNum
// below 0 or above kMaxProjectFrames. Every other missing key takes its
// default.
// The file is read in one pass through a buffer of readBuffer bytes (a
// line longer than that makes it grow), never held whole.
// Given a job, the read is its stage kJobOpenProject, counted in frames read
// of FrameNum (0, unknown, until the properties are read); once the job is
// cancelled it stops within a line and gives an empty animation with
// kJobCancelled's text as the error.
ProjectReadResult ReadProjectFile(const std::filesystem::path& path,
                                  std::size_t readBuffer = std::size_t{1} << 20,
                                  platform::JobProgress* progress = nullptr);
// The same from a regular file already open for reading at its start (the
// caller checked what it opened); fd stays open.
ProjectReadResult ReadProjectFrom(int fd, std::size_t readBuffer = std::size_t{1} << 20,
                                  platform::JobProgress* progress = nullptr);

// Opening in replacing mode, once the new code file is open with its
// prologue: the project becomes the current animation, its frames replacing
// the list (the head node keeps its text); the four paths and the clock
// reading become those given; the animation counts as created. The code
// file and the fields' members are left to the caller. Cannot fail: the
// project was checked when read.
void ReplaceWithProject(document::AnimationDocument& doc, document::Animation project,
                        const document::AnimationPaths& paths, const platform::LocalTime& opened);

// Opening in appending mode: the project's frames follow the last frame
// (sharing their texts); properties, paths and code file stay. Refused, with
// nothing changed, without a created animation or when the total would
// exceed kMaxProjectFrames.
ProjectResult AppendProject(document::AnimationDocument& doc, const document::Animation& project,
                            document::StepKind kind = document::StepKind::kAppendProject);

}  // namespace output

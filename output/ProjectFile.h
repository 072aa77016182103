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
#include <vector>

#include "document/AnimationDocument.h"
#include "document/AnimationFiles.h"
#include "document/FrameList.h"
#include "output/ProgramWriter.h"
#include "platform/Clock.h"
#include "platform/SafeFile.h"

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
struct ProjectData {
  std::string name;   // kProjectReadError when missing
  std::string color;  // as stored (not checked); kProjectReadError when missing
  int wide = 0;       // 0 when missing
  int high = 0;
  int rate = 0;  // at least 1 in every accepted project
  // FrameNum; frames.size() equals it. Missing Frame keys read as
  // kProjectReadError (those texts share one string); keys past FrameNum
  // are not read.
  int frameNum = 0;
  std::vector<document::FrameText> frames;  // unescaped
  int missingFrames = 0;                    // how many of them were missing
};

struct ProjectReadResult {
  ProjectData data;   // empty when refused
  std::string error;  // why the file is refused (UTF-8), empty when accepted
  bool ok() const { return error.empty(); }
};

// The inverse of EscapeFrameText, in one left-to-right pass over GBK
// characters: "\\" gives '\', "\n" CR LF, "\"" '"' and "\'" '\''; any other
// backslash stays as it is. unescape(escape(t)) == t for every text, except
// that a stray lead byte right before a quote, a backslash or a line break
// comes back as '?' (see EscapeFrameText).
std::string UnescapeFrameText(std::string_view escaped);

// Writes the project keys of doc to path: the six properties from
// m_strAnimName, m_nAnimWide, m_nAnimHigh, m_strColor, m_nRate, the frame
// count, and Frame1..FrameN from the frames of the list, each
// escaped once. An existing file is read first and keeps every other line
// (comments, other sections and keys, Frame keys past N); the new file
// replaces it atomically, so a failed save leaves the old one as it was.
// Refused without writing when the frames exceed kMaxProjectFrames, or when
// an existing file cannot be read. With Replace::No whatever is at path when
// the new file is put in place stays, and the write is refused saying so.
ProjectResult WriteProjectFile(const document::AnimationDocument& doc,
                               const std::filesystem::path& path,
                               platform::Replace replace = platform::Replace::Yes);

// The same for a file of the tool's own (the recovery copy): the project
// alone, nothing read from what is at path, and a symbolic link there is
// replaced, never written through.
ProjectResult WriteNewProjectFile(const document::AnimationDocument& doc,
                                  const std::filesystem::path& path);

// Reads the project at path. Refused (nothing read) when the file is missing
// or unreadable, holds none of the AnimatedProperties keys (not a project:
// another INI file, binary data), has a FrameRate below 1, or a FrameNum
// below 0 or above kMaxProjectFrames. Every other missing key takes its
// default.
// The file is read in one pass through a buffer of readBuffer bytes (a
// line longer than that makes it grow), never held whole.
ProjectReadResult ReadProjectFile(const std::filesystem::path& path,
                                  std::size_t readBuffer = std::size_t{1} << 20);
// The same from a regular file already open for reading at its start (the
// caller checked what it opened); fd stays open.
ProjectReadResult ReadProjectFrom(int fd, std::size_t readBuffer = std::size_t{1} << 20);

// The prologue's values for a project opened at `opened`: the project's
// name, canvas size and colour code.
ProgramHeader MakeProjectProgramHeader(const ProjectData& project,
                                       const platform::LocalTime& opened);

// Opening in replacing mode, once the new code file is open with its
// prologue: the project's name, size, colour, rate and frame count become
// the current animation's; its frames replace the list (the head node keeps
// its text); the four paths and the clock reading become those given; the
// animation counts as created. m_pCodeFile and the fields' members are left
// to the caller. Cannot fail: the data was checked when read.
void ReplaceWithProject(document::AnimationDocument& doc, ProjectData project,
                        const document::AnimationPaths& paths, const platform::LocalTime& opened);

// Opening in appending mode: the project's frames follow the last frame; properties, paths and code
// file stay. Refused, with nothing changed, without a created animation or when the total would
// exceed kMaxProjectFrames.
ProjectResult AppendProject(document::AnimationDocument& doc, ProjectData project);

}  // namespace output

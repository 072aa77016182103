#pragma once
// A new project written frame by frame, for frames made one at a time (a
// clip drawn in characters): the frames go to disk as they come, so a long
// import holds a frame, not the animation.
//
// The file is the one WriteNewProjectFile writes for the same animation,
// byte for byte. The frame count stands in the properties before the
// frames, so the frames are kept in a file of their own beside the project
// until the count is known; Finish then writes the properties and the frames
// to a second file beside it and puts that in place as the whole-file
// writer does. Until then nothing is at the project's path, and whatever
// does not finish leaves nothing behind.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "document/Animation.h"
#include "document/FrameList.h"
#include "platform/Clock.h"
#include "platform/SafeFile.h"
#include "project/ProjectFile.h"

namespace output {

class ProjectStream {
 public:
  ProjectStream() = default;
  // Without Finish everything written so far is removed.
  ~ProjectStream();
  ProjectStream(const ProjectStream&) = delete;
  ProjectStream& operator=(const ProjectStream&) = delete;

  // Starts the project at path with the properties (name, canvas, colour,
  // rate) and the frames of `animation`; more frames follow with Append.
  // As WriteNewProjectFile: nothing at path is read, and a link there is
  // replaced, never written through.
  ProjectResult Open(const document::Animation& animation, const std::filesystem::path& path);

  // Appends count frames showing text (copies of one picture are escaped
  // once). False once the frames cannot be written or would pass
  // kMaxProjectFrames; Finish then says why.
  bool Append(const document::FrameText& text, long long count = 1);

  long long Frames() const { return m_frames; }

  // Writes the project and puts it in place; the frames' file is removed
  // either way. A stream that failed to open or to append is refused here.
  ProjectResult Finish();

  // Removes everything written so far; the stream is closed.
  void Abandon();

 private:
  bool Failed(const std::string& detail);

  std::filesystem::path m_path;
  std::string m_where;  // the start of every message: which project
  platform::UniqueFile m_body;
  std::string m_bodyPath;
  std::vector<char> m_bodyBuffer;
  document::Animation m_properties;  // without frames
  long long m_frames = 0;
  const std::string* m_escapedFrom = nullptr;  // the text m_value was escaped from
  document::FrameText m_escapedText;           // keeps it alive while compared
  std::string m_value;
  std::string m_error;
};

// Claims Project/<stamp>.ini under programFolder for a new project, the
// stamp made from `now` as for a new animation's code file (ClaimStamp), so
// nothing earlier is overwritten. The claimed file is left empty at *path.
// Empty on success, otherwise the message (UTF-8) and nothing claimed.
std::string ClaimNewProject(const std::string& programFolder, const platform::LocalTime& now,
                            std::string* path);

}  // namespace output

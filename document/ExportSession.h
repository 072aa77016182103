#pragma once
// What an animation has on disk while it is being edited: the four files
// named after the moment it was created or opened, its open code file, and
// the files it has put in place so far. A new or opened animation starts a
// new session; the animation's values themselves are in Animation.
//
// Paths are bytes as the file system takes them.
#include <map>
#include <string>

#include "document/AnimationFiles.h"
#include "platform/Clock.h"
#include "platform/SafeFile.h"

namespace document {

struct ExportSession {
  std::string m_strCodePath;     // Code/<stamp>.c
  std::string m_strProjectPath;  // Project/<stamp>.ini
  std::string m_strExePath;      // Animate/<stamp>.exe
  std::string m_strBuildPath;    // Code/<stamp>.exe, where the compiler writes
  // The open code file; closed when replaced, released or at the end.
  platform::UniqueFile m_pCodeFile;
  // The clock reading the files are named after; the code file's prologue
  // shows it too.
  platform::LocalTime m_createdAt;
  // The files this animation put in place (its code file, and what its
  // exports wrote), each with the file it was: a later export replaces these
  // and nothing else that has come to be at one of its names.
  std::map<std::string, platform::FileId> m_writtenFiles;

  // The paths become those given, named after created. The code file and
  // the files written are left to the caller.
  void TakePaths(const AnimationPaths& paths, const platform::LocalTime& created) {
    m_strProjectPath = paths.project;
    m_strExePath = paths.exe;
    m_strBuildPath = paths.build;
    m_strCodePath = paths.code;
    m_createdAt = created;
  }
};

}  // namespace document

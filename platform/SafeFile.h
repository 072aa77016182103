#pragma once
// Creating files beside the user's files without being redirected, and
// moving a finished file into place.
//
// Every new file the tool makes (a temporary to be renamed over a target,
// the first version of a code file) is created exclusively and never through
// a symbolic link: a link or file planted under that name makes the creation
// fail instead of sending our bytes to whatever the link points at.
#include <cstdio>
#include <memory>
#include <string>

namespace platform {

// An open stdio stream that closes itself: whoever holds it never closes by
// hand, so a stream is closed exactly once, on reset or at the end.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Creates path as a new, empty file open for writing (O_CREAT | O_EXCL |
// O_NOFOLLOW). Fails with EEXIST when anything is there, a dangling link
// included. Returns the descriptor, or -1 with errno set.
int CreateNewFile(const std::string& path, int mode = 0666);

// The same as a stdio stream; mode is "wb" or "wb+".
std::FILE* CreateNewFileStream(const std::string& path, const char* mode = "wb");

// A new file in the folder of target named target's name + ".tmp-" and a
// unique suffix, created as by CreateNewFile; *tempPath receives its path.
// Null with errno set when no such file can be made.
std::FILE* CreateTempBeside(const std::string& target, std::string* tempPath);

// A new folder only the user can enter (mode 0700), inside parent (which ends
// in a separator), named prefix + a unique suffix. Empty with errno set on
// failure.
std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix);

// Moves a file to `to`, replacing what is there. Within one file system this
// is a rename. Across file systems (EXDEV) the file is copied to a temporary
// beside `to`, flushed to disk, renamed into place and only then removed at
// `from`; its permission bits go with it. On failure `to` is untouched, the
// source is kept, errno is set and false is returned.
bool MoveFile(const std::string& from, const std::string& to);

// Tests take the copying path even within one file system.
void SetMoveFileAlwaysCopiesForTesting(bool always);

}  // namespace platform

#pragma once
// Creating files beside the user's files without being redirected, and
// moving a finished file into place.
//
// Every new file the tool makes (a temporary to be renamed over a target,
// the first version of a code file) is created exclusively and never through
// a symbolic link: a link or file planted under that name makes the creation
// fail instead of sending our bytes to whatever the link points at. A
// finished file is put in place without replacing anything, unless the
// caller knows the file there is its own.
//
// What is created, put in place or removed here is noted for an interrupted
// command line to remove (platform/Interrupt.h).
#include <cstdint>
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
// Null with errno set when no such file can be made. mode as for
// CreateNewFileStream.
std::FILE* CreateTempBeside(const std::string& target, std::string* tempPath,
                            const char* mode = "wb");

// A new folder only the user can enter (mode 0700), inside parent (which ends
// in a separator), named prefix + a unique suffix. Empty with errno set on
// failure.
std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix);

// Which file is at a path, as it was: the same numbers are the same file,
// unchanged since. The change time tells a new file that happens to get a
// removed one's inode from that one.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t changedNs = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// The regular file at path, not following a link. False when there is none
// (nothing, a link, a folder).
bool IdentifyFile(const std::string& path, FileId* id);

// Whether PlaceFile may replace a file already at the target.
enum class Replace { No, Yes };

// Moves the finished file `from` to `to`. Within one file system this is a
// rename. Across file systems (EXDEV) the file is copied to a temporary
// beside `to`, flushed to disk, put in place and only then removed at
// `from`; its permission bits go with it.
//
// With Replace::No nothing at `to` is ever replaced, a dangling link
// included: the move fails with EEXIST (a rename that cannot replace, or a
// hard link where the file system has no such rename). On failure `to` is
// as it was, the source is kept, errno is set and false is returned.
bool PlaceFile(const std::string& from, const std::string& to, Replace replace);

// PlaceFile replacing what is there.
bool MoveFile(const std::string& from, const std::string& to);

// Removes a file or a whole folder this run made, and its notes.
void RemoveFile(const std::string& path);
void RemoveFolder(const std::string& path);

// Tests take the copying path even within one file system.
void SetMoveFileAlwaysCopiesForTesting(bool always);

}  // namespace platform
